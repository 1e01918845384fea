#include "core/listing.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/text.h"

namespace vigilo {
namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t Fnv(std::uint64_t hash, unsigned char byte) { return (hash ^ byte) * kFnvPrime; }

// The names of a listing, one form per name however its letters are cased.
class NameSet {
public:
    explicit NameSet(const Listing& listing) : hashed_(listing.hashed), hashes_(listing.nameHashes) {
        for (const ListedEntry& entry : listing.entries) names_.insert(UpperCaseOrdinal(entry.name));
    }
    bool Contains(const std::string& name) const {
        if (hashed_) return std::binary_search(hashes_.begin(), hashes_.end(), NameHash(name));
        return names_.contains(UpperCaseOrdinal(name));
    }

private:
    bool hashed_;
    const std::vector<std::uint64_t>& hashes_;
    std::unordered_set<std::wstring> names_;
};

}  // namespace

Listing ListingOf(const std::vector<std::string>& names) {
    Listing listing;
    for (const std::string& name : names) listing.entries.push_back({name});
    return listing;
}

std::uint64_t NameHash(std::string_view name) {
    std::uint64_t hash = kFnvOffset;
    for (const wchar_t unit : UpperCaseOrdinal(name)) {
        hash = Fnv(hash, static_cast<unsigned char>(unit & 0xFF));
        hash = Fnv(hash, static_cast<unsigned char>((unit >> 8) & 0xFF));
    }
    return hash;
}

std::uint64_t DataHash(std::string_view bytes) {
    std::uint64_t hash = kFnvOffset;
    for (const char byte : bytes) hash = Fnv(hash, static_cast<unsigned char>(byte));
    return hash == 0 ? 1 : hash;
}

std::vector<ListedEntry> AddedEntries(const Listing& older, const Listing& fresh) {
    const NameSet known(older);
    std::unordered_set<std::wstring> taken;  // a name listed twice (a policy's ids) is new once
    std::vector<ListedEntry> added;
    for (const ListedEntry& entry : fresh.entries)
        if (!known.Contains(entry.name) && taken.insert(UpperCaseOrdinal(entry.name)).second) added.push_back(entry);
    return added;
}

std::vector<ListedEntry> RemovedEntries(const Listing& older, const Listing& fresh) {
    return older.hashed ? std::vector<ListedEntry>{} : AddedEntries(fresh, older);
}

Listing MergedListings(const Listing& earlier, Listing later) {
    for (ListedEntry& entry : AddedEntries(later, earlier)) later.entries.push_back(std::move(entry));
    return later;
}

std::vector<EntryChange> AddedOrChangedEntries(const Listing& older, const Listing& fresh) {
    // Each name's data as older had it; a hashed listing kept no data.
    std::unordered_map<std::wstring, std::uint64_t> before;
    for (const ListedEntry& entry : older.entries) before.emplace(UpperCaseOrdinal(entry.name), entry.dataHash);
    const NameSet known(older);
    std::unordered_set<std::wstring> taken;
    std::vector<EntryChange> changes;
    for (const ListedEntry& entry : fresh.entries) {
        std::wstring name = UpperCaseOrdinal(entry.name);
        if (!taken.insert(name).second) continue;
        if (!known.Contains(entry.name)) {
            changes.push_back({entry, false});
            continue;
        }
        const auto it = before.find(name);
        if (it != before.end() && it->second != 0 && entry.dataHash != 0 && it->second != entry.dataHash)
            changes.push_back({entry, true});
    }
    return changes;
}

std::vector<ListedEntry> ChangedEntries(const Listing& older, const Listing& fresh) {
    std::vector<ListedEntry> changed;
    for (EntryChange& change : AddedOrChangedEntries(older, fresh))
        if (change.changed) changed.push_back(std::move(change.entry));
    return changed;
}

}  // namespace vigilo
