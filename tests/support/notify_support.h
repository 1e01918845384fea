#pragma once
// Helpers for tests of the notification windows: a program folder with or
// without the stand-in Purgeon.exe, what Purgeon was started with, the
// notifier settings, and actions run from inside modal loops.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace vigilo::test {

// Points Paths() at a fresh program folder (with a copy of the stand-in
// Purgeon.exe when asked) and the real system folder; afterwards ends every
// Purgeon started meanwhile and clears Paths().
class ProgramFolder {
public:
    explicit ProgramFolder(bool withPurgeon);
    ~ProgramFolder();
    const std::string& Path() const { return folder_.Path(); }
    // Lines the stand-in recorded, one per start (its command line less the program name).
    std::vector<std::string> PurgeonCalls() const;
    // Waits until count starts were recorded and a stand-in window is up.
    bool WaitForPurgeonCalls(size_t count) const;

private:
    TempFolder folder_;
};

// The notifier value under HKCU\Software\Purgeon: "missing", "true" or "false".
std::string Notifier(const char* name);

// Runs action every 50 ms on this thread's message loops, modal ones
// included, until it returns true; stops with its destruction.
class RepeatOnTimer {
public:
    explicit RepeatOnTimer(std::function<bool()> action);
    ~RepeatOnTimer();
    RepeatOnTimer(const RepeatOnTimer&) = delete;
    RepeatOnTimer& operator=(const RepeatOnTimer&) = delete;
    bool Done() const { return done_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    std::function<bool()> action_;
    UINT_PTR timer_ = 0;
    bool done_ = false;
};

// Answers the information window once it shows: remembers its message and clicks its OK.
class InformationAnswer {
public:
    InformationAnswer();
    bool Answered() const { return timer_.Done(); }
    const std::string& Message() const { return message_; }

private:
    std::string message_;
    RepeatOnTimer timer_;
};

}  // namespace vigilo::test
