#include "core/settings_store.h"

#include <cstring>

#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// Reads ask for read access only; writes only for what a write needs.
constexpr REGSAM kReadAccess = KEY_READ;
constexpr REGSAM kWriteAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;

bool ValueExistsIn(HKEY key, const std::string& name) { return QueryValueInfo(key, name).has_value(); }

// Reads a value into a buffer of at most `capacity` bytes, as the fixed-size
// reads of the store do; a value that holds more is reported in `tooLong`.
bool ReadFixed(HKEY key, const std::string& name, void* buffer, DWORD capacity, DWORD& type, DWORD& size,
               bool& tooLong) {
    const LONG rc = QueryFixedValue(key, name, buffer, capacity, type, size);
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
    return UpperCaseAscii(TrimControlAndBlanks(StringValue(root, key, name, view)));
}

int ReadInteger(HKEY root, const std::string& key, const std::string& name) {
    return static_cast<int>(DwordValue(root, key, name).value_or(0));
}

bool ReadBool(HKEY root, const std::string& key, const std::string& name) {
    UniqueKey k = OpenKey(root, key, kReadAccess);
    if (!k || !ValueExistsIn(k.get(), name)) return false;
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
    const std::optional<RegistryValue> info = QueryValueInfo(k.get(), name);
    if (!info || info->type != REG_BINARY) return result;
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
    SetValue(k.get(), name, REG_DWORD, &data, sizeof(data));
}

void WriteFloat(HKEY root, const std::string& key, const std::string& name, DateTime value) {
    UniqueKey k = CreateKey(root, key, kWriteAccess);
    if (!k) return;
    SetValue(k.get(), name, REG_BINARY, &value, sizeof(value));
}

bool KeyExists(HKEY root, const std::string& key, RegistryView view) {
    return static_cast<bool>(OpenKey(root, key, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, view));
}

bool ValueExists(HKEY root, const std::string& key, const std::string& name) {
    UniqueKey k = OpenKey(root, key, KEY_QUERY_VALUE);
    return k && ValueExistsIn(k.get(), name);
}

}  // namespace vigilo
