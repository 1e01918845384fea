#pragma once
// Paths that others' data names (registry values, profiles.ini, task
// actions, shortcut targets, manifests) are opened only on a local drive.
// Opening a path on another computer waits for the network and hands that
// host the user's credentials, and Windows has many spellings for one
// ("\\host\share", "\\?\UNC\...", "\??\UNC\...", "\\?\GLOBALROOT\Device\Mup\...",
// a drive letter mapped to a share). So the rule accepts one shape only and
// refuses the rest: a drive-letter path ("X:\..." or "\\?\X:\..."), made full
// and normal by Windows itself, on a drive that is fixed or removable.
// A relative path is refused before anything resolves it against the
// current folder. Folders the shell gives are not data and need no check.
#include <windows.h>

#include <optional>
#include <string>

namespace vigilo {

// The path to open for a path read from others' data, normalised with
// GetFullPathNameW; empty when it must not be opened: not absolute, not a
// drive-letter path (X:\... or \\?\X:\...), or on a drive that is not fixed
// or removable.
std::optional<std::string> AcceptedDataPath(const std::string& path);

// How the rule learns a drive's type: GetDriveTypeW of "X:\" unless a test
// has put another function in place. letter is 'A' to 'Z'.
using DriveTypeQuery = UINT (*)(char letter);
// Puts query in place of the system's (nullptr puts the system's back);
// returns the one it replaced. For tests, which make drives remote.
DriveTypeQuery SetDriveTypeQuery(DriveTypeQuery query);

}  // namespace vigilo
