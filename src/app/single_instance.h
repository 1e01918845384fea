#pragma once
// Keeps Vigilo to one copy per user session. The main window alone cannot
// do it: two copies started at the same instant both look before either has
// created its window. A named mutex of the session, created before that
// look, settles the race: of copies started together only the one that
// created it runs.
#include "platform/unique_handle.h"

namespace vigilo {

class SingleInstanceLock {
public:
    // Creates the session's mutex; Acquired() tells whether this copy was first.
    SingleInstanceLock();
    bool Acquired() const { return acquired_; }
    // Lets the next copy start (once this copy's main window is gone).
    void Release() { mutex_.reset(); }

private:
    UniqueKernelHandle mutex_;
    bool acquired_ = false;
};

}  // namespace vigilo
