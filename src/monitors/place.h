#pragma once
// A place a watch looks at: a registry key in one view, or a folder. The
// watch engine (watch.h) asks a place whether it exists, waits for it while
// it does not, arms a watch of its changes and lists it; how each of these
// is done for a key and for a folder is here, and nowhere else.
//
// A key is watched with a change notification (RegNotifyChangeKeyValue) on
// the open key, a folder with one on its path (FindFirstChangeNotification).
// Either can leave without its own notification saying so (Wine never
// signals the deletion of a watched key or folder; a folder moved away takes
// its notification along), so its parent is watched too for names that come
// and go (change_wait.h). A folder is known by its identity (volume and file
// index) from the moment it is armed: a folder renamed away and made again
// at the same path is another folder, and its watch is taken anew.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/listing.h"
#include "core/startup_approved.h"
#include "monitors/change_wait.h"
#include "platform/monitor_thread.h"
#include "platform/registry.h"

namespace vigilo {

// Where Windows keeps whether a place's entries start at log-on: the
// StartupApproved list of the entries' root (HKCU or HKLM).
struct ApprovedSwitch {
    HKEY root;
    StartupApprovedList list;
    bool operator==(const ApprovedSwitch&) const = default;
};

// Where a watch looks, as the table of kinds names it.
struct PlaceSpec {
    HKEY root = nullptr;  // null: a folder
    std::string path;     // the key's path, or the folder ending in "\"
    RegistryView view = RegistryView::k64Bit;
    std::string browser = {};  // an extension place's browser, as the extension window names it
    // The values a key's listing looks at: for the listings of values, only
    // these (none: all); for SubkeysWithValue, the value a subkey must hold.
    std::vector<std::string> values = {};
    // The switch its entries answer to, where Windows' start-up lists have one.
    std::optional<ApprovedSwitch> approved = {};

    bool IsFolder() const { return root == nullptr; }
    bool operator==(const PlaceSpec&) const = default;
};

// What a listing of a key holds.
enum class KeyListing {
    Values,              // its value names
    ValuePrograms,       // ... each with the hash of the program its command starts, and the command
    ValueData,           // ... each with the hash of its data
    CommandLists,        // the programs of each value, a list of commands (ListItems::Commands), as entries
    FileLists,           // the files of each value, a list of files (ListItems::Files), as entries
    AppInitDlls,         // FileLists, while the key's LoadAppInit_DLLs is 1; else nothing
    SubkeysWithValue,    // the subkeys that hold the place's value, each with the hash of its program and its command
    Subkeys,             // its subkey names
    LabelledSubkeys,     // ... with each one's DisplayName, Publisher and InstallLocation
    ServiceStates,       // ... each a service, with whether it starts with Windows and its program's hash
    ForcedExtensionIds,  // the extensions its string values name (the text up to ";")
    ApprovedStates,      // its StartupApproved values, each hashed, or kSwitchedOffAtStartup where it says disabled
};

// The hash an ApprovedStates listing gives a value that says its entry is
// disabled at start-up; a data hash is never 0 and 1 only by a 1 in 2^64 chance.
inline constexpr std::uint64_t kSwitchedOffAtStartup = 1;
// The hash a ServiceStates listing gives a service that does not start with
// Windows; no program hashes to it, as ProgramHash hashes upper-cased texts.
extern const std::uint64_t kNotStartingWithWindows;
// Whether a service's Start value makes it start with Windows: boot (0),
// system (1) or automatic (2); a missing Start, or one of another type, does not.
bool StartsWithWindows(std::optional<DWORD> start);

// What wakes the watch of a key.
enum class KeyChanges {
    Subtree,              // anything in the key or below it
    Values,               // values written or deleted in the key itself
    SubkeyNames,          // subkeys that come and go directly in the key
    SubkeyNamesAndTicks,  // ... and every ten-minute tick (ten_minute_tick.h)
};

// What wakes the watch of a folder. A folder's listing is its entries,
// files and folders alike.
enum class FolderChanges {
    Entries,       // entries created, deleted or renamed directly in the folder
    Subfolders,    // folders that come and go directly in it
    FilesWritten,  // files that come, go or are written directly in it
};

// An armed watch of a place's changes.
class PlaceWatch : public ParentWatch {
public:
    // Signalled on a change of the place.
    virtual HANDLE Changed() const = 0;
    // Arms it again after its signal, before the place is listed anew.
    virtual void RearmChanged() = 0;
};

class Place {
public:
    virtual ~Place() = default;
    // The name what it lists is kept under between watches; empty: kept nowhere.
    virtual std::string KeptName() const = 0;
    virtual bool Exists() const = 0;
    // Waits until it exists, never polling; false when thread was told to
    // terminate first. waiting is set meanwhile.
    virtual bool WaitUntilExists(const MonitorThread& thread, std::atomic<bool>& waiting) const = 0;
    // Arms a watch of its changes; null when it cannot be watched (it left meanwhile).
    virtual std::unique_ptr<PlaceWatch> Watch() const = 0;
    // Lists it; what previous knew of an entry (its labels) is taken over, not read again.
    virtual Listing List(const Listing& previous) const = 0;
    // How often a wait looks again where nothing can be watched.
    virtual DWORD WaitSliceMs() const = 0;

};

std::unique_ptr<Place> MakeKeyPlace(const PlaceSpec& spec, KeyListing listing, KeyChanges changes);
std::unique_ptr<Place> MakeFolderPlace(const PlaceSpec& spec, FolderChanges changes);

// The extension a policy value's text names: the text up to its first ";",
// trimmed of blanks and control characters.
std::string ForcedExtensionId(const std::string& valueText);

}  // namespace vigilo
