#pragma once
// Registering Vigilo as the event source "Vigilo" of the Application log, for
// Purgeon's installer: with Vigilo.exe as its message file, Event Viewer
// renders Vigilo's events as sentences. Vigilo writes its events whether it
// is registered or not. Both need administrator rights.
#include <windows.h>

#include <string>

namespace vigilo {

// What a command-line command did: its exit code (0 on success, else the
// Windows error that stopped it) and the line it tells its console.
struct CommandOutcome {
    int exitCode = 0;
    std::string message;
};

// Registers the source with messageFile (Vigilo.exe's own path) as its
// EventMessageFile and TypesSupported 7, under machine's
// SYSTEM\CurrentControlSet\Services\EventLog\Application\Vigilo.
CommandOutcome RegisterVigiloEventSource(const std::string& messageFile, HKEY machine = HKEY_LOCAL_MACHINE);
// Removes that registration; where there is none, that is success too.
CommandOutcome UnregisterVigiloEventSource(HKEY machine = HKEY_LOCAL_MACHINE);

}  // namespace vigilo
