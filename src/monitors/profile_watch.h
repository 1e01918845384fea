#pragma once
// A watch of a folder where browser profiles come and go (a Chromium
// browser's "User Data" folder, Firefox's folder). It lists and keeps
// nothing: after each change, when the folder comes and when it goes, it
// tells the main thread, which looks for the profiles again and gives each
// one there its extensions folder's watch.
#include <atomic>
#include <functional>
#include <memory>

#include "monitors/place.h"
#include "platform/monitor_thread.h"

namespace vigilo {

class ProfileWatch : public MonitorThread {
public:
    // changed runs on the main thread, from its message loop.
    ProfileWatch(std::unique_ptr<Place> place, std::function<void()> changed);
    // The change notification is armed and the thread waits for it.
    bool Watching() const { return watching_; }

private:
    void Execute() override;

    std::unique_ptr<Place> place_;
    std::function<void()> changed_;
    std::atomic<bool> watching_{false};
    std::atomic<bool> waiting_{false};
};

}  // namespace vigilo
