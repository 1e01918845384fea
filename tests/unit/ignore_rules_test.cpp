// Ignore rules: HKCU\Software\Purgeon\Vigilo's REG_MULTI_SZ "Ignore", one
// "kind<TAB>name[<TAB>program[<TAB>signer]]" a line, "*" and "?", letter case
// ignored ordinally, "=" for an exact field.
#include <gtest/gtest.h>

#include <chrono>

#include "core/ignore_rules.h"
#include "core/policy_ignore_rules.h"
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

TEST(IgnoreRuleLines, TellWhyALineIsNoRuleAndStopAfterTwoHundredFiftySix) {
    std::string longest;  // 260 characters of two bytes each
    for (int i = 0; i < 260; ++i) longest += "\xC3\xA9";
    std::vector<std::string> lines{"startup Upd",          "service\tUpd",      "Startup\tUpd",
                                   "startup\t" + longest + "x", "startup\ta\tb\tc\td", "junk\t" + longest,
                                   "startup\tA\t\tSigner"};
    for (int i = 0; i < 300; ++i) lines.push_back("program\tP" + std::to_string(i));
    const std::vector<IgnoreLine> parsed = ParseIgnoreLines(lines);
    const IgnoreLineProblem expected[] = {IgnoreLineProblem::NoTab,        IgnoreLineProblem::UnknownKind,
                                          IgnoreLineProblem::UnknownKind,  IgnoreLineProblem::FieldTooLong,
                                          IgnoreLineProblem::TooManyFields};
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(parsed[i].problem, expected[i]) << lines[i];
    EXPECT_EQ(parsed[5].rule, (IgnoreRule{FindingKind::Junk, longest}));
    EXPECT_EQ(parsed[6].rule, (IgnoreRule{FindingKind::Startup, "A", "", "Signer"}));
    EXPECT_EQ(parsed[6 + 254].problem, IgnoreLineProblem::None);
    EXPECT_EQ(parsed[6 + 255].problem, IgnoreLineProblem::BeyondMostRules);
    EXPECT_EQ(ParseIgnoreRules(lines).size(), 256u);
}

namespace {
Finding Startup(std::string name, std::string program, std::string stored = {}) {
    Finding finding{FindingKind::Startup, std::move(name)};
    finding.program = std::move(program);
    finding.storedName = std::move(stored);
    return finding;
}
}  // namespace

TEST(IgnoreRules, NameProgramAndSignerFieldsExactFieldsAndExpandedPrograms) {
    SetEnvironmentVariableW(L"VIGILO_TEST_APPS", L"C:\\Test Apps");
    std::vector<std::string> checked;
    const auto signer = [&](const std::string& program) {
        checked.push_back(program);
        return program.starts_with("C:\\Users") ? std::string("Acme Ltd") : std::string();
    };
    const IgnoreMatcher matcher(ParseIgnoreRules({"startup\tUp*\t%VIGILO_TEST_APPS%\\up.exe",
                                                  "startup\t=Tool*.lnk",
                                                  "startup\tSigned*\tC:\\Users\\*\tAcme Ltd",
                                                  "program\tTool*"}),
                                signer);
    EXPECT_TRUE(matcher.Matches(Startup("Updater", "C:\\TEST APPS\\UP.EXE")));
    EXPECT_FALSE(matcher.Matches(Startup("Updater", "C:\\Users\\Public\\up.exe"))) << "another program";
    EXPECT_FALSE(matcher.Matches(Startup("Updater", ""))) << "no program";
    EXPECT_TRUE(matcher.Matches(Startup("Tool", "", "Tool*.lnk"))) << "by its stored name";
    EXPECT_FALSE(matcher.Matches(Startup("Tool", "", "Tool1.lnk"))) << "= makes * a plain character";
    EXPECT_TRUE(matcher.Matches(Startup("Signed one", "C:\\Users\\me\\a.exe")));
    EXPECT_FALSE(matcher.Matches(Startup("Signed two", "C:\\UsersX\\a.exe")));
    EXPECT_EQ(checked, (std::vector<std::string>{"C:\\Users\\me\\a.exe"})) << "checked only where name and program match";
    Finding known = Startup("Signed three", "C:\\Users\\me\\b.exe");
    known.signer = "unsigned";
    EXPECT_FALSE(matcher.Matches(known)) << "what the round found stands; not checked again";
    EXPECT_EQ(checked.size(), 1u);
    SetEnvironmentVariableW(L"VIGILO_TEST_APPS", nullptr);
}

// A program named after an updater was hidden by the default list's names alone.
TEST(IgnoreRules, TheDefaultListHidesTheUpdatersByTheirProgramAndNoLookAlike) {
    char local[MAX_PATH] = "", x86[MAX_PATH] = "";
    GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH);
    GetEnvironmentVariableA("ProgramFiles(x86)", x86, MAX_PATH);
    const std::string oneDrive = std::string(local) + "\\Microsoft\\OneDrive\\OneDriveStandaloneUpdater.exe";
    const auto verified = [&](const std::string& program) {
        return program == oneDrive ? std::string("Microsoft Corporation") : std::string();
    };
    const IgnoreMatcher defaults(ParseIgnoreRules(DefaultIgnoreLines()), verified);
    const std::string edge = "MicrosoftEdgeUpdateTaskMachineCore";
    const std::string sid = "OneDrive Standalone Update Task-S-1-5-21-1004336348-1177238915-682003330-1001";
    EXPECT_TRUE(defaults.Matches(Startup(edge, std::string(x86) + "\\Microsoft\\EdgeUpdate\\MicrosoftEdgeUpdate.exe")));
    EXPECT_FALSE(defaults.Matches(Startup(edge, "C:\\Users\\Public\\x.exe")));
    EXPECT_TRUE(defaults.Matches(Startup(sid, oneDrive)));
    EXPECT_FALSE(defaults.Matches(Startup(sid, std::string(local) + "\\Microsoft\\OneDrive\\Other.exe")));
    const std::string google = std::string(local) + "\\Google\\Update\\GoogleUpdate.exe";
    EXPECT_FALSE(defaults.Matches(Startup("GoogleUpdateTaskUserUA", google))) << "in the user's folders, unsigned";
}

TEST(IgnoreRules, DefaultListIsWrittenWhereAbsentTheOldOneMigratedAndTheUsersLinesKept) {
    test::CleanSettings settings;
    WriteDefaultIgnoreRulesWhereAbsent();
    const std::vector<std::string> written = ReadIgnoreLines();
    EXPECT_EQ(written, DefaultIgnoreLines());
    for (const std::string& line : written) EXPECT_EQ(ParseIgnoreLines({line})[0].problem, IgnoreLineProblem::None);

    StoreRules(L"startup\tMicrosoftEdgeUpdateTask*\0program\tPhoto?\0startup\tOpera scheduled Autoupdate *\0");
    WriteDefaultIgnoreRulesWhereAbsent();
    const std::vector<std::string> migrated = ReadIgnoreLines();
    ASSERT_EQ(migrated.size(), 3u);
    EXPECT_EQ(migrated[0], "startup\tMicrosoftEdgeUpdateTask*\t%ProgramFiles(x86)%\\Microsoft\\EdgeUpdate\\MicrosoftEdgeUpdate.exe");
    EXPECT_EQ(migrated[1], "program\tPhoto?");
    EXPECT_EQ(migrated[2], "startup\tOpera scheduled Autoupdate *\t%LOCALAPPDATA%\\Programs\\Opera\\launcher.exe\tOpera Norway AS");
    EXPECT_TRUE(IsIgnored(Finding{FindingKind::Program, "PHOTO7"}));

    StoreRules(L"");  // emptied by the user: stays empty
    WriteDefaultIgnoreRulesWhereAbsent();
    EXPECT_TRUE(ReadIgnoreLines().empty());
}
