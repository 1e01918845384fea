#pragma once
// The eight registry routines through which every setting is read and
// written, also used by the monitors on the keys they watch. Each call opens
// and closes its own key; nothing is cached. All routines use the 64-bit
// registry view (ignored on 32-bit Windows), open for reading with read
// access only, and fail silently with an empty or default result, except
// ReadBool and ReadFloat on a value of the wrong type, which throw
// SettingsError.
#include <windows.h>

#include <stdexcept>
#include <string>

#include "platform/date_time.h"
#include "platform/registry.h"

namespace vigilo {

inline const HKEY kSettingsRoot = HKEY_CURRENT_USER;
inline constexpr const char* kSettingsKey = "Software\\Purgeon";

// Raised by ReadBool and ReadFloat; what() is the text shown to the user.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};


// Trimmed (every character of code 32 or less at both ends) and upper-cased
// (a to z only) text of a REG_SZ or REG_EXPAND_SZ value; empty otherwise.
std::string ReadString(HKEY root, const std::string& key, const std::string& name,
                       RegistryView view = RegistryView::k64Bit);
// A REG_DWORD value; 0 for anything else.
int ReadInteger(HKEY root, const std::string& key, const std::string& name);
// Whether a REG_DWORD value is non-zero; false when missing. Throws SettingsError for other types.
bool ReadBool(HKEY root, const std::string& key, const std::string& name);
// An 8-byte REG_BINARY date-time; Now() when missing or not binary. Throws SettingsError
// for a binary value of another length.
DateTime ReadFloat(HKEY root, const std::string& key, const std::string& name);
// Writes REG_DWORD 0 or 1, creating the key; failures are ignored.
void WriteBool(HKEY root, const std::string& key, const std::string& name, bool value);
// Writes the date-time as 8 bytes of REG_BINARY, creating the key; failures are ignored.
void WriteFloat(HKEY root, const std::string& key, const std::string& name, DateTime value);
// Whether the key opens for reading.
bool KeyExists(HKEY root, const std::string& key, RegistryView view = RegistryView::k64Bit);
// Whether the value exists, whatever its type.
bool ValueExists(HKEY root, const std::string& key, const std::string& name);


}  // namespace vigilo
