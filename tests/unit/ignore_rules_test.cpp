// Ignore rules: HKCU\Software\Purgeon\Vigilo's REG_MULTI_SZ "Ignore", one
// "kind<TAB>pattern" a line, "*" and "?", letter case ignored ordinally.
#include <gtest/gtest.h>

#include <chrono>

#include "core/ignore_rules.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace vigilo;

namespace {
const std::string kSnowman = "\xE2\x98\x83", kGrinning = "\xF0\x9F\x98\x80", kLoneSurrogate = "\xED\xA0\x80";

template <size_t N>
void StoreRules(const wchar_t (&lines)[N]) {  // each line ended by \0; the literal's own NUL ends the list
    test::SetRaw(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "Ignore", REG_MULTI_SZ, lines, N * 2);
}
}  // namespace

TEST(WildcardMatch, EmptyStarQuestionMarkAndNamesOutsideTheCodePage) {
    EXPECT_TRUE(MatchesWildcard("", ""));
    EXPECT_FALSE(MatchesWildcard("", "a"));
    for (const std::string& name : {std::string(), std::string("Up*?"), kSnowman, kLoneSurrogate})
        EXPECT_TRUE(MatchesWildcard("*", name)) << name;
    EXPECT_TRUE(MatchesWildcard("Tool?", "Tool1"));
    EXPECT_FALSE(MatchesWildcard("Tool?", "Tool"));
    EXPECT_FALSE(MatchesWildcard("Tool?", "Tool12"));
    EXPECT_TRUE(MatchesWildcard("Tool?", "Tool" + kGrinning));  // a surrogate pair is one character
    EXPECT_FALSE(MatchesWildcard("a*b*c", "aXbYbZ"));
    EXPECT_TRUE(MatchesWildcard(kSnowman + " sync*", kSnowman + " SYNC Helper"));
    EXPECT_TRUE(MatchesWildcard("\xD0\x9E\xD0\x91*", "\xD0\xBE\xD0\xB1\xD0\xBD"));  // ОБ* / обн
    // Ordinal: a soft hyphen is a character, and the Turkish dotted capital I no capital of "i".
    EXPECT_FALSE(MatchesWildcard("Updater", "Up\xC2\xAD" "dater"));
    EXPECT_FALSE(MatchesWildcard("\xC4\xB0NFO", "info"));
}

// Every character of the basic plane and its case partners match as CompareStringOrdinal compares them.
TEST(WildcardMatch, AgreesWithCompareStringOrdinal) {
    int disagreements = 0;
    for (wchar_t c = 1; c < 0xFFFF; ++c) {
        wchar_t lower = c, upper = c;
        CharLowerBuffW(&lower, 1);
        CharUpperBuffW(&upper, 1);
        for (wchar_t other : {lower, upper})
            if (c < 0xD800 || c >= 0xE000)
                disagreements += (CompareStringOrdinal(&c, 1, &other, 1, TRUE) == CSTR_EQUAL) !=
                                 MatchesWildcard(Utf8(std::wstring(1, c)), Utf8(std::wstring(1, other)));
    }
    EXPECT_EQ(0, disagreements);
}

TEST(WildcardMatch, ManyStarsTakePatternTimesNameStepsNotExponentialOnes) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(MatchesWildcard("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", std::string(20000, 'a')));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(IgnoreRuleLines, SkipNoTabOtherKindsAndOverTwoHundredSixtyCharactersAndStopAfterTwoHundredFiftySix) {
    std::string longest = "startup\t";  // 8 characters, then 252 of two bytes each: 260
    for (int i = 0; i < 252; ++i) longest += "\xC3\xA9";
    std::vector<std::string> lines{"startup Upd", "service\tUpd", "Startup\tUpd", longest + "x", longest, "junk\tA\tB"};
    for (int i = 0; i < 300; ++i) lines.push_back("program\tP" + std::to_string(i));
    const std::vector<IgnoreRule> rules = ParseIgnoreRules(lines);
    ASSERT_EQ(256u, rules.size());
    EXPECT_EQ(longest.substr(8), rules[0].pattern);
    EXPECT_TRUE(rules[1].kind == FindingKind::Junk && rules[1].pattern == "A\tB");
    EXPECT_EQ("P253", rules[255].pattern);
}

TEST(IgnoreRules, DefaultListIsWrittenWhereAbsentAndRulesAreReadAtEachFinding) {
    test::CleanSettings settings;
    WriteDefaultIgnoreRulesWhereAbsent();
    for (const char* name : {"GoogleUpdateTaskMachineCore{5F8A1C2B-1111-2222-3333-444455556666}",
                             "GoogleUpdaterTaskSystem128.0.6537.0{0A1B2C3D-1111-2222-3333-444455556666}",
                             "MicrosoftEdgeUpdateTaskMachineUA{9C3E1D2B-1111-2222-3333-444455556666}",
                             "OneDrive Standalone Update Task-S-1-5-21-1004336348-1177238915-682003330-1001"})
        EXPECT_TRUE(IsIgnored(FindingKind::Startup, name)) << name;
    EXPECT_FALSE(IsIgnored(FindingKind::Startup, "OneDrive"));
    EXPECT_FALSE(IsIgnored(FindingKind::Program, "GoogleUpdateTaskMachineCore"));  // its kind only
    StoreRules(L"program\tPhoto?\0");
    EXPECT_TRUE(IsIgnored(FindingKind::Program, "PHOTO7"));
    StoreRules(L"");  // emptied by the user: stays empty
    WriteDefaultIgnoreRulesWhereAbsent();
    EXPECT_FALSE(IsIgnored(FindingKind::Startup, "GoogleUpdateTaskMachineCore"));
    test::SetString(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "Ignore", "startup\t*");  // another type
    WriteDefaultIgnoreRulesWhereAbsent();
    EXPECT_FALSE(IsIgnored(FindingKind::Startup, "GoogleUpdateTaskMachineCore"));
}
