#include "monitors/string_list.h"

#include <windows.h>

namespace vigilo {

bool SameName(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool ContainsName(const StringList& list, const std::string& name) {
    for (const std::string& entry : list)
        if (SameName(entry, name)) return true;
    return false;
}

std::string FindAdded(const StringList& older, const StringList& fresh) {
    for (auto it = fresh.rbegin(); it != fresh.rend(); ++it)
        if (!ContainsName(older, *it)) return *it;
    return {};
}

std::string FindRemoved(const StringList& older, const StringList& fresh) { return FindAdded(fresh, older); }

}  // namespace vigilo
