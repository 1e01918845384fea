#pragma once
// Marks a check as under way for a scope: the main thread's checks keep
// handling messages while they run, so a tick can arrive in the middle of
// one and must be able to tell.
namespace vigilo {

class RunningScope {
public:
    explicit RunningScope(bool& running) : running_(running) { running_ = true; }
    ~RunningScope() { running_ = false; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    bool& running_;
};

}  // namespace vigilo
