#pragma once
// Files and folders as the program sees them: existence tests, folder texts,
// the entries of a folder and change notifications. Paths are UTF-8 and
// reach the file system as UTF-16.
#include <windows.h>

#include <cstdint>
#include <compare>
#include <functional>
#include <optional>
#include <string>

#include "platform/unique_handle.h"

namespace vigilo {

// The folder of the running executable, without trailing "\".
std::string ExecutableFolder();
std::string WithTrailingBackslash(const std::string& folder);
// The attributes of path; INVALID_FILE_ATTRIBUTES when it does not exist.
DWORD FileAttributes(const std::string& path);
bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);  // a file, not a folder
// path made full and normal as Windows does before it opens it ("/" as
// "\", "." and ".." resolved, repeated "\" as one), from the text alone:
// nothing is opened. Empty stays empty.
std::string FullPath(const std::string& path);
// Whether a and b name the same folder as Windows compares paths: made full
// and normal, letter case aside, with or without trailing "\".
bool SameFolder(const std::string& a, const std::string& b);
// Whether path, as written, names a place on another computer: "\\server\share",
// "\\?\UNC\...", or a drive letter mapped to a share. Opening such a path
// waits for the network and hands the host the user's credentials.
bool IsNetworkPath(const std::string& path);

// Who a folder is, whatever path reached it: its volume and file index.
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    auto operator<=>(const FileIdentity&) const = default;
};
// The identity of folder; empty when it cannot be opened.
std::optional<FileIdentity> FolderIdentity(const std::string& folder);

// One entry of a folder listing.
struct FolderEntry {
    std::string name;
    DWORD attributes = 0;
    std::int64_t size = 0;  // a size beyond 2^63 counts as the largest
    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// Calls each for every entry of folder (ending in "\") but "." and "..",
// in the order the file system gives them, until it returns false; false
// when each ended the listing. A folder that cannot be listed has no entries.
bool ForEachFolderEntry(const std::string& folder, const std::function<bool(const FolderEntry&)>& each);

// A change notification for folder (FindFirstChangeNotification); empty
// when the folder cannot be watched.
UniqueChangeNotification WatchFolderChanges(const std::string& folder, bool subtree, DWORD filter);

}  // namespace vigilo
