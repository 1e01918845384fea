// The history as the findings window and export show it: a row per finding,
// newest first, with its six columns; a filter on any column with letter
// case ignored in every script; an order by any column, newest first among
// equals.
#include <gtest/gtest.h>

#include "core/findings_table.h"
#include "core/language_texts.h"

using namespace vigilo;

namespace {

HistoryFinding Entry(long long id, FindingKind kind, const std::string& name, const std::string& time) {
    HistoryFinding entry{{kind, name}, time, Presentation::Shown};
    entry.finding.historyId = id;
    return entry;
}

std::vector<std::string> Names(const FindingsTable& table) {
    std::vector<std::string> names;
    for (size_t i = 0; i < table.ShownCount(); ++i) names.push_back(table.ShownCells(i)[2]);
    return names;
}

// The table of four findings, oldest first as the history holds them.
FindingsTable FourFindings() {
    std::vector<HistoryFinding> findings{
        Entry(1, FindingKind::Program, "Photo Editor", "2026-03-07T09:00:00Z"),
        Entry(2, FindingKind::Startup, "\xC3\x84pfel Updater", "2026-03-07T09:05:00Z"),
        Entry(3, FindingKind::Extension, "Google Chrome: abcdefgh", "2026-03-07T09:06:00Z"),
        Entry(4, FindingKind::Startup, "photo editor", "2026-03-07T08:59:00Z"),
    };
    findings[0].finding.signer = "signed:Adobe Inc.";
    findings[0].finding.signerLine = "Signed by Adobe Inc.";
    findings[1].finding.event = FindingEvent::Changed;
    findings[1].finding.place = "HKEY_CURRENT_USER (64-bit view)\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    findings[1].finding.program = "C:\\Tools\\Updater.exe";
    findings[1].finding.signerLine = "Not signed";
    findings[2].finding.ownName = "Tab Saver";
    findings[3].finding.event = FindingEvent::TurnedBackOn;
    FindingsTable table;
    table.SetFindings(findings);
    return table;
}

class FindingsTableTest : public ::testing::Test {
protected:
    void SetUp() override { Language() = LanguageTexts(); }  // English
};

}  // namespace

TEST_F(FindingsTableTest, RowsAreNewestFirstWithTheirSixColumns) {
    const FindingsTable table = FourFindings();
    ASSERT_EQ(table.ShownCount(), 4u);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"photo editor", "Google Chrome: Tab Saver", "\xC3\x84pfel Updater",
                                                      "Photo Editor"}));
    SYSTEMTIME utc{2026, 3, 0, 7, 9, 5, 0, 0}, local{};
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    char when[32];
    std::snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u:00", local.wYear, local.wMonth, local.wDay, local.wHour,
                  local.wMinute);
    EXPECT_EQ(table.ShownCells(2),
              (FindingCells{when, "Startup entry (changed)", "\xC3\x84pfel Updater", "Not signed",
                            "HKEY_CURRENT_USER (64-bit view)\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                            "C:\\Tools\\Updater.exe"}));
    EXPECT_EQ(table.ShownCells(3)[1], "New program");
    EXPECT_EQ(table.ShownCells(3)[3], "Adobe Inc.") << "a good signature by its signer's name";
    EXPECT_EQ(table.ShownCells(0)[1], "Startup entry (turned back on)");
    EXPECT_EQ(table.ShownTable().front(),
              (std::vector<std::string>{"When", "Kind", "Name", "Signed by", "Where", "Program"}));
    EXPECT_EQ(table.ShownTable().size(), 5u);
}

TEST_F(FindingsTableTest, TheFilterKeepsRowsWithTheTextInAnyColumnLetterCaseIgnoredInEveryScript) {
    FindingsTable table = FourFindings();
    table.SetFilter("\xC3\xA4PFEL");  // "äPFEL"
    EXPECT_EQ(Names(table), (std::vector<std::string>{"\xC3\x84pfel Updater"}));
    table.SetFilter("tools\\upd");
    EXPECT_EQ(table.ShownCount(), 1u) << "the program's column";
    table.SetFilter("EXTENSION");
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Google Chrome: Tab Saver"})) << "the kind's column";
    table.SetFilter("PHOTO");
    EXPECT_EQ(Names(table), (std::vector<std::string>{"photo editor", "Photo Editor"}));
    EXPECT_EQ(table.TotalCount(), 4u);
    table.SetFilter("nowhere");
    EXPECT_EQ(table.ShownCount(), 0u);
    table.SetFilter("");
    EXPECT_EQ(table.ShownCount(), 4u);
}

TEST_F(FindingsTableTest, AColumnOrdersTheRowsNewestFirstAmongEqualsAndNewFindingsJoinOnce) {
    FindingsTable table = FourFindings();
    table.SortBy(FindingsColumn::Name, true);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Google Chrome: Tab Saver", "photo editor", "Photo Editor",
                                                      "\xC3\x84pfel Updater"}));
    table.SortBy(FindingsColumn::Name, false);
    EXPECT_EQ(Names(table).front(), "\xC3\x84pfel Updater");
    EXPECT_EQ(Names(table)[1], "photo editor");
    // By the moment, not by its text: 08:59 is the oldest though it came last.
    table.SortBy(FindingsColumn::When, true);
    EXPECT_EQ(Names(table).front(), "photo editor");
    EXPECT_EQ(Names(table).back(), "Google Chrome: Tab Saver");

    table.AddFindings({Entry(4, FindingKind::Startup, "photo editor", "2026-03-07T08:59:00Z"),
                       Entry(5, FindingKind::Junk, "892.00 MB", "2026-03-07T10:00:00Z")});
    EXPECT_EQ(table.TotalCount(), 5u) << "a finding there already is not added again";
    EXPECT_EQ(table.ShownPosition(5), 4u);
    EXPECT_EQ(table.ShownPosition(99), std::nullopt);
}
