#pragma once
// A manual-reset event shared between the thread that waits on it and the
// one that sets it, each holding a copy: whichever lets go last closes it,
// so a waiter that stopped waiting (told to terminate) never leaves the
// other setting a closed handle.
#include <windows.h>

#include <memory>

#include "platform/unique_handle.h"

namespace vigilo {

class SharedEvent {
public:
    SharedEvent() = default;  // none
    static SharedEvent Create() {
        SharedEvent event;
        auto handle = std::make_shared<UniqueKernelHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (*handle) event.handle_ = std::move(handle);
        return event;
    }
    explicit operator bool() const { return handle_ != nullptr; }
    HANDLE Handle() const { return handle_ ? handle_->get() : nullptr; }
    void Set() const {
        if (handle_) SetEvent(handle_->get());
    }

private:
    std::shared_ptr<UniqueKernelHandle> handle_;
};

}  // namespace vigilo
