#include "app/settings_store.h"

#include <cstring>
#include <vector>

#include "platform/unique_handle.h"

namespace vigilo {
namespace {

// Both views coincide: the 64-bit view is used for every key, so a monitor
// lists and reads the same key on 32-bit and 64-bit Windows.
constexpr REGSAM kView = KEY_WOW64_64KEY;
constexpr REGSAM kReadAccess = KEY_READ | kView;
constexpr REGSAM kWriteAccess = KEY_QUERY_VALUE | KEY_SET_VALUE | kView;

std::string RelativePath(const std::string& key) {
    size_t start = 0;
    while (start < key.size() && key[start] == '\\') ++start;
    return key.substr(start);
}

UniqueKey OpenKey(HKEY root, const std::string& key, REGSAM access) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(root, RelativePath(key).c_str(), 0, access, &raw) != ERROR_SUCCESS) return UniqueKey();
    return UniqueKey(raw);
}

UniqueKey CreateKey(HKEY root, const std::string& key) {
    HKEY raw = nullptr;
    if (RegCreateKeyExA(root, RelativePath(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kWriteAccess,
                        nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(raw);
}

struct ValueInfo {
    bool exists = false;
    DWORD type = REG_NONE;
    DWORD size = 0;
};

ValueInfo QueryInfo(HKEY key, const std::string& name) {
    ValueInfo info;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &info.type, nullptr, &info.size);
    info.exists = (rc == ERROR_SUCCESS);
    return info;
}

// Reads a value into a buffer of at most `capacity` bytes, as the fixed-size
// reads of the store do; returns false with ERROR_MORE_DATA semantics folded
// into `tooLong`.
bool ReadFixed(HKEY key, const std::string& name, void* buffer, DWORD capacity, DWORD& type, DWORD& size,
               bool& tooLong) {
    size = capacity;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &size);
    tooLong = (rc == ERROR_MORE_DATA);
    return rc == ERROR_SUCCESS;
}

std::string Format(const char* pattern, const std::string& name) {
    std::string text(pattern);
    size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, name);
    return text;
}

}  // namespace

std::string UpperCaseAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string TrimControlAndBlanks(const std::string& text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    size_t first = 0, last = text.size();
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

DateTime DateTimeFromSystemTime(const SYSTEMTIME& st) {
    // FILETIME counts 100 ns steps since 1 January 1601; 30 December 1899 is
    // 109205 days later.
    FILETIME ft;
    SYSTEMTIME copy = st;
    if (!SystemTimeToFileTime(&copy, &ft)) return 0.0;
    ULARGE_INTEGER ticks;
    ticks.LowPart = ft.dwLowDateTime;
    ticks.HighPart = ft.dwHighDateTime;
    constexpr double kTicksPerDay = 864000000000.0;
    return static_cast<double>(ticks.QuadPart) / kTicksPerDay - 109205.0;
}

DateTime Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return DateTimeFromSystemTime(st);
}

std::string ReadString(HKEY root, const std::string& key, const std::string& name) {
    UniqueKey k = OpenKey(root, key, kReadAccess);
    if (!k) return {};
    // The value may grow between the size query and the read: retry a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        ValueInfo info = QueryInfo(k.get(), name);
        if (!info.exists || (info.type != REG_SZ && info.type != REG_EXPAND_SZ)) return {};
        std::vector<char> buffer(info.size + 1, '\0');
        DWORD type = 0, size = info.size;
        LONG rc = RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                   &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
        // A text stored without its NUL is still read whole; an embedded NUL ends it.
        size = std::min<DWORD>(size, static_cast<DWORD>(buffer.size() - 1));
        std::string text(buffer.data(), strnlen(buffer.data(), size));
        return UpperCaseAscii(TrimControlAndBlanks(text));
    }
    return {};
}

int ReadInteger(HKEY root, const std::string& key, const std::string& name) {
    UniqueKey k = OpenKey(root, key, kReadAccess);
    if (!k) return 0;
    DWORD value = 0, type = 0, size = 0;
    bool tooLong = false;
    if (!ReadFixed(k.get(), name, &value, sizeof(value), type, size, tooLong) || type != REG_DWORD) return 0;
    return static_cast<int>(value);
}

bool ReadBool(HKEY root, const std::string& key, const std::string& name) {
    UniqueKey k = OpenKey(root, key, kReadAccess);
    if (!k || !QueryInfo(k.get(), name).exists) return false;
    DWORD value = 0, type = 0, size = 0;
    bool tooLong = false;
    if (!ReadFixed(k.get(), name, &value, sizeof(value), type, size, tooLong)) {
        if (tooLong) throw SettingsError(Format("Failed to get data for '%s'", name));
        return false;  // vanished between the two queries
    }
    if (type != REG_DWORD) throw SettingsError(Format("Invalid data type for '%s'", name));
    return value != 0;
}

DateTime ReadFloat(HKEY root, const std::string& key, const std::string& name) {
    DateTime result = Now();
    UniqueKey k = OpenKey(root, key, kReadAccess);
    if (!k) return result;
    ValueInfo info = QueryInfo(k.get(), name);
    if (!info.exists || info.type != REG_BINARY) return result;
    unsigned char bytes[sizeof(DateTime)] = {};
    DWORD type = 0, size = 0;
    bool tooLong = false;
    if (!ReadFixed(k.get(), name, bytes, sizeof(bytes), type, size, tooLong)) {
        if (tooLong) throw SettingsError(Format("Failed to get data for '%s'", name));
        return result;
    }
    if (type != REG_BINARY || size != sizeof(bytes)) throw SettingsError(Format("Invalid data type for '%s'", name));
    std::memcpy(&result, bytes, sizeof(result));
    return result;
}

void WriteBool(HKEY root, const std::string& key, const std::string& name, bool value) {
    UniqueKey k = CreateKey(root, key);
    if (!k) return;
    DWORD data = value ? 1 : 0;
    RegSetValueExA(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
}

void WriteFloat(HKEY root, const std::string& key, const std::string& name, DateTime value) {
    UniqueKey k = CreateKey(root, key);
    if (!k) return;
    RegSetValueExA(k.get(), name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

bool KeyExists(HKEY root, const std::string& key) {
    return static_cast<bool>(OpenKey(root, key, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | kView));
}

bool ValueExists(HKEY root, const std::string& key, const std::string& name) {
    UniqueKey k = OpenKey(root, key, KEY_QUERY_VALUE | kView);
    return k && QueryInfo(k.get(), name).exists;
}

}  // namespace vigilo
