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

namespace {

// The entries of fresh that older lacks, from the last one back; stops after
// the first when firstOnly.
StringList Added(const StringList& older, const StringList& fresh, bool firstOnly) {
    // older is searched once per entry of fresh: sorted, a key of ten
    // thousand names is diffed in a blink rather than in many seconds, during
    // which the names added meanwhile would slip into the next baseline. The
    // names are compared in UTF-16, as the system compares them, converted once.
    std::vector<std::wstring> sorted;
    sorted.reserve(older.size());
    for (const std::string& name : older) sorted.push_back(Utf16(name));
    const auto before = [](const std::wstring& a, const std::wstring& b) { return CompareIgnoringCase(a, b) < 0; };
    std::sort(sorted.begin(), sorted.end(), before);
    StringList added;
    for (auto it = fresh.rbegin(); it != fresh.rend(); ++it) {
        const std::wstring name = Utf16(*it);
        const auto at = std::lower_bound(sorted.begin(), sorted.end(), name, before);
        if (at != sorted.end() && CompareIgnoringCase(*at, name) == 0) continue;
        added.push_back(*it);
        if (firstOnly) break;
    }
    return added;
}

}  // namespace

std::string FindAdded(const StringList& older, const StringList& fresh) {
    StringList added = Added(older, fresh, true);
    return added.empty() ? std::string() : std::move(added.front());
}

StringList AddedNames(const StringList& older, const StringList& fresh) {
    StringList added = Added(older, fresh, false);
    std::reverse(added.begin(), added.end());
    return added;
}

std::string FindRemoved(const StringList& older, const StringList& fresh) { return FindAdded(fresh, older); }

}  // namespace vigilo
