#pragma once
// Who owns a window: the process behind it and the file it was started
// from, told by the file's identity (volume serial number and file index),
// since one file has many spellings (Wine reports images as "Z:\...").
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vigilo {

// The processes that own a top-level window of class className titled title, one each.
std::vector<DWORD> ProcessesWithWindow(const std::string& className, const std::string& title);
// The identity of the file process pid was started from; empty when it cannot be told.
std::optional<FileIdentity> ProcessImageIdentity(DWORD pid);
// The identity of the file at path; empty when it does not open.
std::optional<FileIdentity> FileIdentityOf(const std::string& path);

}  // namespace vigilo
