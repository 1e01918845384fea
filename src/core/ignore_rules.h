#pragma once
// What the user never wants to be told of: the REG_MULTI_SZ value "Ignore"
// under HKCU\Software\Purgeon\Vigilo, one rule a line, of two to four fields
// separated by TABs:
//
//   kind<TAB>name[<TAB>program[<TAB>signer]]
//
// kind being "program", "startup", "extension" or "junk" (the words of the
// record of findings). Each other field is a pattern in which "*" stands for
// any run of characters and "?" for one, letter case ignored ordinally in
// every script, as Windows compares names; a field that begins with "=" is
// matched exactly, its "*" and "?" plain characters. A finding matches a rule
// of its kind when:
//   - the name matches the name it is shown by or the one it is stored by
//     (a value's name, a file's name with its extension);
//   - the program, where the rule has one, matches the full, normal path of
//     the file the finding starts, once the pattern's %...% are expanded (a
//     rule beginning at %ProgramFiles(x86)% matches only files in that folder,
//     which only an administrator may write);
//   - the signer, where the rule has one, is the name of a verified
//     signature of that file; the file is checked only for findings whose
//     name and program already match.
// A finding that matches is neither shown nor recorded. The rules are read
// afresh for each round, like the settings. A value of another type holds no
// rules; a line without a TAB, of another kind, of more than four fields or
// with a field of more than 260 characters is no rule; rules past the 256th
// are ignored. Where the value is absent Vigilo writes a default list at
// start (the updaters that add a new entry at every update, each bound to
// its program); a value the user emptied stays empty.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/finding.h"

namespace vigilo {

inline constexpr const char* kIgnoreRulesValue = "Ignore";
inline constexpr size_t kMostIgnoreRules = 256;
// A longer field (in UTF-16 characters) makes its line no rule.
inline constexpr size_t kLongestIgnoreField = 260;

struct IgnoreRule {
    FindingKind kind;
    std::string name;
    std::string program = {};  // empty: any program, or none
    std::string signer = {};   // empty: any signature, or none

    bool operator==(const IgnoreRule&) const = default;
};

// Why a line of the value is no rule.
enum class IgnoreLineProblem { None, NoTab, UnknownKind, TooManyFields, FieldTooLong, BeyondMostRules };

// A line of the value and the rule it makes, or why it makes none.
struct IgnoreLine {
    std::string text;
    std::optional<IgnoreRule> rule;
    IgnoreLineProblem problem = IgnoreLineProblem::None;
};

// Whether name matches pattern: "*" any run of characters (none too), "?"
// exactly one (a surrogate pair being one), every other character itself with
// letter case ignored ordinally. Takes at most pattern x name steps.
bool MatchesWildcard(std::string_view pattern, std::string_view name);
// The same for a rule's field, which is matched exactly after a leading "=".
bool MatchesField(std::string_view field, std::string_view text);

// Each line of the value, in order, with its rule or its problem.
std::vector<IgnoreLine> ParseIgnoreLines(const std::vector<std::string>& lines);
// The rules of the value's lines, in order, within the bounds above.
std::vector<IgnoreRule> ParseIgnoreRules(const std::vector<std::string>& lines);
// The stored lines; none when the value is missing or of another type.
std::vector<std::string> ReadIgnoreLines();

// The name of a verified signature of the file at program; empty where it
// is not so signed (not signed, broken, untrusted, or not checked in time).
using VerifiedSigner = std::function<std::string(const std::string& program)>;
// The signature check of core/signer_check.h.
std::string CheckedVerifiedSigner(const std::string& program);

// Rules made ready for many findings (a round's): each pattern is folded
// and expanded once, not once per finding.
class IgnoreMatcher {
public:
    explicit IgnoreMatcher(const std::vector<IgnoreRule>& rules, VerifiedSigner signerOf = &CheckedVerifiedSigner);
    // Whether finding matches one of the rules of its kind.
    bool Matches(const Finding& finding) const;

    // A field folded for matching: exact (it began with "=") or a pattern.
    struct Field {
        bool exact = false;
        std::u32string text;
        bool any = true;  // the rule has no such field
    };

private:
    struct Prepared {
        FindingKind kind;
        Field name, program, signer;
    };
    std::vector<Prepared> rules_;
    VerifiedSigner signerOf_;
};


// The exact rule for finding: its kind, "=" and its stored name (its name as
// shown where it has none), and "=" and its program where it has one.
std::string ExactIgnoreLine(const Finding& finding);

// The lines written where the value is absent.
std::vector<std::string> DefaultIgnoreLines();
// Whether line is one of the default list's, as written now or by an
// earlier Vigilo.
bool IsDefaultIgnoreLine(const std::string& line);
// The lines with each line an earlier Vigilo wrote as its default list put
// in its new form, every other line as it stands.
std::vector<std::string> MigratedIgnoreLines(const std::vector<std::string>& lines);
// Writes the default list where the value is absent, and brings an earlier
// default list's lines to their new form; a value that exists, empty or of
// another type, is otherwise left as it is.
void WriteDefaultIgnoreRulesWhereAbsent();

}  // namespace vigilo
