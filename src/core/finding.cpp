#include "core/finding.h"

namespace vigilo {
namespace {

constexpr struct {
    FindingKind kind;
    const char* word;
} kKindWords[] = {{FindingKind::Program, "program"},
                  {FindingKind::Startup, "startup"},
                  {FindingKind::Extension, "extension"},
                  {FindingKind::Junk, "junk"}};

}  // namespace

const char* FindingKindWord(FindingKind kind) {
    for (const auto& entry : kKindWords)
        if (entry.kind == kind) return entry.word;
    return "program";
}

std::optional<FindingKind> FindingKindOfWord(std::string_view word) {
    for (const auto& entry : kKindWords)
        if (word == entry.word) return entry.kind;
    return std::nullopt;
}

}  // namespace vigilo
