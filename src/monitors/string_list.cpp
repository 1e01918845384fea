#include "monitors/string_list.h"

#include <algorithm>

#include "platform/text.h"

namespace vigilo {

bool SameName(const std::string& a, const std::string& b) { return SameIgnoringCase(a, b); }

bool ContainsName(const StringList& list, const std::string& name) {
    for (const std::string& entry : list)
        if (SameName(entry, name)) return true;
    return false;
}

std::string FindAdded(const StringList& older, const StringList& fresh) {
    // older is searched once per entry of fresh: sorted, a key of ten
    // thousand names is diffed in a blink rather than in many seconds, during
    // which the names added meanwhile would slip into the next baseline. The
    // names are compared in UTF-16, as the system compares them, converted once.
    std::vector<std::wstring> sorted;
    sorted.reserve(older.size());
    for (const std::string& name : older) sorted.push_back(Utf16(name));
    const auto before = [](const std::wstring& a, const std::wstring& b) { return CompareIgnoringCase(a, b) < 0; };
    std::sort(sorted.begin(), sorted.end(), before);
    for (auto it = fresh.rbegin(); it != fresh.rend(); ++it) {
        const std::wstring name = Utf16(*it);
        const auto at = std::lower_bound(sorted.begin(), sorted.end(), name, before);
        if (at == sorted.end() || CompareIgnoringCase(*at, name) != 0) return *it;
    }
    return {};
}

std::string FindRemoved(const StringList& older, const StringList& fresh) { return FindAdded(fresh, older); }

}  // namespace vigilo
