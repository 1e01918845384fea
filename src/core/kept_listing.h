#pragma once
// What a watch last listed of its place, kept per user between runs of
// Vigilo and between its watches in one run, so that what was added while
// no watch looked (Vigilo not running, or restarted) is reported when the
// next watch of the place starts. One REG_MULTI_SZ value per place under
// Vigilo's own key HKCU\Software\Purgeon\Vigilo\Kept, named after the place
// (KeyPlaceName, FolderPlaceName); its first string says what it holds:
//
//   "entries" then one string per entry: ">" and its name, and where looked
//             at, a TAB and the hex hash of its data, and a TAB, its display
//             name, a TAB, its publisher and a TAB and its install location
//             (an entry kept by an earlier Vigilo has none); "%", TAB and NUL
//             inside a name are written "%25", "%09" and "%00", so no name
//             breaks it;
//   "hashed"  then the sorted hex hashes of the upper-cased names (at most
//             kMostHashes), for a listing beyond kMostNames or kMostBytes;
//   "absent"  the place did not exist and the watch had no listing of it.
//
// Values an earlier Vigilo wrote still load ("listed", each name after a
// ">", as it stands). Anything else (another type, a size beyond any
// listing, another first string, an entry without its ">") is damaged and
// counts as nothing kept, as does the old "too large".
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "core/listing.h"
#include "platform/registry.h"

namespace vigilo {

struct KeptListing {
    enum class Kind { Nothing, Absent, Listed };
    Kind kind = Kind::Nothing;
    Listing listing = {};  // for Listed

    bool operator==(const KeptListing&) const = default;
};

class KeptListingStore {
public:
    static constexpr size_t kMostNames = 4096;
    static constexpr size_t kMostBytes = 256 * 1024;
    static constexpr size_t kMostHashes = 32000;

    // The store under root\keyPath (a test's own key, say).
    KeptListingStore(HKEY root, std::string keyPath) : root_(root), keyPath_(std::move(keyPath)) {}

    // What is kept for place; Nothing when nothing sound is.
    KeptListing Load(const std::string& place) const;
    // Keeps listing for place (Absent or Listed; a listing beyond the bounds
    // keeps its names' hashes only). A place whose name is too long for a
    // value name keeps nothing.
    void Save(const std::string& place, const KeptListing& listing) const;
    // Removes what is kept of every place but those of places.
    void KeepOnly(const std::vector<std::string>& places) const;

private:
    HKEY root_;
    std::string keyPath_;
};

// Vigilo's store, under HKCU\Software\Purgeon\Vigilo\Kept.
KeptListingStore& VigiloKeptListings();

// The name of a watched key's place: its root, view and path, as in
// "HKEY_CURRENT_USER (64-bit view)\Software\Microsoft\Windows\CurrentVersion\Run".
std::string KeyPlaceName(HKEY root, RegistryView view, const std::string& keyPath);
// The name of a watched folder's place: its path.
std::string FolderPlaceName(const std::string& folder);

}  // namespace vigilo
