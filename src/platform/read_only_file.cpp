#include "platform/read_only_file.h"

#include "platform/text.h"

namespace vigilo {

std::optional<ReadOnlyFile> ReadOnlyFile::Open(const std::string& path) {
    HANDLE raw = CreateFileW(Utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return std::nullopt;
    UniqueKernelHandle handle(raw);
    LARGE_INTEGER size{};
    if (GetFileType(raw) != FILE_TYPE_DISK || !GetFileSizeEx(raw, &size) || size.QuadPart < 0) return std::nullopt;
    return ReadOnlyFile(std::move(handle), size.QuadPart);
}

std::optional<std::string> ReadOnlyFile::ReadAt(std::int64_t offset, size_t count) const {
    // Bytes beyond the file's size are never asked for, nor made room for.
    if (offset < 0 || offset > size_ || count > MAXDWORD || count > static_cast<std::uint64_t>(size_ - offset))
        return std::nullopt;
    std::string bytes(count, '\0');
    size_t done = 0;
    while (done < count) {
        OVERLAPPED at{};
        const std::uint64_t position = static_cast<std::uint64_t>(offset) + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD read = 0;
        if (!ReadFile(handle_.get(), bytes.data() + done, static_cast<DWORD>(count - done), &read, &at) || read == 0)
            return std::nullopt;
        done += read;
    }
    return bytes;
}

std::optional<std::string> ReadSmallFile(const std::string& path, size_t maxBytes) {
    const std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(path);
    if (!file || file->Size() > static_cast<std::int64_t>(maxBytes)) return std::nullopt;
    return file->ReadAt(0, static_cast<size_t>(file->Size()));
}

}  // namespace vigilo
