#pragma once
// A file opened for reading only, by others' data: its handle (which a
// check is handed, so that the file checked is the one opened), its size,
// and reads at an offset. Others may go on writing, renaming or deleting it.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/unique_handle.h"

namespace vigilo {

class ReadOnlyFile {
public:
    // The file at path; empty when it does not open or is no file on a disk (a folder, a pipe, a device).
    static std::optional<ReadOnlyFile> Open(const std::string& path);

    HANDLE Handle() const { return handle_.get(); }
    std::int64_t Size() const { return size_; }
    // count bytes from offset; empty when they cannot all be read or lie
    // beyond the size the file had when it was opened.
    std::optional<std::string> ReadAt(std::int64_t offset, size_t count) const;

private:
    ReadOnlyFile(UniqueKernelHandle handle, std::int64_t size) : handle_(std::move(handle)), size_(size) {}
    UniqueKernelHandle handle_;
    std::int64_t size_ = 0;
};

// The whole file at path; empty when it cannot be read or holds more than maxBytes.
std::optional<std::string> ReadSmallFile(const std::string& path, size_t maxBytes);

}  // namespace vigilo
