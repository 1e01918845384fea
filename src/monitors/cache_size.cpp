#include "monitors/cache_size.h"

#include <windows.h>

#include <limits>

#include "platform/text.h"
#include "platform/unique_handle.h"

namespace vigilo {
namespace {

// What a cache keeps for its own bookkeeping, not junk the user could free.
bool IsCacheBookkeeping(const char* name) {
    const std::string upper = UpperCaseAscii(name);
    return upper == "INDEX.DAT" || upper.find("_CACHE_") != std::string::npos;
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Sizes are unsigned in the entry; one beyond 2^63 counts as the largest size.
std::int64_t EntrySize(const WIN32_FIND_DATAA& entry) {
    const std::uint64_t size = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    constexpr auto kLargest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    return static_cast<std::int64_t>(size > kLargest ? kLargest : size);
}

// Adds the folder's sizes to total; false when beforeEachEntry ended the walk.
bool Walk(const std::string& folder, const BeforeEachEntry& beforeEachEntry, std::int64_t& total) {
    WIN32_FIND_DATAA entry;
    // Without short names and in large batches: the same entries, listed faster.
    UniqueFindHandle find(FindFirstFileExA((folder + "*.*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return true;
    do {
        const bool isFolder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if (isFolder && IsDotOrDotDot(entry.cFileName)) continue;
        if (beforeEachEntry && !beforeEachEntry()) return false;
        if (isFolder) {
            const std::string subfolder = folder + entry.cFileName;
            if (subfolder.size() >= kWalkPathLimit) continue;
            if (!Walk(subfolder + "\\", beforeEachEntry, total)) return false;
        } else if (!IsCacheBookkeeping(entry.cFileName)) {
            total = AddSizes(total, EntrySize(entry));
        }
    } while (FindNextFileA(find.get(), &entry));
    return true;
}

}  // namespace

std::int64_t AddSizes(std::int64_t a, std::int64_t b) {
    constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
    return a > kLargest - b ? kLargest : a + b;
}

std::int64_t MeasureFolder(const std::string& folder, const BeforeEachEntry& beforeEachEntry) {
    std::int64_t total = 0;
    Walk(folder, beforeEachEntry, total);
    return total;
}

}  // namespace vigilo
