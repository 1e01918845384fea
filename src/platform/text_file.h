#pragma once
// Text files others write, read whole and decoded to UTF-8. A byte-order
// mark decides the encoding (UTF-16 little or big endian, UTF-8); a file
// without one is in the encoding its writer uses, which the caller names:
// the system code page for files made for Windows' profile functions, UTF-8
// for Firefox's.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vigilo {

// Files are read up to this size; the rest of a larger file is ignored.
inline constexpr size_t kTextFileLimit = 8 * 1024 * 1024;

// The file's bytes (at most kTextFileLimit); empty when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);
// How a file stands: it is read again only when one of these differs.
struct FileStamp {
    bool exists = false;  // false: it could not be opened, and the rest is 0
    std::uint64_t lastWrite = 0;
    std::uint64_t size = 0;
    std::uint64_t index = 0;  // the file's index on its volume: another file put in its place differs
    bool operator==(const FileStamp&) const = default;
};
// The stamp of the file at path now.
FileStamp StampOfFile(const std::string& path);

// How text files that are kept (kept_file.h) are read: ReadFileBytes unless
// a test has put another function in place, to count the reads or to
// change a file while it is read. Returns the one it replaced; nullptr puts
// ReadFileBytes back.
using FileBytesReader = std::optional<std::string> (*)(const std::string& path);
FileBytesReader SetFileBytesReader(FileBytesReader reader);
// The bytes of path, read through the reader in place.
std::optional<std::string> ReadKeptFileBytes(const std::string& path);

// The bytes as UTF-8 text by the rule above; codePage is CP_ACP, CP_UTF8 or another Windows code page.
std::string DecodeText(std::string_view bytes, unsigned codePage);

}  // namespace vigilo
