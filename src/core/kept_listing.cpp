#include "core/kept_listing.h"

#include <cstdint>
#include <cstring>

#include "core/settings_store.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr wchar_t kListed[] = L"listed";
constexpr wchar_t kAbsent[] = L"absent";
constexpr wchar_t kTooLarge[] = L"too large";
constexpr wchar_t kNameMark = L'>';
// The registry's limit on a value name, in UTF-16 units.
constexpr size_t kLongestValueName = 16383;

// One string, then the empty string that ends the list.
std::wstring OnlyString(const wchar_t* text) { return std::wstring(text) + L'\0' + L'\0'; }

// The value's strings, each ended by a NUL, and the empty string that ends the list.
std::wstring Encode(const KeptListing& listing) {
    if (listing.kind == KeptListing::Kind::Absent) return OnlyString(kAbsent);
    if (listing.names.size() > KeptListingStore::kMostNames) return OnlyString(kTooLarge);
    std::wstring data = std::wstring(kListed) + L'\0';
    for (const std::string& name : listing.names) {
        data.push_back(kNameMark);
        data.append(Utf16(name)).push_back(L'\0');
        if ((data.size() + 1) * sizeof(wchar_t) > KeptListingStore::kMostBytes) return OnlyString(kTooLarge);
    }
    data.push_back(L'\0');
    return data;
}

KeptListing Decode(const RegistryValue& value) {
    const std::vector<BYTE>& bytes = value.data;
    if (value.type != REG_MULTI_SZ || bytes.size() % sizeof(wchar_t) != 0) return {};
    std::wstring data(bytes.size() / sizeof(wchar_t), L'\0');
    if (!data.empty()) std::memcpy(data.data(), bytes.data(), bytes.size());
    if (data.size() < 2 || data.back() != L'\0' || data[data.size() - 2] != L'\0') return {};
    data.pop_back();  // the empty string that ends the list

    std::vector<std::wstring_view> strings;
    for (size_t at = 0; at < data.size();) {
        const size_t end = data.find(L'\0', at);
        strings.emplace_back(data.data() + at, end - at);
        at = end + 1;
    }
    if (strings.empty()) return {};
    if (strings[0] == kAbsent && strings.size() == 1) return {KeptListing::Kind::Absent, {}};
    if (strings[0] != kListed || strings.size() - 1 > KeptListingStore::kMostNames) return {};
    KeptListing listing{KeptListing::Kind::Names, {}};
    for (size_t i = 1; i < strings.size(); ++i) {
        if (strings[i].empty() || strings[i][0] != kNameMark) return {};
        listing.names.push_back(Utf8(strings[i].substr(1)));
    }
    return listing;
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
    if (!info || info->data.size() > kMostBytes) return {};
    const std::optional<RegistryValue> value = QueryValue(key.get(), place);
    if (!value || value->data.size() > kMostBytes) return {};
    return Decode(*value);
}

void KeptListingStore::Save(const std::string& place, const KeptListing& listing) const {
    if (listing.kind == KeptListing::Kind::Nothing || !ValueNameFits(place)) return;
    UniqueKey key = CreateKey(root_, keyPath_, KEY_SET_VALUE);
    if (!key) return;
    const std::wstring data = Encode(listing);
    SetValue(key.get(), place, REG_MULTI_SZ, data.data(), static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

bool KeptListingStore::CatchUpPending(const std::string& place) const {
    std::lock_guard lock(mutex_);
    for (const std::string& done : caughtUp_)
        if (SameIgnoringCase(done, place)) return false;
    return true;
}

void KeptListingStore::MarkCaughtUp(const std::string& place) {
    std::lock_guard lock(mutex_);
    for (const std::string& done : caughtUp_)
        if (SameIgnoringCase(done, place)) return;
    caughtUp_.push_back(place);
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
