#include "platform/registry_views.h"

#include <cstring>
#include <vector>

#include "platform/text.h"

namespace vigilo {
namespace {

// NtQueryKey's KeyNameInformation (3): a ULONG byte count, then the name.
constexpr int kKeyNameInformation = 3;
using NtQueryKeyFunction = LONG(NTAPI*)(HANDLE key, int infoClass, void* buffer, ULONG length, ULONG* resultLength);

NtQueryKeyFunction NtQueryKeyEntry() {
    static const auto entry = reinterpret_cast<NtQueryKeyFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
    return entry;
}

std::string NameOfOpenKey(HKEY key) {
    const NtQueryKeyFunction query = NtQueryKeyEntry();
    if (!query) return {};
    // Full key names stay well below 64 KiB (255 characters a level, 512 levels at most).
    std::vector<BYTE> buffer(65536 + sizeof(ULONG));
    ULONG used = 0;
    if (query(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &used) < 0) return {};
    ULONG bytes = 0;
    std::memcpy(&bytes, buffer.data(), sizeof bytes);
    if (bytes > buffer.size() - sizeof bytes) return {};
    std::wstring name(bytes / sizeof(wchar_t), L'\0');
    std::memcpy(name.data(), buffer.data() + sizeof bytes, name.size() * sizeof(wchar_t));
    return Utf8(name);
}

std::string WithoutTrailingBackslashes(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

}  // namespace

std::string FullKeyName(HKEY root, const std::string& path, RegistryView view) {
    // existing: the part of path tried as a key; path's remainder after it
    // is appended, "\" and all, to the name of the key that opens.
    std::string existing = WithoutTrailingBackslashes(path);
    for (;;) {
        if (UniqueKey key = OpenKey(root, existing, KEY_QUERY_VALUE, view)) {
            const std::string name = NameOfOpenKey(key.get());
            if (name.empty()) return {};
            const std::string rest = WithoutTrailingBackslashes(path).substr(existing.size());
            if (existing.empty() && !rest.empty() && rest.front() != '\\') return name + "\\" + rest;
            return name + rest;
        }
        if (existing.empty()) return {};
        const size_t cut = existing.find_last_of('\\');
        existing = WithoutTrailingBackslashes(existing.substr(0, cut == std::string::npos ? 0 : cut));
    }
}

std::function<bool(HKEY root, const std::string& path)>& SameKeyInBothViewsRule() {
    static std::function<bool(HKEY, const std::string&)> rule;
    return rule;
}

bool SameKeyInBothViews(HKEY root, const std::string& path) {
    if (const auto& rule = SameKeyInBothViewsRule()) return rule(root, path);
    const std::string view64 = FullKeyName(root, path, RegistryView::k64Bit);
    const std::string view32 = FullKeyName(root, path, RegistryView::k32Bit);
    return !view64.empty() && SameIgnoringCase(view64, view32);
}

}  // namespace vigilo
