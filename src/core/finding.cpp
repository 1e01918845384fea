#include "core/finding.h"

namespace vigilo {

std::string VisibleName(std::string_view name) {
    std::string visible;
    for (const char c : name) {
        if (c == '\0')
            visible += "\\0";
        else
            visible += c;
    }
    return visible;
}

const char* FindingKindWord(FindingKind kind) { return FactsOf(kind).word; }

std::optional<FindingKind> FindingKindOfWord(std::string_view word) {
    for (const FindingKindFacts& facts : kFindingKinds)
        if (word == facts.word) return facts.kind;
    return std::nullopt;
}

}  // namespace vigilo
