#include "platform/appended_file.h"

#include <windows.h>

#include "platform/read_only_file.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

namespace vigilo {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool WriteAll(HANDLE file, std::string_view bytes) {
    if (bytes.size() > MAXDWORD) return false;
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

bool AppendToFile(const std::string& path, std::string_view bytes) {
    // Null security attributes: the folder's inherited, that is the user's own, permissions.
    const HANDLE raw = CreateFileW(Utf16(path).c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return false;
    const UniqueKernelHandle file(raw);
    return WriteAll(file.get(), bytes);
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
    const HANDLE raw = CreateFileW(Utf16(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return false;
    const UniqueKernelHandle file(raw);
    return WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
}

bool MoveFileOver(const std::string& replacement, const std::string& path) {
    return MoveFileExW(Utf16(replacement).c_str(), Utf16(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(Utf16(path).c_str()) != FALSE; }

bool MakeFolderPath(const std::string& folder) {
    std::wstring path = Utf16(folder);
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t parentEnd = path.find_last_of(L"\\/");
    // A drive's root ("C:") or a share's is there or not: it is never made.
    if (parentEnd != std::wstring::npos && parentEnd > 0 && path[parentEnd - 1] != L':' &&
        !MakeFolderPath(Utf8(path.substr(0, parentEnd))))
        return false;
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::optional<FileTail> ReadFileTail(const std::string& path, std::int64_t maxBytes) {
    const std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(path);
    if (!file) {
        if (Missing(GetLastError())) return FileTail{};
        return std::nullopt;
    }
    FileTail tail{true};
    tail.size = file->Size();
    const std::int64_t from = tail.size > maxBytes ? tail.size - maxBytes : 0;
    std::optional<std::string> bytes = file->ReadAt(from, static_cast<size_t>(tail.size - from));
    if (!bytes) return std::nullopt;
    tail.bytes = std::move(*bytes);
    if (from > 0) {
        // The first line read may be only the end of one.
        const size_t lineEnd = tail.bytes.find('\n');
        tail.bytes.erase(0, lineEnd == std::string::npos ? tail.bytes.size() : lineEnd + 1);
        tail.cut = true;
    }
    return tail;
}

std::string SystemErrorText(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = length ? TrimControlAndBlanks(Utf8(std::wstring_view(text, length))) : std::string();
    LocalFree(text);
    return message.empty() ? "error " + std::to_string(code) : message;
}

}  // namespace vigilo
