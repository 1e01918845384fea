#include "platform/file_system.h"

#include <limits>

#include "platform/text.h"

namespace vigilo {
namespace {

std::int64_t EntrySize(const WIN32_FIND_DATAW& entry) {
    const std::uint64_t size = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    constexpr auto kLargest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    return static_cast<std::int64_t>(size > kLargest ? kLargest : size);
}

bool IsDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

}  // namespace

std::string WithTrailingBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') return folder;
    return folder + "\\";
}

DWORD FileAttributes(const std::string& path) { return GetFileAttributesW(Utf16(path).c_str()); }

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
    const DWORD attributes = FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FullPath(const std::string& path) {
    if (path.empty()) return {};
    const std::wstring wide = Utf16(path);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return path;
        if (length < full.size()) {
            full.resize(length);
            return Utf8(full);
        }
        full.resize(length + 1);
    }
}

bool SameFolder(const std::string& a, const std::string& b) {
    auto bare = [](const std::string& folder) {
        const std::string full = FullPath(folder);
        const size_t end = full.find_last_not_of('\\');
        return end == std::string::npos ? std::string() : full.substr(0, end + 1);
    };
    return SameIgnoringCase(bare(a), bare(b));
}

bool IsNetworkPath(const std::string& path) {
    auto slash = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 2 && slash(path[0]) && slash(path[1])) {
        // "\\?\C:\..." and "\\.\C:\..." are local drives in long form; the rest is a server's.
        const bool prefixed = path.size() >= 4 && (path[2] == '?' || path[2] == '.') && slash(path[3]);
        if (!prefixed) return true;
        return IsNetworkPath(path.substr(4)) || UpperCaseAscii(path.substr(4, 4)) == "UNC\\";
    }
    const std::string drive = UpperCaseAscii(path.substr(0, 2));
    if (drive.size() == 2 && drive[1] == ':' && drive[0] >= 'A' && drive[0] <= 'Z')
        return GetDriveTypeW(Utf16(drive + "\\").c_str()) == DRIVE_REMOTE;
    return false;
}

std::optional<FileIdentity> FolderIdentity(const std::string& folder) {
    // Read attributes only, and backup semantics, which a folder needs to be opened at all.
    HANDLE raw = CreateFileW(Utf16(folder).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return std::nullopt;
    UniqueKernelHandle handle(raw);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

std::string ExecutableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : Utf8(path.substr(0, slash));
}

bool ForEachFolderEntry(const std::string& folder, const std::function<bool(const FolderEntry&)>& each) {
    WIN32_FIND_DATAW found;
    // Without short names and in large batches: the same entries, listed faster.
    UniqueFindHandle find(FindFirstFileExW(Utf16(folder + "*").c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return true;
    FolderEntry entry;
    do {
        if (IsDotOrDotDot(found.cFileName)) continue;
        entry.name = Utf8(found.cFileName);
        entry.attributes = found.dwFileAttributes;
        entry.size = EntrySize(found);
        if (!each(entry)) return false;
    } while (FindNextFileW(find.get(), &found));
    return true;
}

UniqueChangeNotification WatchFolderChanges(const std::string& folder, bool subtree, DWORD filter) {
    return UniqueChangeNotification(FindFirstChangeNotificationW(Utf16(folder).c_str(), subtree ? TRUE : FALSE, filter));
}

}  // namespace vigilo
