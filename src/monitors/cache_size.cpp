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

// Adds the folder's sizes to total; false when beforeEachEntry ended the walk.
bool Walk(const std::string& folder, const BeforeEachEntry& beforeEachEntry, CountedFolders& counted,
          std::int64_t& total) {
    // A folder that cannot be opened for its identity cannot be listed either.
    const std::optional<FileIdentity> identity = FolderIdentity(folder);
    if (!identity || !counted.insert(*identity).second) return true;
    return ForEachFolderEntry(folder, [&](const FolderEntry& entry) {
        if (beforeEachEntry && !beforeEachEntry()) return false;
        if (entry.IsFolder()) {
            const std::string subfolder = folder + entry.name;
            if (Utf16Length(subfolder) >= kWalkPathLimit) return true;
            return Walk(subfolder + "\\", beforeEachEntry, counted, total);
        }
        if (!IsCacheBookkeeping(entry.name)) total = AddSizes(total, entry.size);
        return true;
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
    if (!folder.empty()) Walk(folder, beforeEachEntry, counted, total);
    return total;
}

}  // namespace vigilo
