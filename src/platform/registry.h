#pragma once
// The one way the program talks to the registry. On 64-bit Windows the
// machine's software keys exist twice (the 64-bit view and the 32-bit view
// under Wow6432Node); every open names the view it means. A leading "\" of a
// key path is ignored, as RegOpenKey does. Names travel as UTF-8 and reach
// the registry as UTF-16.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/unique_handle.h"

namespace vigilo {

// Which half of the registry a 32-bit program sees on 64-bit Windows; both
// are the same on 32-bit Windows.
enum class RegistryView { k64Bit, k32Bit };

REGSAM ViewFlag(RegistryView view);

// root\path opened with access in view; empty when it does not open.
UniqueKey OpenKey(HKEY root, const std::string& path, REGSAM access, RegistryView view = RegistryView::k64Bit);
// root\path opened with access in view, created when missing; empty on failure.
UniqueKey CreateKey(HKEY root, const std::string& path, REGSAM access, RegistryView view = RegistryView::k64Bit);

// A value's name may hold a NUL (the native API writes such names, and they
// are listed whole), but no value is read, written or deleted by such a
// name: Windows' functions would cut it at the NUL and reach another value.

// A value as stored: its type and its bytes (a text in UTF-16, as Windows keeps it).
struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// The type and size of a value, without its data; empty when it does not exist.
std::optional<RegistryValue> QueryValueInfo(HKEY key, const std::string& name);
// The whole value; empty when it does not exist or cannot be read. A value
// that grows while it is read is read again.
std::optional<RegistryValue> QueryValue(HKEY key, const std::string& name);
// At most `capacity` bytes of the value into buffer, with its type and size;
// ERROR_MORE_DATA when it holds more.
LONG QueryFixedValue(HKEY key, const std::string& name, void* buffer, DWORD capacity, DWORD& type, DWORD& size);
// The text of a string value's UTF-16 bytes, up to its first NUL (a value
// stored without one is read whole).
std::string TextOfValue(const RegistryValue& value);
// The text of a string value as Windows shows it: an indirect "@file,-id"
// text is loaded from that file's resources, any other text stands as it is.
// Empty when the value is missing, no text, or its resource cannot be loaded
// or is not to be (a file by a path that data_path.h refuses).
std::string LoadDisplayText(HKEY key, const std::string& name);
// The texts of a REG_MULTI_SZ value's UTF-16 bytes, in order, each ended by
// its NUL; the list ends at the first empty text, and a last text without
// its NUL (a value cut short), like an odd last byte, is left out.
std::vector<std::string> TextsOfMultiString(const RegistryValue& value);
// The bytes of a REG_MULTI_SZ value holding texts (none empty, none with a
// NUL), with the empty text that ends the list.
std::vector<BYTE> MultiStringBytes(const std::vector<std::string>& texts);
// A REG_DWORD value of exactly 4 bytes; empty when missing or of another type or size.
std::optional<DWORD> DwordValue(HKEY key, const std::string& name);
std::optional<DWORD> DwordValue(HKEY root, const std::string& path, const std::string& name,
                                RegistryView view = RegistryView::k64Bit);
// The text of a REG_SZ or REG_EXPAND_SZ value as stored (not expanded); empty otherwise.
std::string StringValue(HKEY key, const std::string& name);
std::string StringValue(const RegistryValue& value);
// The same, of the value `name` of root\path in view; empty when the key does not open.
std::string StringValue(HKEY root, const std::string& path, const std::string& name,
                        RegistryView view = RegistryView::k64Bit);

// Writes a value; false on failure.
bool SetValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size);
// Deletes a value; false on failure (also when it does not exist).
bool DeleteValue(HKEY key, const std::string& name);

// The names of the key's values, or of its subkeys, in the order the
// registry gives them; empty when the key cannot be enumerated.
std::vector<std::string> ValueNames(HKEY key);

struct NamedValue {
    std::string name;
    RegistryValue value;
};
// The key's values with their data, in the order the registry gives them,
// each read in the same call as its name (a key of ten thousand values is
// one call per value); a value of more than 16 MiB is left out. Empty when
// the key cannot be enumerated.
std::vector<NamedValue> Values(HKEY key);
std::vector<std::string> SubkeyNames(HKEY key);

}  // namespace vigilo
