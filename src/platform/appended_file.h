#pragma once
// A file of the program's own that grows by appending, as a log does: each
// piece goes in one write at the file's end (FILE_APPEND_DATA, which the
// file system keeps whole against other appends), and the file is rewritten
// by writing a replacement beside it and moving that over it. Every open
// shares reading, writing and deleting, so that a reader never keeps the
// writer out nor a replacement from taking the file's place.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vigilo {

// Appends bytes to path in one write, making the file where it is missing
// (with the user's default permissions); false when not all were written.
[[nodiscard]] bool AppendToFile(const std::string& path, std::string_view bytes);
// Writes bytes to path as a new file, replacing one that is there; false on failure.
[[nodiscard]] bool WriteWholeFile(const std::string& path, std::string_view bytes);
// Moves replacement over path in one step; false when it could not (a
// reader that does not share deleting holds path open, say).
[[nodiscard]] bool MoveFileOver(const std::string& replacement, const std::string& path);
bool RemoveFile(const std::string& path);
// Makes folder and every missing folder above it, with the user's default
// permissions; true when it exists afterwards.
bool MakeFolderPath(const std::string& folder);

// The end of a file: its last maxBytes bytes, begun after a line end when
// the file had more, so that it starts at a whole line.
struct FileTail {
    bool exists = false;    // false: no file there (nothing is read)
    std::string bytes;
    std::int64_t size = 0;  // of the whole file
    bool cut = false;       // bytes before these were left out
};
// Empty when the file is there but cannot be opened or read.
std::optional<FileTail> ReadFileTail(const std::string& path, std::int64_t maxBytes);

// The system's text for an error code ("Access is denied."); the code's
// number where it has none.
std::string SystemErrorText(unsigned long code);

}  // namespace vigilo
