#pragma once
// Holds a flag set for the life of a scope, cleared however the scope ends:
// a thread's "waiting" or "watching" that other threads read, or a check
// that is under way while the main thread's messages still flow (a tick
// that arrives in the middle of it must be able to tell).
namespace vigilo {

template <typename Flag>
class ScopedFlag {
public:
    explicit ScopedFlag(Flag& flag) : flag_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    Flag& flag_;
};

}  // namespace vigilo
