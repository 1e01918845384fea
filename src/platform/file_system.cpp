#include "platform/file_system.h"

#include <limits>
#include <memory>

#include "platform/text.h"

namespace vigilo {

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

std::string ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return Utf8(path);
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

std::string ExecutableFolder() {
    const std::string path = ProgramPath();
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

OpenFolder::OpenFolder(const std::string& folder) {
    // Listing access, and backup semantics, which a folder needs to be opened at all.
    HANDLE raw = CreateFileW(Utf16(folder).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (raw != INVALID_HANDLE_VALUE) handle_.reset(raw);
}

std::optional<FileIdentity> OpenFolder::Identity() const {
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle_ || !GetFileInformationByHandle(handle_.get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

bool OpenFolder::ForEachEntry(const std::function<bool(const FolderEntry&)>& each) const {
    if (!handle_) return true;
    // Entries come in batches of a buffer each, as FindFirstFileEx's large
    // fetch takes them; a buffer per listing, since each may list a subfolder.
    constexpr DWORD kBatchBytes = 64 * 1024;
    const std::unique_ptr<ULONGLONG[]> buffer(new ULONGLONG[kBatchBytes / sizeof(ULONGLONG)]);
    const auto* bytes = reinterpret_cast<const BYTE*>(buffer.get());
    FolderEntry entry;
    for (FILE_INFO_BY_HANDLE_CLASS batch = FileIdBothDirectoryRestartInfo;; batch = FileIdBothDirectoryInfo) {
        if (!GetFileInformationByHandleEx(handle_.get(), batch, buffer.get(), kBatchBytes)) return true;
        for (DWORD at = 0;;) {
            const auto* found = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + at);
            const std::wstring_view name(found->FileName, found->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                entry.name = Utf8(name);
                entry.attributes = found->FileAttributes;
                entry.size = found->EndOfFile.QuadPart < 0 ? std::numeric_limits<std::int64_t>::max()
                                                           : found->EndOfFile.QuadPart;
                entry.fileIndex = static_cast<std::uint64_t>(found->FileId.QuadPart);
                if (!each(entry)) return false;
            }
            if (found->NextEntryOffset == 0) break;
            at += found->NextEntryOffset;
        }
    }
}

bool ForEachFolderEntry(const std::string& folder, const std::function<bool(const FolderEntry&)>& each) {
    return OpenFolder(folder).ForEachEntry(each);
}

std::optional<FileIdentity> FolderIdentity(const std::string& folder) { return OpenFolder(folder).Identity(); }

FileIdentity EntryIdentity(DWORD volume, const FolderEntry& entry) {
    return FileIdentity{volume, static_cast<DWORD>(entry.fileIndex >> 32), static_cast<DWORD>(entry.fileIndex)};
}

UniqueChangeNotification WatchFolderChanges(const std::string& folder, bool subtree, DWORD filter) {
    return UniqueChangeNotification(FindFirstChangeNotificationW(Utf16(folder).c_str(), subtree ? TRUE : FALSE, filter));
}

}  // namespace vigilo
