#include "core/settings_store.h"

#include <cstring>
#include <vector>

#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// Reads ask for read access only; writes only for what a write needs.
constexpr REGSAM kReadAccess = KEY_READ;
constexpr REGSAM kWriteAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;

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

std::string ReadString(HKEY root, const std::string& key, const std::string& name, RegistryView view) {
    UniqueKey k = OpenKey(root, key, kReadAccess, view);
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
    UniqueKey k = CreateKey(root, key, kWriteAccess);
    if (!k) return;
    DWORD data = value ? 1 : 0;
    RegSetValueExA(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
}

void WriteFloat(HKEY root, const std::string& key, const std::string& name, DateTime value) {
    UniqueKey k = CreateKey(root, key, kWriteAccess);
    if (!k) return;
    RegSetValueExA(k.get(), name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

bool KeyExists(HKEY root, const std::string& key, RegistryView view) {
    return static_cast<bool>(OpenKey(root, key, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, view));
}

bool ValueExists(HKEY root, const std::string& key, const std::string& name) {
    UniqueKey k = OpenKey(root, key, KEY_QUERY_VALUE);
    return k && QueryInfo(k.get(), name).exists;
}

}  // namespace vigilo
