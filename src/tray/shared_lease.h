#pragma once
// One object shared by every user that holds a lease on it: the first lease
// creates it, each lease counts in UserCount, and the last lease to go
// destroys it. The tray's hidden handler windows live this way, so they
// exist exactly while some tray icon or timer needs them.
namespace vigilo {

template <typename T>
class SharedLease {
public:
    SharedLease() {
        if (userCount_++ == 0) instance_ = new T;
    }
    ~SharedLease() {
        if (--userCount_ == 0) {
            T* instance = instance_;
            instance_ = nullptr;
            delete instance;
        }
    }
    SharedLease(const SharedLease&) = delete;
    SharedLease& operator=(const SharedLease&) = delete;

    T& operator*() const { return *instance_; }
    T* operator->() const { return instance_; }

    // The shared object, or null while nobody holds a lease.
    static T* Current() { return instance_; }
    static int UserCount() { return userCount_; }

private:
    inline static T* instance_ = nullptr;
    inline static int userCount_ = 0;
};

}  // namespace vigilo
