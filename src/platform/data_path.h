#pragma once
// The rule for paths taken from others' data (registry values, shortcuts,
// browser files) before anything is opened by them: only an absolute path
// on a local fixed or removable drive, made full and normal.
#include <optional>
#include <string>

namespace vigilo {

// path normalised ("C:\Dir\..\App.exe" as "C:\App.exe"); empty when it is
// relative, names another computer, a device, or a drive of another type.
std::optional<std::string> AcceptedDataPath(const std::string& path);

}  // namespace vigilo
