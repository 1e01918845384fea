// The record of findings as Purgeon reads it: HKCU\Software\Purgeon\Vigilo,
// REG_MULTI_SZ "Recent", newest first, at most fifty lines of
// "YYYY-MM-DD HH:MM:SS<TAB>kind<TAB>name", read soundly when damaged, and
// "RecentDetails" line for line beside it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/findings_record.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const char* const kVigiloKey = "Software\\Purgeon\\Vigilo";

SYSTEMTIME At(WORD minute, WORD second = 0) {
    SYSTEMTIME at{};
    at.wYear = 2026;
    at.wMonth = 3;
    at.wDay = 7;
    at.wHour = 9;
    at.wMinute = minute;
    at.wSecond = second;
    return at;
}

void StoreRaw(DWORD type, const std::wstring& text, DWORD bytes) {
    SetRaw(HKEY_CURRENT_USER, kVigiloKey, "Recent", type, text.data(), bytes);
}

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const RecordedFinding& recorded : ReadFindings()) names.push_back(recorded.finding.name);
    return names;
}

class FindingsRecord : public ::testing::Test {
protected:
    CleanSettings settings_;
};

}  // namespace

TEST_F(FindingsRecord, EachFindingIsOneLineNewestFirstInLocalTime) {
    AddFinding({FindingKind::Program, "Photo Editor"}, At(1, 2));
    AddFinding({FindingKind::Startup, "Updater"}, At(3, 4));
    AddFinding({FindingKind::Extension, "Mozilla Firefox: helper@example.xpi"}, At(5, 6));
    AddFinding({FindingKind::Junk, "892.00 MB"}, At(7, 8));
    EXPECT_EQ(RecentFindingLines(), (std::vector<std::string>{
                                         "2026-03-07 09:07:08\tjunk\t892.00 MB",
                                         "2026-03-07 09:05:06\textension\tMozilla Firefox: helper@example.xpi",
                                         "2026-03-07 09:03:04\tstartup\tUpdater",
                                         "2026-03-07 09:01:02\tprogram\tPhoto Editor",
                                     }));
    ClearFindings();
    EXPECT_TRUE(ReadFindings().empty());
}

TEST_F(FindingsRecord, FiftyAreKeptAndTheFiftyFirstDropsTheOldest) {
    for (int i = 0; i < 50; ++i) AddFinding({FindingKind::Startup, "Entry " + std::to_string(i)}, At(10));
    ASSERT_EQ(RecentFindingLines().size(), 50u);
    EXPECT_EQ(RecentFindingLines().back(), "2026-03-07 09:10:00\tstartup\tEntry 0");
    AddFinding({FindingKind::Startup, "Entry 50"}, At(11));
    const std::vector<std::string> lines = RecentFindingLines();
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(lines.front(), "2026-03-07 09:11:00\tstartup\tEntry 50");
    EXPECT_EQ(lines.back(), "2026-03-07 09:10:00\tstartup\tEntry 1");
}

TEST_F(FindingsRecord, ANameStaysOneBoundedLine) {
    AddFinding({FindingKind::Startup, std::string("a\tb\rc\nd\0e", 9)}, At(0));
    AddFinding({FindingKind::Program, std::string(300, 'x') + "\xE2\x82\xAC"}, At(0));
    const std::vector<std::string> lines = RecentFindingLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "2026-03-07 09:00:00\tstartup\ta b c d e");
    EXPECT_EQ(lines[0], "2026-03-07 09:00:00\tprogram\t" + std::string(260, 'x'));
}

TEST_F(FindingsRecord, ADamagedValueKeepsItsGoodLinesOrReadsAsEmpty) {
    const std::wstring good = L"2026-03-07 09:00:00\tstartup\tGood";
    const std::wstring lines = good + L'\0' + L"2026-3-07 09:00:00\tstartup\tShort date" + L'\0' +
                               L"2026-03-07 09:00:00\tvirus\tUnknown kind" + L'\0' + L"no tabs at all" + L'\0' +
                               L"2026-03-07 09:00:00\tjunk\ttoo\tmany tabs" + L'\0' + L"2026-03-07 09:00:00\tjunk\t" +
                               std::wstring(261, L'y') + L'\0' + good + L"2" + L'\0' + L'\0';
    StoreRaw(REG_MULTI_SZ, lines, static_cast<DWORD>(lines.size() * sizeof(wchar_t)));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Good", "Good2"}));

    // Odd size, and a last line without its NUL (cut short): the whole lines before it.
    // (Windows itself adds the NUL a writer left out when one follows the data.)
    const std::wstring cut = good + L'\0' + good + L"3" + L"X";
    StoreRaw(REG_MULTI_SZ, cut, static_cast<DWORD>((cut.size() - 1) * sizeof(wchar_t) + 1));
    EXPECT_EQ(Names(), std::vector<std::string>{"Good"});

    StoreRaw(REG_SZ, good, static_cast<DWORD>((good.size() + 1) * sizeof(wchar_t)));
    EXPECT_TRUE(ReadFindings().empty()) << "another type";
    const std::wstring huge(400000, L'2');
    StoreRaw(REG_MULTI_SZ, huge, static_cast<DWORD>(huge.size() * sizeof(wchar_t)));
    EXPECT_TRUE(ReadFindings().empty()) << "far beyond fifty lines";

    // The next finding writes the value anew, in the format.
    StoreRaw(REG_MULTI_SZ, lines, static_cast<DWORD>(lines.size() * sizeof(wchar_t)));
    AddFinding({FindingKind::Junk, "150.00 MB"}, At(1));
    EXPECT_EQ(RecentFindingLines(), (std::vector<std::string>{"2026-03-07 09:01:00\tjunk\t150.00 MB",
                                                              "2026-03-07 09:00:00\tstartup\tGood",
                                                              "2026-03-07 09:00:00\tstartup\tGood2"}));
}

TEST_F(FindingsRecord, DetailsStayLineForLineWithTheFindingsAndMissingOnesAreEmpty) {
    Finding program{FindingKind::Program, "Photo Editor"};
    program.signer = "signed:Photo\tWorks";
    Finding extension{FindingKind::Extension, "Google Chrome: abcdefgh"};
    extension.ownName = "Tab Saver";
    AddFinding({FindingKind::Startup, "Updater"}, At(1));
    AddFindings({program, extension}, At(2));
    EXPECT_EQ(RegistryTexts(HKEY_CURRENT_USER, kVigiloKey, "RecentDetails"),
              (std::vector<std::string>{"\tTab Saver", "signed:Photo Works\t", "\t"}));
    // An earlier Vigilo kept no details: the lines it wrote read with none.
    SetRegistryTexts(HKEY_CURRENT_USER, kVigiloKey, "RecentDetails", {"\tTab Saver"});
    const std::vector<RecordedFinding> read = ReadFindings();
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].finding.ownName, "Tab Saver");
    EXPECT_EQ(read[1].finding.signer, "");
    AddFinding({FindingKind::Junk, "150.00 MB"}, At(3));
    EXPECT_EQ(RegistryTexts(HKEY_CURRENT_USER, kVigiloKey, "RecentDetails").size(), 4u);
}
