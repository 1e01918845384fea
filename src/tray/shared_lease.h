#pragma once
// One object shared by every user that holds a lease on it: the first lease
// creates it, each lease counts in UserCount, and the last lease to go
// destroys it. The tray's hidden handler windows live this way, so they
// exist exactly while some tray icon or timer needs them. Main thread only.
#include <memory>

namespace vigilo {

template <typename T>
class SharedLease {
public:
    SharedLease() : instance_(Acquire()) {}
    SharedLease(const SharedLease&) = delete;
    SharedLease& operator=(const SharedLease&) = delete;

    T& operator*() const { return *instance_; }
    T* operator->() const { return instance_.get(); }

    // The shared object, or null while nobody holds a lease (also while the
    // last one is destroying it).
    static T* Current() { return Shared().lock().get(); }
    static int UserCount() { return static_cast<int>(Shared().use_count()); }

private:
    static std::weak_ptr<T>& Shared() {
        static std::weak_ptr<T> shared;
        return shared;
    }
    static std::shared_ptr<T> Acquire() {
        std::shared_ptr<T> instance = Shared().lock();
        if (!instance) {
            instance = std::make_shared<T>();
            Shared() = instance;
        }
        return instance;
    }

    std::shared_ptr<T> instance_;
};

}  // namespace vigilo
