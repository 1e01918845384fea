#include "monitors/place.h"

#include <unordered_map>

#include "core/autostart_command.h"
#include "core/kept_listing.h"
#include "core/settings_store.h"
#include "monitors/appearance_wait.h"
#include "monitors/ten_minute_tick.h"
#include "platform/file_system.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// A key's watch looks at everything but the security of what it holds.
constexpr DWORD kKeyFilter =
    REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_ATTRIBUTES | REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_SECURITY;
constexpr DWORD kKeySliceMs = 1000;
constexpr DWORD kFolderSliceMs = 10000;

DWORD KeyFilter(KeyChanges changes) {
    switch (changes) {
    case KeyChanges::Subtree: return kKeyFilter;
    case KeyChanges::Values: return REG_NOTIFY_CHANGE_LAST_SET;
    case KeyChanges::SubkeyNames:
    case KeyChanges::SubkeyNamesAndTicks: return REG_NOTIFY_CHANGE_NAME;
    }
    return kKeyFilter;
}

DWORD FolderFilter(FolderChanges changes) {
    switch (changes) {
    case FolderChanges::Entries: return FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
    case FolderChanges::Subfolders: return FILE_NOTIFY_CHANGE_DIR_NAME;
    case FolderChanges::FilesWritten: return FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;
    }
    return FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
}

class KeyWatch : public PlaceWatch {
public:
    KeyWatch(const PlaceSpec& spec, UniqueKey key, bool subtree, DWORD filter, bool ticks)
        : key_(std::move(key)), subtree_(subtree), filter_(filter),
          changed_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          parentSignal_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        if (ticks) ticks_ = std::make_unique<TickSubscription>(changed_.get());
        const std::string parent = ParentPath(spec.path);
        if (!parent.empty()) parent_ = OpenKey(spec.root, parent, KEY_NOTIFY, spec.view);
        RearmChanged();
        Rearm();
    }
    bool Armed() const { return armedChanged_; }

    HANDLE Changed() const override { return changed_.get(); }
    void RearmChanged() override {
        ResetEvent(changed_.get());
        armedChanged_ = changed_ && RegNotifyChangeKeyValue(key_.get(), subtree_, filter_, changed_.get(), TRUE) ==
                                        ERROR_SUCCESS;
    }
    HANDLE Signal() const override { return armedParent_ ? parentSignal_.get() : nullptr; }
    void Rearm() override {
        ResetEvent(parentSignal_.get());
        armedParent_ = parent_ && parentSignal_ &&
                       RegNotifyChangeKeyValue(parent_.get(), FALSE, REG_NOTIFY_CHANGE_NAME, parentSignal_.get(),
                                               TRUE) == ERROR_SUCCESS;
    }
    // Deleted meanwhile (the key is open with KEY_QUERY_VALUE).
    bool Gone() const override {
        return RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr) == ERROR_KEY_DELETED;
    }

private:
    UniqueKey key_;
    BOOL subtree_;
    DWORD filter_;
    UniqueKernelHandle changed_;
    std::unique_ptr<TickSubscription> ticks_;  // goes before changed_, whose event it sets
    UniqueKey parent_;
    UniqueKernelHandle parentSignal_;
    bool armedChanged_ = false;
    bool armedParent_ = false;
};

class FolderWatch : public PlaceWatch {
public:
    FolderWatch(const std::string& folder, DWORD filter)
        : folder_(folder), changed_(WatchFolderChanges(folder, false, filter)),
          identity_(OpenFolder(folder).Identity()) {
        const std::string parent = ParentFolderPath(folder);
        if (!parent.empty()) parent_ = WatchFolderChanges(parent, false, FILE_NOTIFY_CHANGE_DIR_NAME);
    }
    bool Armed() const { return static_cast<bool>(changed_) && identity_.has_value(); }

    HANDLE Changed() const override { return changed_.get(); }
    void RearmChanged() override { FindNextChangeNotification(changed_.get()); }
    HANDLE Signal() const override { return parent_ ? parent_.get() : nullptr; }
    void Rearm() override {
        if (!FindNextChangeNotification(parent_.get())) parent_.reset();
    }
    // Gone, or another folder now stands at its path.
    bool Gone() const override { return OpenFolder(folder_).Identity() != identity_; }

private:
    std::string folder_;
    UniqueChangeNotification changed_;
    std::optional<FileIdentity> identity_;
    UniqueChangeNotification parent_;
};

std::vector<std::string> ForcedExtensionIds(HKEY key) {
    std::vector<std::string> ids;
    for (const std::string& name : ValueNames(key))
        if (std::string id = ForcedExtensionId(StringValue(key, name)); !id.empty()) ids.push_back(std::move(id));
    return ids;
}

constexpr DWORD kLastStartWithWindows = 2;  // SERVICE_AUTO_START

// Each subkey of the Services key a service, with whether it starts with
// Windows and, where it does, the hash of its ImagePath's program and that command.
Listing ServiceStates(HKEY services) {
    Listing listing;
    for (const std::string& name : SubkeyNames(services)) {
        const UniqueKey service = OpenKey(services, name, KEY_QUERY_VALUE);
        if (!service) continue;
        ListedEntry entry{name, kNotStartingWithWindows};
        if (StartsWithWindows(DwordValue(service.get(), "Start"))) {
            entry.command = StringValue(service.get(), "ImagePath");
            entry.dataHash = CommandProgramHash(entry.command);
        }
        listing.entries.push_back(std::move(entry));
    }
    return listing;
}

// Windows loads the DLLs of AppInit_DLLs only while this value is 1.
constexpr const char* kLoadAppInitDlls = "LoadAppInit_DLLs";

std::uint64_t DataHashOfValue(const RegistryValue& value) {
    std::string bytes(reinterpret_cast<const char*>(&value.type), sizeof value.type);
    bytes.append(value.data.begin(), value.data.end());
    return DataHash(bytes);
}

std::uint64_t ApprovedStateHash(const RegistryValue& value) {
    return StartupApprovedSaysDisabled(value) ? kSwitchedOffAtStartup : DataHashOfValue(value);
}

// The program hash of each command of a place's last listing, so that a
// listing takes apart only the commands new to it: a key of ten thousand
// values is listed at every change, and taking a command apart asks the
// file system. A command keeps its hash while its text stays.
class CommandHashes {
public:
    std::uint64_t Of(const RegistryValue& value) {
        const std::string command = StringValue(value);
        // Many values may start one command: it is taken apart once.
        if (const auto listed = now_.find(command); listed != now_.end()) return listed->second;
        const auto known = last_.find(command);
        const std::uint64_t hash = known != last_.end() ? known->second : CommandProgramHash(command);
        now_.emplace(command, hash);
        return hash;
    }
    // The listing is done: what it did not hold is forgotten.
    void Listed() {
        last_ = std::move(now_);
        now_.clear();
    }

private:
    std::unordered_map<std::string, std::uint64_t> last_, now_;
};

// The values the place names that the key holds, or all of them where it names none.
std::vector<NamedValue> LookedAtValues(HKEY key, const PlaceSpec& spec) {
    if (spec.values.empty()) return Values(key);
    std::vector<NamedValue> values;
    for (const std::string& name : spec.values)
        if (std::optional<RegistryValue> value = QueryValue(key, name)) values.push_back({name, std::move(*value)});
    return values;
}

template <typename Hash>
Listing ValuesHashed(HKEY key, const PlaceSpec& spec, Hash hash) {
    Listing listing;
    for (const NamedValue& value : LookedAtValues(key, spec)) listing.entries.push_back({value.name, hash(value.value)});
    return listing;
}

// An entry named name that holds a command: with the hash of its program, and the command.
ListedEntry CommandEntry(const std::string& name, const RegistryValue& value, CommandHashes& hashes) {
    return {name, hashes.Of(value), {}, {}, {}, StringValue(value)};
}

// Each value with the hash of its command's program, and the command, read with its name.
Listing ValuesWithPrograms(HKEY key, const PlaceSpec& spec, CommandHashes& hashes) {
    Listing listing;
    for (const NamedValue& value : LookedAtValues(key, spec))
        listing.entries.push_back(CommandEntry(value.name, value.value, hashes));
    return listing;
}

// Each program of each list value as an entry, "<value>: <program>".
Listing ListedPrograms(HKEY key, const PlaceSpec& spec, ListItems items) {
    Listing listing;
    for (const NamedValue& value : LookedAtValues(key, spec))
        for (const std::string& program : ProgramsOfList(StringValue(value.value), items))
            listing.entries.push_back({ListEntryName(value.name, program), ProgramHash(program)});
    return listing;
}

// The subkeys that hold the place's value (a debugger, a component's
// StubPath), each with the hash of the program that value's command starts.
Listing SubkeysHolding(HKEY key, const PlaceSpec& spec, CommandHashes& hashes) {
    Listing listing;
    if (spec.values.empty()) return listing;
    for (const std::string& name : SubkeyNames(key)) {
        const UniqueKey subkey = OpenKey(key, name, KEY_QUERY_VALUE, spec.view);
        if (!subkey) continue;
        if (const std::optional<RegistryValue> value = QueryValue(subkey.get(), spec.values[0]))
            listing.entries.push_back(CommandEntry(name, *value, hashes));
    }
    return listing;
}

class KeyPlace : public Place {
public:
    KeyPlace(const PlaceSpec& spec, KeyListing listing, KeyChanges changes)
        : spec_(spec), listing_(listing), changes_(changes) {}

    std::string KeptName() const override { return KeyPlaceName(spec_.root, spec_.view, spec_.path); }
    bool Exists() const override { return KeyExists(spec_.root, spec_.path, spec_.view); }
    bool WaitUntilExists(const MonitorThread& thread, std::atomic<bool>& waiting) const override {
        return vigilo::WaitUntilExists(spec_.path, RegistryKeys(spec_.root, spec_.view), thread, kKeySliceMs, waiting);
    }
    std::unique_ptr<PlaceWatch> Watch() const override {
        UniqueKey key = OpenKey(spec_.root, spec_.path, KEY_NOTIFY | KEY_QUERY_VALUE, spec_.view);
        if (!key) return nullptr;
        const bool subtree = changes_ == KeyChanges::Subtree;
        auto watch = std::make_unique<KeyWatch>(spec_, std::move(key), subtree, KeyFilter(changes_),
                                                changes_ == KeyChanges::SubkeyNamesAndTicks);
        return watch->Armed() ? std::move(watch) : nullptr;
    }
    Listing List(const Listing& previous) const override {
        const UniqueKey key = OpenKey(spec_.root, spec_.path, KEY_READ, spec_.view);
        if (!key) return {};
        Listing listing = ListOpen(key.get(), previous);
        commandHashes_.Listed();
        return listing;
    }
    DWORD WaitSliceMs() const override { return kKeySliceMs; }

private:
    Listing ListOpen(HKEY key, const Listing& previous) const {
        switch (listing_) {
        case KeyListing::Values: return ListingOf(ValueNames(key));
        case KeyListing::ValuePrograms: return ValuesWithPrograms(key, spec_, commandHashes_);
        case KeyListing::ValueData: return ValuesHashed(key, spec_, DataHashOfValue);
        case KeyListing::CommandLists: return ListedPrograms(key, spec_, ListItems::Commands);
        case KeyListing::FileLists: return ListedPrograms(key, spec_, ListItems::Files);
        case KeyListing::AppInitDlls:
            if (DwordValue(key, kLoadAppInitDlls) != 1) return {};
            return ListedPrograms(key, spec_, ListItems::Files);
        case KeyListing::SubkeysWithValue: return SubkeysHolding(key, spec_, commandHashes_);
        case KeyListing::Subkeys: return ListingOf(SubkeyNames(key));
        case KeyListing::LabelledSubkeys: return Labelled(ListingOf(SubkeyNames(key)), previous);
        case KeyListing::ServiceStates: return ServiceStates(key);
        case KeyListing::ForcedExtensionIds: return ListingOf(ForcedExtensionIds(key));
        case KeyListing::ApprovedStates: return ValuesHashed(key, spec_, ApprovedStateHash);
        }
        return {};
    }

    // Each subkey's DisplayName, Publisher and InstallLocation: taken over
    // from previous where it lists the subkey, read for the others only.
    Listing Labelled(Listing listing, const Listing& previous) const {
        std::unordered_map<std::wstring, const ListedEntry*> known;
        for (const ListedEntry& entry : previous.entries) known.emplace(UpperCaseOrdinal(entry.name), &entry);
        for (ListedEntry& entry : listing.entries) {
            const auto it = known.find(UpperCaseOrdinal(entry.name));
            if (it != known.end() && (!it->second->displayName.empty() || !it->second->publisher.empty())) {
                entry.displayName = it->second->displayName;
                entry.publisher = it->second->publisher;
                entry.installLocation = it->second->installLocation;
                continue;
            }
            const std::string subkey = WithTrailingBackslash(spec_.path) + entry.name;
            entry.displayName = ReadString(spec_.root, subkey, "DisplayName", spec_.view);
            entry.publisher = ReadString(spec_.root, subkey, "Publisher", spec_.view);
            entry.installLocation = ReadString(spec_.root, subkey, "InstallLocation", spec_.view);
        }
        return listing;
    }

    PlaceSpec spec_;
    KeyListing listing_;
    KeyChanges changes_;
    // Only the watch's own thread lists its place.
    mutable CommandHashes commandHashes_;
};

class FolderPlace : public Place {
public:
    FolderPlace(const PlaceSpec& spec, FolderChanges changes) : spec_(spec), filter_(FolderFilter(changes)) {}

    std::string KeptName() const override { return FolderPlaceName(spec_.path); }
    bool Exists() const override { return DirectoryExists(spec_.path); }
    bool WaitUntilExists(const MonitorThread& thread, std::atomic<bool>& waiting) const override {
        return vigilo::WaitUntilExists(spec_.path, Folders(), thread, kFolderSliceMs, waiting);
    }
    std::unique_ptr<PlaceWatch> Watch() const override {
        auto watch = std::make_unique<FolderWatch>(spec_.path, filter_);
        return watch->Armed() ? std::move(watch) : nullptr;
    }
    Listing List(const Listing&) const override {
        Listing listing;
        ForEachFolderEntry(spec_.path, [&](const FolderEntry& entry) {
            listing.entries.push_back({entry.name});
            return true;
        });
        return listing;
    }
    DWORD WaitSliceMs() const override { return kFolderSliceMs; }

private:
    PlaceSpec spec_;
    DWORD filter_;
};

}  // namespace

std::unique_ptr<Place> MakeKeyPlace(const PlaceSpec& spec, KeyListing listing, KeyChanges changes) {
    return std::make_unique<KeyPlace>(spec, listing, changes);
}

std::unique_ptr<Place> MakeFolderPlace(const PlaceSpec& spec, FolderChanges changes) {
    return std::make_unique<FolderPlace>(spec, changes);
}

const std::uint64_t kNotStartingWithWindows = DataHash("does not start with windows");

bool StartsWithWindows(std::optional<DWORD> start) { return start && *start <= kLastStartWithWindows; }

std::string ForcedExtensionId(const std::string& valueText) {
    return TrimControlAndBlanks(valueText.substr(0, valueText.find(';')));
}

}  // namespace vigilo
