#include "monitors/string_list.h"

#include <windows.h>

#include <algorithm>

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

namespace {

// The order of the comparison SameName uses, so that equal names sort together.
bool NameBefore(const std::string* a, const std::string* b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a->data(), static_cast<int>(a->size()), b->data(),
                          static_cast<int>(b->size())) == CSTR_LESS_THAN;
}

}  // namespace

std::string FindAdded(const StringList& older, const StringList& fresh) {
    // older is searched once per entry of fresh: sorted, a key of ten
    // thousand names is diffed in a blink rather than in many seconds, during
    // which the names added meanwhile would slip into the next baseline.
    std::vector<const std::string*> sorted;
    sorted.reserve(older.size());
    for (const std::string& name : older) sorted.push_back(&name);
    std::sort(sorted.begin(), sorted.end(), NameBefore);
    for (auto it = fresh.rbegin(); it != fresh.rend(); ++it) {
        const auto at = std::lower_bound(sorted.begin(), sorted.end(), &*it, NameBefore);
        if (at == sorted.end() || !SameName(**at, *it)) return *it;
    }
    return {};
}

std::string FindRemoved(const StringList& older, const StringList& fresh) { return FindAdded(fresh, older); }

}  // namespace vigilo
