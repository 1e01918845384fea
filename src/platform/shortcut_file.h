#pragma once
// What a shortcut (.lnk) starts, read from the file itself in the shell's
// link format: the target's environment string (expanded), else its local
// path, else its path relative to the shortcut, with the arguments. Read
// without the shell's COM objects, which would cost the program an import
// and the shell's link resolution (which may search drives and the network).
// Any process of the user can write a shortcut into the Startup folder, so
// the file is read by a cursor that only moves forward: a part or block
// that would leave the file or go back fails the read, and the number of
// extra data blocks is bounded; reading takes time linear in the file.
#include <optional>
#include <string>
#include <string_view>

namespace vigilo {

struct ShortcutTarget {
    std::string path;
    std::string arguments;
};

// Shortcut files are small; a larger one is not read.
inline constexpr size_t kLargestShortcutFile = 1024 * 1024;

// The target of the shortcut file at path; empty when it cannot be read or
// names no file (only an item of the shell's namespace, or a place on
// another computer).
std::optional<ShortcutTarget> ReadShortcutTarget(const std::string& path);
// The same from the file's bytes; folder is the shortcut's, for a relative target.
std::optional<ShortcutTarget> ShortcutTargetOfBytes(std::string_view bytes, const std::string& folder);

}  // namespace vigilo
