#include "monitors/cache_size.h"

#include <limits>

#include "platform/file_system.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// What a cache keeps for its own bookkeeping, not junk the user could free.
bool IsCacheBookkeeping(const std::string& name) {
    const std::string upper = UpperCaseAscii(name);
    return upper == "INDEX.DAT" || upper.find("_CACHE_") != std::string::npos;
}

// Adds the sizes in the open folder (on volume) to total; false when
// beforeEachEntry ended the walk. Each subfolder's identity comes from the
// listing; a link's is asked of the folder it leads to.
bool Walk(const std::string& path, const OpenFolder& folder, DWORD volume, const BeforeEachEntry& beforeEachEntry,
          CountedFolders& counted, std::int64_t& total) {
    return folder.ForEachEntry([&](const FolderEntry& entry) {
        if (beforeEachEntry && !beforeEachEntry()) return false;
        if (!entry.IsFolder()) {
            if (!IsCacheBookkeeping(entry.name)) total = AddSizes(total, entry.size);
            return true;
        }
        const std::string subpath = path + entry.name;
        if (Utf16Length(subpath) >= kWalkPathLimit) return true;
        std::optional<FileIdentity> identity;
        if (!entry.IsLink() && entry.fileIndex != 0) {  // a file system without indexes has no links either
            identity = EntryIdentity(volume, entry);
            if (!counted.insert(*identity).second) return true;
        }
        const OpenFolder subfolder(subpath + "\\");
        if (entry.IsLink()) {
            identity = subfolder.Identity();
            if (!identity || !counted.insert(*identity).second) return true;
        }
        return Walk(subpath + "\\", subfolder, identity ? identity->volume : volume, beforeEachEntry, counted, total);
    });
}

}  // namespace

std::int64_t AddSizes(std::int64_t a, std::int64_t b) {
    constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
    return a > kLargest - b ? kLargest : a + b;
}

std::int64_t MeasureFolder(const std::string& folder, const BeforeEachEntry& beforeEachEntry) {
    CountedFolders counted;
    return MeasureFolder(folder, beforeEachEntry, counted);
}

std::int64_t MeasureFolder(const std::string& folder, const BeforeEachEntry& beforeEachEntry, CountedFolders& counted) {
    std::int64_t total = 0;
    // An empty path would be the current folder: no folder is no junk.
    if (folder.empty()) return 0;
    const OpenFolder top(folder);
    const std::optional<FileIdentity> identity = top.Identity();
    if (identity && counted.insert(*identity).second) Walk(folder, top, identity->volume, beforeEachEntry, counted, total);
    return total;
}

}  // namespace vigilo
