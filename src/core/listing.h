#pragma once
// What a watch lists of its place (a key's values or subkeys, a folder's
// entries), and how two listings of one place compare. Names compare as
// Windows compares them, letter case ignored in every script. A listing
// kept beyond its bounds (core/kept_listing.h) holds only the 64-bit
// FNV-1a hashes of its upper-cased names: it still tells what is new, not
// what went.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vigilo {

struct ListedEntry {
    std::string name;
    // A hash of what the entry holds, where its watch looks at that; 0: not looked at.
    std::uint64_t dataHash = 0;
    // What an uninstall entry calls itself, as written: its DisplayName and
    // Publisher, and where it was installed (InstallLocation).
    std::string displayName = {};
    std::string publisher = {};
    std::string installLocation = {};
    // The command it starts as this listing read it (a value's text), for
    // the rule of the round; neither kept nor compared.
    std::string command = {};

    bool operator==(const ListedEntry& other) const {
        return name == other.name && dataHash == other.dataHash && displayName == other.displayName &&
               publisher == other.publisher && installLocation == other.installLocation;
    }
};

struct Listing {
    std::vector<ListedEntry> entries;  // in the order listed
    // Only for a listing kept beyond its bounds: the sorted hashes of its
    // names (NameHash), and no entries.
    std::vector<std::uint64_t> nameHashes = {};
    bool hashed = false;

    bool operator==(const Listing&) const = default;
};

// The listing of names, in order, with nothing else looked at.
Listing ListingOf(const std::vector<std::string>& names);

// FNV-1a (64 bits) of the name's upper-cased UTF-16 units, little-endian.
std::uint64_t NameHash(std::string_view name);
// FNV-1a (64 bits) of bytes; never 0, which means "not looked at".
std::uint64_t DataHash(std::string_view bytes);

// The entries of fresh whose names older lacks, in fresh's order.
std::vector<ListedEntry> AddedEntries(const Listing& older, const Listing& fresh);
// The entries of older whose names fresh lacks; none when older is hashed.
std::vector<ListedEntry> RemovedEntries(const Listing& older, const Listing& fresh);
// The entries of fresh that older lists with other data: both looked at
// (data hashes not 0) and the hashes differ; in fresh's order.
std::vector<ListedEntry> ChangedEntries(const Listing& older, const Listing& fresh);

// later, with the entries of earlier whose names it lacks after its own: two
// listings of one place taken one after the other while it changed, where
// an entry missing from one (an enumeration by index skips the entry after
// one deleted meanwhile) counts as present.
Listing MergedListings(const Listing& earlier, Listing later);

// An entry of a round that is new or whose data changed.
struct EntryChange {
    ListedEntry entry;
    bool changed = false;  // it was listed before, with other data
};
// AddedEntries and ChangedEntries together, in fresh's order.
std::vector<EntryChange> AddedOrChangedEntries(const Listing& older, const Listing& fresh);

}  // namespace vigilo
