#include "core/event_source_registration.h"

#include "core/finding_events.h"
#include "platform/event_source_key.h"
#include "platform/system_error.h"

namespace vigilo {
namespace {

constexpr const char* kLog = "Application";
// Error, warning and information: what Event Viewer may render from the message file.
constexpr DWORD kTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

std::string KeyName() { return "HKLM\\" + EventSourceKeyPath(kLog, kEventSourceName); }

CommandOutcome Failed(LONG error, const std::string& what) {
    std::string message = "Vigilo: could not " + what + " " + KeyName() + ": " + SystemErrorText(error);
    if (error == ERROR_ACCESS_DENIED) message += " Run it as an administrator.";
    return {static_cast<int>(error), message};
}

}  // namespace

CommandOutcome RegisterVigiloEventSource(const std::string& messageFile, HKEY machine) {
    if (messageFile.empty()) return {ERROR_FILE_NOT_FOUND, "Vigilo: its own path could not be had; nothing registered."};
    const LONG status = WriteEventSourceKey(machine, kLog, kEventSourceName, messageFile, kTypesSupported);
    if (status != ERROR_SUCCESS) return Failed(status, "write");
    return {0, "Vigilo: registered as the event source Vigilo of the Application log (" + KeyName() + ")."};
}

CommandOutcome UnregisterVigiloEventSource(HKEY machine) {
    const LONG status = DeleteEventSourceKey(machine, kLog, kEventSourceName);
    if (status == ERROR_FILE_NOT_FOUND) return {0, "Vigilo: the event source Vigilo was not registered."};
    if (status != ERROR_SUCCESS) return Failed(status, "remove");
    return {0, "Vigilo: the event source Vigilo is no longer registered."};
}

}  // namespace vigilo
