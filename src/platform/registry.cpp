#include "platform/registry.h"

namespace vigilo {
namespace {

std::string RelativePath(const std::string& path) {
    size_t start = 0;
    while (start < path.size() && path[start] == '\\') ++start;
    return path.substr(start);
}

}  // namespace

REGSAM ViewFlag(RegistryView view) { return view == RegistryView::k32Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

UniqueKey OpenKey(HKEY root, const std::string& path, REGSAM access, RegistryView view) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(root, RelativePath(path).c_str(), 0, access | ViewFlag(view), &raw) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(raw);
}

UniqueKey CreateKey(HKEY root, const std::string& path, REGSAM access, RegistryView view) {
    HKEY raw = nullptr;
    if (RegCreateKeyExA(root, RelativePath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access | ViewFlag(view),
                        nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(raw);
}

}  // namespace vigilo
