#include "platform/registry.h"

#include <algorithm>
#include <cstring>

#include "platform/data_path.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// Whether a value can be reached by its name: the registry's functions take
// a name up to its first NUL, so a name that holds one (written through the
// native API) would reach another value, the one named by its first part.
bool NameableValue(const std::string& name) { return name.find('\0') == std::string::npos; }

std::wstring RelativePath(const std::string& path) {
    size_t start = 0;
    while (start < path.size() && path[start] == '\\') ++start;
    return Utf16(std::string_view(path).substr(start));
}

// Names reach 255 characters for keys and 16383 for values; a buffer that
// is still too small (a name that grew meanwhile) is enlarged and the same
// index asked again.
template <typename EnumName>
std::vector<std::string> Names(HKEY key, EnumName enumName) {
    std::vector<std::string> names;
    std::wstring name(256, L'\0');
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG rc = enumName(key, index, name.data(), &length);
        if (rc == ERROR_MORE_DATA && name.size() < 65536) {
            name.resize(name.size() * 4);
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        names.push_back(Utf8(std::wstring_view(name.data(), length)));
        ++index;
    }
    return names;
}

// Whether the file an indirect text "@file,-id;comment" names may be opened
// for its resource: a bare file name is looked for in the system folder
// only (the program restricts its library search so); a path is others'
// data and must be on a local drive (data_path.h).
bool IndirectTextFileMayBeOpened(const std::string& text) {
    const std::wstring file = Utf16(TrimControlAndBlanks(text.substr(1, text.rfind(',') - 1)));
    std::wstring expanded(32768, L'\0');
    const DWORD length = ExpandEnvironmentStringsW(file.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    if (length == 0 || length > expanded.size()) return false;
    expanded.resize(length - 1);
    if (expanded.find_first_of(L"\\/:") == std::wstring::npos) return true;
    return AcceptedDataPath(Utf8(expanded)).has_value();
}

}  // namespace

REGSAM ViewFlag(RegistryView view) { return view == RegistryView::k32Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

UniqueKey OpenKey(HKEY root, const std::string& path, REGSAM access, RegistryView view) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, RelativePath(path).c_str(), 0, access | ViewFlag(view), &raw) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(raw);
}

UniqueKey CreateKey(HKEY root, const std::string& path, REGSAM access, RegistryView view) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(root, RelativePath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access | ViewFlag(view),
                        nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(raw);
}

std::optional<RegistryValue> QueryValueInfo(HKEY key, const std::string& name) {
    if (!NameableValue(name)) return std::nullopt;
    RegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key, Utf16(name).c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

std::optional<RegistryValue> QueryValue(HKEY key, const std::string& name) {
    if (!NameableValue(name)) return std::nullopt;
    const std::wstring wideName = Utf16(name);
    for (int attempt = 0; attempt < 4; ++attempt) {
        RegistryValue value;
        DWORD size = 0;
        if (RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        value.data.resize(size);
        const LONG rc = RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type,
                                         size ? value.data.data() : nullptr, &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return std::nullopt;
        value.data.resize(size);
        return value;
    }
    return std::nullopt;
}

LONG QueryFixedValue(HKEY key, const std::string& name, void* buffer, DWORD capacity, DWORD& type, DWORD& size) {
    size = capacity;
    if (!NameableValue(name)) return ERROR_FILE_NOT_FOUND;
    return RegQueryValueExW(key, Utf16(name).c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &size);
}

std::string TextOfValue(const RegistryValue& value) {
    const size_t units = value.data.size() / sizeof(wchar_t);  // an odd last byte is no character
    std::wstring text(units, L'\0');
    if (units) std::memcpy(text.data(), value.data.data(), units * sizeof(wchar_t));
    const size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    return Utf8(text);
}

std::string LoadDisplayText(HKEY key, const std::string& name) {
    const std::optional<RegistryValue> value = QueryValue(key, name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return {};
    std::string text = TextOfValue(*value);
    // Wine's loader takes indirect texts only, Windows' any: ask it for those alone.
    if (text.empty() || text.front() != '@') return text;
    if (!IndirectTextFileMayBeOpened(text)) return {};
    // Texts shown in lists of programs and services stay far below this.
    std::wstring loaded(4096, L'\0');
    DWORD bytes = 0;
    if (RegLoadMUIStringW(key, Utf16(name).c_str(), loaded.data(), static_cast<DWORD>(loaded.size() * sizeof(wchar_t)),
                          &bytes, 0, nullptr) != ERROR_SUCCESS)
        return {};
    loaded.resize(std::min<size_t>(bytes / sizeof(wchar_t), loaded.size()));
    const size_t end = loaded.find(L'\0');
    if (end != std::wstring::npos) loaded.resize(end);
    return Utf8(loaded);
}

std::vector<std::string> TextsOfMultiString(const RegistryValue& value) {
    const size_t units = value.data.size() / sizeof(wchar_t);
    std::wstring all(units, L'\0');
    if (units) std::memcpy(all.data(), value.data.data(), units * sizeof(wchar_t));
    std::vector<std::string> texts;
    size_t start = 0;
    for (size_t end = all.find(L'\0'); end != std::wstring::npos && end > start; end = all.find(L'\0', start)) {
        texts.push_back(Utf8(std::wstring_view(all).substr(start, end - start)));
        start = end + 1;
    }
    return texts;
}

std::vector<BYTE> MultiStringBytes(const std::vector<std::string>& texts) {
    std::wstring all;
    for (const std::string& text : texts) {
        all += Utf16(text);
        all += L'\0';
    }
    all += L'\0';
    const auto* bytes = reinterpret_cast<const BYTE*>(all.data());
    return std::vector<BYTE>(bytes, bytes + all.size() * sizeof(wchar_t));
}

std::optional<DWORD> DwordValue(HKEY key, const std::string& name) {
    DWORD value = 0, type = REG_NONE, size = 0;
    if (QueryFixedValue(key, name, &value, sizeof value, type, size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_DWORD || size != sizeof value) return std::nullopt;
    return value;
}

std::optional<DWORD> DwordValue(HKEY root, const std::string& path, const std::string& name, RegistryView view) {
    const UniqueKey key = OpenKey(root, path, KEY_QUERY_VALUE, view);
    return key ? DwordValue(key.get(), name) : std::nullopt;
}

std::string StringValue(const RegistryValue& value) {
    return value.type == REG_SZ || value.type == REG_EXPAND_SZ ? TextOfValue(value) : std::string();
}

std::string StringValue(HKEY key, const std::string& name) {
    const std::optional<RegistryValue> value = QueryValue(key, name);
    return value ? StringValue(*value) : std::string();
}

std::string StringValue(HKEY root, const std::string& path, const std::string& name, RegistryView view) {
    const UniqueKey key = OpenKey(root, path, KEY_QUERY_VALUE, view);
    return key ? StringValue(key.get(), name) : std::string();
}

bool SetValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size) {
    if (!NameableValue(name)) return false;
    return RegSetValueExW(key, Utf16(name).c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool DeleteValue(HKEY key, const std::string& name) {
    if (!NameableValue(name)) return false;
    return RegDeleteValueW(key, Utf16(name).c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> ValueNames(HKEY key) {
    return Names(key, [](HKEY k, DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumValueW(k, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<NamedValue> Values(HKEY key) {
    constexpr size_t kLargestValue = 16 * 1024 * 1024;
    std::vector<NamedValue> values;
    std::wstring name(256, L'\0');
    std::vector<BYTE> data(4096);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        const LONG rc = RegEnumValueW(key, index, name.data(), &length, nullptr, &type, data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            // The data's size is told; a name too long for its buffer is not.
            if (size > data.size() && size <= kLargestValue)
                data.resize(size);
            else if (size <= data.size() && name.size() < 65536)
                name.resize(name.size() * 4);
            else
                ++index;  // too large to be read
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        values.push_back({Utf8(std::wstring_view(name.data(), length)), {type, {data.begin(), data.begin() + size}}});
        ++index;
    }
    return values;
}

std::vector<std::string> SubkeyNames(HKEY key) {
    return Names(key, [](HKEY k, DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumKeyExW(k, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

}  // namespace vigilo
