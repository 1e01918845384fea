#include "monitors/registry_listing.h"

#include "platform/registry.h"

namespace vigilo {
namespace {

// Names reach 255 characters for keys and 16383 for values; a buffer that
// is still too small (a name that grew meanwhile) is enlarged and the same
// index asked again.
template <typename EnumName>
int ListNames(HKEY root, const std::string& path, RegistryView view, StringList& list, EnumName enumName) {
    list.clear();
    UniqueKey key = OpenKey(root, path, KEY_READ, view);
    if (!key) return 0;
    std::string name(256, '\0');
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        LONG rc = enumName(key.get(), index, name.data(), &length);
        if (rc == ERROR_MORE_DATA && name.size() < 65536) {
            name.resize(name.size() * 4);
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        list.emplace_back(name.data(), length);
        ++index;
    }
    return static_cast<int>(list.size());
}

}  // namespace

int ListValueNames(HKEY root, const std::string& path, StringList& list, RegistryView view) {
    return ListNames(root, path, view, list, [](HKEY key, DWORD index, char* name, DWORD* length) {
        return RegEnumValueA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

int ListSubkeyNames(HKEY root, const std::string& path, StringList& list, RegistryView view) {
    return ListNames(root, path, view, list, [](HKEY key, DWORD index, char* name, DWORD* length) {
        return RegEnumKeyExA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

}  // namespace vigilo
