#pragma once
// What a watch last listed of its place, kept per user between runs of
// Vigilo, so that what was added while Vigilo was not running is reported at
// its next start. One REG_MULTI_SZ value per place under Vigilo's own key
// HKCU\Software\Purgeon\Vigilo\Kept, named after the place (KeyPlaceName,
// FolderPlaceName); its first string says what it holds:
//
//   "listed", then each name with ">" before it (so that an empty name, the
//             default value of a key, survives);
//   "absent"  the place did not exist and the watch had no listing of it;
//   "too large" the listing had more than kMostNames names or kMostBytes.
//
// Anything else (another type, an odd size, no final terminator, another
// first string, a name without its ">") is damaged and counts as nothing
// kept, as does "too large".
#include <windows.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace vigilo {

struct KeptListing {
    enum class Kind { Nothing, Absent, Names };
    Kind kind = Kind::Nothing;
    std::vector<std::string> names;  // for Names, in the order listed

    bool operator==(const KeptListing&) const = default;
};

class KeptListingStore {
public:
    static constexpr size_t kMostNames = 4096;
    static constexpr size_t kMostBytes = 256 * 1024;

    // The store under root\keyPath (a test's own key, say).
    KeptListingStore(HKEY root, std::string keyPath) : root_(root), keyPath_(std::move(keyPath)) {}

    // What is kept for place; Nothing when nothing sound is.
    KeptListing Load(const std::string& place) const;
    // Keeps listing for place (Absent or Names; a Names listing beyond the
    // bounds is kept as too large). A place whose name is too long for a
    // value name keeps nothing.
    void Save(const std::string& place, const KeptListing& listing) const;

    // What was kept of a place is compared once a run: whether that is still
    // to come, and the mark that it has been done.
    bool CatchUpPending(const std::string& place) const;
    void MarkCaughtUp(const std::string& place);

private:
    HKEY root_;
    std::string keyPath_;
    mutable std::mutex mutex_;
    std::vector<std::string> caughtUp_;
};

// Vigilo's store, under HKCU\Software\Purgeon\Vigilo\Kept.
KeptListingStore& VigiloKeptListings();

// The name of a watched key's place: its root, view and path, as in
// "HKEY_CURRENT_USER (64-bit view)\Software\Microsoft\Windows\CurrentVersion\Run".
std::string KeyPlaceName(HKEY root, RegistryView view, const std::string& keyPath);
// The name of a watched folder's place: its path.
std::string FolderPlaceName(const std::string& folder);

}  // namespace vigilo
