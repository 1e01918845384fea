#pragma once
// Text files others write, read whole and decoded to UTF-8. A byte-order
// mark decides the encoding (UTF-16 little or big endian, UTF-8); a file
// without one is in the encoding its writer uses, which the caller names:
// the system code page for files made for Windows' profile functions, UTF-8
// for Firefox's.
#include <optional>
#include <string>
#include <string_view>

namespace vigilo {

// Files are read up to this size; the rest of a larger file is ignored.
inline constexpr size_t kTextFileLimit = 8 * 1024 * 1024;

// The file's bytes (at most kTextFileLimit); empty when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);
// The bytes as UTF-8 text by the rule above; codePage is CP_ACP, CP_UTF8 or another Windows code page.
std::string DecodeText(std::string_view bytes, unsigned codePage);

}  // namespace vigilo
