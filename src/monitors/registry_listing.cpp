#include "monitors/registry_listing.h"

namespace vigilo {

int ListValueNames(HKEY root, const std::string& path, StringList& list, RegistryView view) {
    list.clear();
    if (UniqueKey key = OpenKey(root, path, KEY_READ, view)) list = ValueNames(key.get());
    return static_cast<int>(list.size());
}

int ListSubkeyNames(HKEY root, const std::string& path, StringList& list, RegistryView view) {
    list.clear();
    if (UniqueKey key = OpenKey(root, path, KEY_READ, view)) list = SubkeyNames(key.get());
    return static_cast<int>(list.size());
}

}  // namespace vigilo
