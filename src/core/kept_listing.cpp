#include "core/kept_listing.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "core/settings_store.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr const char* kEntries = "entries";
constexpr const char* kHashed = "hashed";
constexpr const char* kAbsent = "absent";
constexpr const char* kOldListed = "listed";  // written by earlier versions: names as they stand
constexpr char kNameMark = '>';
constexpr char kField = '\t';
// The registry's limit on a value name, in UTF-16 units.
constexpr size_t kLongestValueName = 16383;
// No listing of ours takes more: kMostHashes hashes of 16 digits and their NULs, in UTF-16.
constexpr size_t kMostStoredBytes = 2 * 1024 * 1024;

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '%') out += "%25";
        else if (c == '\t') out += "%09";
        else if (c == '\0') out += "%00";
        else out += c;
    }
    return out;
}

std::string Unescaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const std::string_view code = text.substr(i, 3);
        if (code == "%25") out += '%';
        else if (code == "%09") out += '\t';
        else if (code == "%00") out += '\0';
        else {
            out += text[i];
            continue;
        }
        i += 2;
    }
    return out;
}

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

bool ParseHex(std::string_view text, std::uint64_t& value) {
    if (text.empty() || text.size() > 16) return false;
    value = 0;
    for (const char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return true;
}

std::string EntryText(const ListedEntry& entry) {
    std::string text = kNameMark + Escaped(entry.name);
    const bool labelled = !entry.displayName.empty() || !entry.publisher.empty() || !entry.installLocation.empty();
    if (entry.dataHash || labelled) text += kField + (entry.dataHash ? Hex(entry.dataHash) : std::string());
    if (labelled)
        text += kField + Escaped(entry.displayName) + kField + Escaped(entry.publisher) + kField +
                Escaped(entry.installLocation);
    return text;
}

std::vector<std::string> HashedTexts(const Listing& listing) {
    std::vector<std::uint64_t> hashes = listing.nameHashes;
    for (const ListedEntry& entry : listing.entries) hashes.push_back(NameHash(entry.name));
    std::sort(hashes.begin(), hashes.end());
    hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
    if (hashes.size() > KeptListingStore::kMostHashes) hashes.resize(KeptListingStore::kMostHashes);
    std::vector<std::string> texts{kHashed};
    for (const std::uint64_t hash : hashes) texts.push_back(Hex(hash));
    return texts;
}

std::vector<std::string> Encode(const KeptListing& kept) {
    if (kept.kind == KeptListing::Kind::Absent) return {kAbsent};
    const Listing& listing = kept.listing;
    if (listing.hashed || listing.entries.size() > KeptListingStore::kMostNames) return HashedTexts(listing);
    std::vector<std::string> texts{kEntries};
    size_t units = 0;
    for (const ListedEntry& entry : listing.entries) {
        texts.push_back(EntryText(entry));
        units += Utf16Length(texts.back()) + 1;
        if (units * sizeof(wchar_t) > KeptListingStore::kMostBytes) return HashedTexts(listing);
    }
    return texts;
}

std::optional<ListedEntry> DecodeEntry(std::string_view text, bool oldFormat) {
    if (text.empty() || text[0] != kNameMark) return std::nullopt;
    if (oldFormat) return ListedEntry{std::string(text.substr(1))};
    const std::vector<std::string_view> fields = SplitAt(text.substr(1), kField);
    ListedEntry entry{Unescaped(fields[0])};
    if (fields.size() > 1 && !fields[1].empty() && !ParseHex(fields[1], entry.dataHash)) return std::nullopt;
    if (fields.size() > 2) entry.displayName = Unescaped(fields[2]);
    if (fields.size() > 3) entry.publisher = Unescaped(fields[3]);
    if (fields.size() > 4) entry.installLocation = Unescaped(fields[4]);
    return entry;
}

KeptListing Decode(const std::vector<std::string>& texts) {
    if (texts.empty()) return {};
    const std::string& head = texts[0];
    if (head == kAbsent && texts.size() == 1) return {KeptListing::Kind::Absent};
    KeptListing kept{KeptListing::Kind::Listed};
    if (head == kHashed) {
        if (texts.size() - 1 > KeptListingStore::kMostHashes) return {};
        kept.listing.hashed = true;
        for (size_t i = 1; i < texts.size(); ++i) {
            std::uint64_t hash = 0;
            if (!ParseHex(texts[i], hash)) return {};
            kept.listing.nameHashes.push_back(hash);
        }
        std::sort(kept.listing.nameHashes.begin(), kept.listing.nameHashes.end());
        return kept;
    }
    if (head != kEntries && head != kOldListed) return {};
    for (size_t i = 1; i < texts.size(); ++i) {
        std::optional<ListedEntry> entry = DecodeEntry(texts[i], head == kOldListed);
        if (!entry) return {};
        kept.listing.entries.push_back(std::move(*entry));
    }
    return kept;
}

bool ValueNameFits(const std::string& place) { return Utf16Length(place) <= kLongestValueName; }

std::string RootName(HKEY root) {
    if (root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
    if (root == HKEY_USERS) return "HKEY_USERS";
    return "HKEY " + std::to_string(reinterpret_cast<uintptr_t>(root));
}

}  // namespace

KeptListing KeptListingStore::Load(const std::string& place) const {
    if (!ValueNameFits(place)) return {};
    UniqueKey key = OpenKey(root_, keyPath_, KEY_QUERY_VALUE);
    if (!key) return {};
    // A value beyond the bound is not read at all: no listing of ours is that large.
    const std::optional<RegistryValue> info = QueryValueInfo(key.get(), place);
    if (!info || info->type != REG_MULTI_SZ || info->data.size() > kMostStoredBytes) return {};
    const std::optional<RegistryValue> value = QueryValue(key.get(), place);
    if (!value || value->type != REG_MULTI_SZ || value->data.size() > kMostStoredBytes) return {};
    return Decode(TextsOfMultiString(*value));
}

void KeptListingStore::Save(const std::string& place, const KeptListing& listing) const {
    if (listing.kind == KeptListing::Kind::Nothing || !ValueNameFits(place)) return;
    UniqueKey key = CreateKey(root_, keyPath_, KEY_SET_VALUE);
    if (!key) return;
    const std::vector<BYTE> bytes = MultiStringBytes(Encode(listing));
    SetValue(key.get(), place, REG_MULTI_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void KeptListingStore::KeepOnly(const std::vector<std::string>& places) const {
    UniqueKey key = OpenKey(root_, keyPath_, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key) return;
    for (const std::string& name : ValueNames(key.get())) {
        const bool watched = std::any_of(places.begin(), places.end(),
                                         [&](const std::string& place) { return SameIgnoringCase(place, name); });
        if (!watched) DeleteValue(key.get(), name);
    }
}

KeptListingStore& VigiloKeptListings() {
    static KeptListingStore store(kSettingsRoot, std::string(kSettingsKey) + "\\Vigilo\\Kept");
    return store;
}

std::string KeyPlaceName(HKEY root, RegistryView view, const std::string& keyPath) {
    const size_t first = keyPath.find_first_not_of('\\');
    const size_t last = keyPath.find_last_not_of('\\');
    const std::string path = first == std::string::npos ? std::string() : keyPath.substr(first, last - first + 1);
    const char* viewName = view == RegistryView::k32Bit ? " (32-bit view)\\" : " (64-bit view)\\";
    return RootName(root) + viewName + path;
}

std::string FolderPlaceName(const std::string& folder) { return folder; }

}  // namespace vigilo
