#pragma once
// Where Windows finds an event source's message file: the key
// SYSTEM\CurrentControlSet\Services\EventLog\<log>\<source> of the machine's
// registry (64-bit view), whose EventMessageFile (REG_EXPAND_SZ) names the
// file that carries the message table, and TypesSupported the event types
// it writes. Only an administrator may write there.
#include <windows.h>

#include <string>

namespace vigilo {

// The key's path below the machine's root.
std::string EventSourceKeyPath(const std::string& log, const std::string& source);

// Creates or rewrites the key of source under machine (HKEY_LOCAL_MACHINE
// but in tests) with its two values. ERROR_SUCCESS, or the Windows error
// that stopped it.
[[nodiscard]] LONG WriteEventSourceKey(HKEY machine, const std::string& log, const std::string& source,
                                       const std::string& messageFile, DWORD typesSupported);
// Deletes the key of source with all it holds. ERROR_SUCCESS, ERROR_FILE_NOT_FOUND
// where there is none, or the Windows error that stopped it.
[[nodiscard]] LONG DeleteEventSourceKey(HKEY machine, const std::string& log, const std::string& source);

}  // namespace vigilo
