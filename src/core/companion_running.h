#pragma once
// Whether Purgeon runs: a window of its class ("TForm1a") and title
// ("Purgeon") belongs to a process started from the same file as
// Purgeon.exe in Vigilo's own folder. Any program can make a window of
// that class and title; only the real Purgeon holds back what it holds back.
#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "platform/file_system.h"

namespace vigilo {

// What the check asks of the system; tests give their own.
struct CompanionSeams {
    std::function<std::vector<DWORD>()> windowOwners;  // processes with Purgeon's window
    std::function<std::optional<FileIdentity>(DWORD pid)> imageOf;
    std::function<std::optional<FileIdentity>()> companionFile;  // Purgeon.exe beside Vigilo
};

bool IsCompanionRunning();
bool IsCompanionRunning(const CompanionSeams& seams);

}  // namespace vigilo
