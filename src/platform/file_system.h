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

// The running executable's path; empty where it cannot be had.
std::string ProgramPath();
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

// One entry of a folder listing.
struct FolderEntry {
    std::string name;
    DWORD attributes = 0;
    std::int64_t size = 0;  // a size beyond 2^63 counts as the largest
    // The entry's file index on its folder's volume, 0 where the file system
    // has none; for a link, Windows gives the link's own, Wine the target's.
    std::uint64_t fileIndex = 0;
    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // A junction, mount point or symbolic link: it may lead anywhere, another volume included.
    bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

// Who a folder is, whatever path reached it: its volume and file index.
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    auto operator<=>(const FileIdentity&) const = default;
};
// The identity of a folder's entry that is no link, from the listing alone.
FileIdentity EntryIdentity(DWORD volume, const FolderEntry& entry);

// A folder opened once, to tell who it is and to list its entries: the walk
// of a cache needs both for every folder, and one open serves them.
class OpenFolder {
public:
    explicit OpenFolder(const std::string& folder);
    explicit operator bool() const { return static_cast<bool>(handle_); }
    // Empty when the folder did not open. (Under Wine this asks for the
    // volume's serial number, which costs a millisecond: a walk asks it of
    // its top folder and of links only, and takes the rest from listings.)
    std::optional<FileIdentity> Identity() const;
    // Calls each for every entry but "." and "..", in the order the file
    // system gives them, until it returns false; false when each ended the
    // listing. A folder that did not open has no entries.
    bool ForEachEntry(const std::function<bool(const FolderEntry&)>& each) const;

private:
    UniqueKernelHandle handle_;
};

// OpenFolder(folder).ForEachEntry(each), for folder ending in "\" or not.
bool ForEachFolderEntry(const std::string& folder, const std::function<bool(const FolderEntry&)>& each);

// A change notification for folder (FindFirstChangeNotification); empty
// when the folder cannot be watched.
UniqueChangeNotification WatchFolderChanges(const std::string& folder, bool subtree, DWORD filter);

}  // namespace vigilo
