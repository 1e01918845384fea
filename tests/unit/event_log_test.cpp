// Every finding in the Application log, as a collector sees it, taken at
// the writer's seam: each kind's event ID, type and strings in their fixed
// order, ten events a round and one counting the rest, the user's actions,
// the setting EventLog, and the sentences of Vigilo's message table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/event_log.h"
#include "core/finding_reporters.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

Finding StartupFinding(const std::string& name, FindingEvent event = FindingEvent::Added) {
    return {.kind = FindingKind::Startup, .name = name, .storedName = name + ".lnk", .place = "C:\\Startup\\",
            .program = "C:\\Tools\\" + name + ".exe", .signerLine = "Signed by Tools Ltd", .event = event};
}

class EventLog : public ::testing::Test {
protected:
    void SetUp() override { LogFindingsToEventLog([this](const LoggedEvent& event) { written_.push_back(event); }); }
    void TearDown() override { ClearFindingReporters(); }

    void Report(std::vector<ReportedFinding> round) { ReportFindings(round); }
    std::vector<unsigned> Ids() const {
        std::vector<unsigned> ids;
        for (const LoggedEvent& event : written_) ids.push_back(event.id);
        return ids;
    }

    CleanSettings settings_;
    std::vector<LoggedEvent> written_;
};

// Message id of this program's message table (test programs carry Vigilo.exe's resources), with strings as %1...
std::wstring Rendered(DWORD id, const std::vector<std::wstring>& strings) {
    std::vector<DWORD_PTR> arguments;
    for (const std::wstring& text : strings) arguments.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
    wchar_t text[4096] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, GetModuleHandleW(nullptr), id, 0x409, text,
                   4096, reinterpret_cast<va_list*>(arguments.data()));
    return text;
}

}  // namespace

TEST_F(EventLog, EachKindOfFindingHasItsIdTypeAndStringsInTheirOrder) {
    Report({{StartupFinding("Updater"), Presentation::Dropped},
            {StartupFinding("Helper", FindingEvent::Changed), Presentation::Held},
            {StartupFinding("Agent", FindingEvent::TurnedBackOn), Presentation::Shown},
            {{FindingKind::Program, "PHOTO EDITOR"}, Presentation::Dropped},
            {{FindingKind::Extension, "Mozilla Firefox: helper@example.xpi"}, Presentation::Dropped},
            {{FindingKind::Junk, "892.00 MB"}, Presentation::Dropped}});
    ASSERT_EQ(Ids(), (std::vector<unsigned>{200, 201, 202, 100, 300, 400}));
    const EventType warning = EventType::Warning, information = EventType::Information;
    const std::vector<EventType> types{warning, warning, warning, information, warning, information};
    for (size_t i = 0; i < types.size(); ++i) EXPECT_EQ(written_[i].type, types[i]) << written_[i].id;
    EXPECT_EQ(written_[0].strings, (std::vector<std::string>{"startup", "Updater", "Updater.lnk", "C:\\Startup\\",
                                                             "C:\\Tools\\Updater.exe", "Signed by Tools Ltd", "not shown"}));
    EXPECT_EQ(written_[1].strings.at(6), "held");
    EXPECT_EQ(written_[2].strings.at(6), "shown");
    // What a finding does not know keeps its place, empty.
    EXPECT_EQ(written_[3].strings, (std::vector<std::string>{"program", "PHOTO EDITOR", "", "", "", "", "not shown"}));
    EXPECT_EQ(written_[5].strings.at(0), "junk");

    // A name of any length makes an event of bounded size.
    written_.clear();
    Report({{StartupFinding(std::string(40000, 'x')), Presentation::Shown}});
    EXPECT_EQ(written_.at(0).strings.at(1), std::string(2048, 'x'));
}

TEST_F(EventLog, ARoundWritesTenEventsAndOneThatCountsTheRest) {
    std::vector<ReportedFinding> round;
    for (int i = 0; i < 10; ++i) round.push_back({StartupFinding("Entry " + std::to_string(i)), Presentation::Dropped});
    Report(round);
    EXPECT_EQ(written_.size(), 10u) << "ten, and nothing to count";

    written_.clear();
    round.push_back({StartupFinding("Entry 10"), Presentation::Dropped});
    round.push_back({StartupFinding("Entry 11"), Presentation::Shown});
    Report(round);
    ASSERT_EQ(written_.size(), 11u);
    EXPECT_EQ(written_[9].strings.at(1), "Entry 9");
    EXPECT_EQ(written_[10].id, 900u);
    EXPECT_EQ(written_[10].type, EventType::Warning);
    EXPECT_EQ(written_[10].strings, (std::vector<std::string>{"2", "12"}));
}

TEST_F(EventLog, TheUserSwitchingAnEntryIsAnEventAndOnlyEventLogZeroKeepsAllOut) {
    const auto writtenByRoundAndAction = [this](UserAction action) {
        written_.clear();
        Report({{StartupFinding("Updater"), Presentation::Shown}});
        ReportUserAction(StartupFinding("Updater"), action);
        return Ids();
    };
    EXPECT_EQ(writtenByRoundAndAction(UserAction::Disabled), (std::vector<unsigned>{200, 500}));
    EXPECT_EQ(written_[1].type, EventType::Information);
    EXPECT_EQ(written_[1].strings, (std::vector<std::string>{"startup", "Updater", "Updater.lnk", "C:\\Startup\\",
                                                             "C:\\Tools\\Updater.exe", "Signed by Tools Ltd", "disabled"}));
    EXPECT_EQ(writtenByRoundAndAction(UserAction::Enabled), (std::vector<unsigned>{200, 501}));
    EXPECT_EQ(written_[1].strings.at(6), "enabled");
    EXPECT_EQ(writtenByRoundAndAction(UserAction::Ignored), (std::vector<unsigned>{200}));

    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "EventLog", 0);
    EXPECT_TRUE(writtenByRoundAndAction(UserAction::Disabled).empty());
    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "EventLog", 1);
    EXPECT_EQ(writtenByRoundAndAction(UserAction::Disabled).size(), 2u);
    // Of another type it counts as on: an admin relies on the log.
    SetString(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "EventLog", "0");
    EXPECT_EQ(writtenByRoundAndAction(UserAction::Disabled).size(), 2u);
}

TEST(EventMessages, EveryEventIdRendersItsStringsFromTheProgramsMessageTable) {
    const std::vector<std::wstring> strings{L"startup", L"Helper", L"helper.lnk", L"C:\\Startup\\", L"C:\\h.exe",
                                            L"Signed", L"shown"};
    for (const DWORD id : {100, 200, 201, 202, 300, 400, 500, 501}) {
        const std::wstring rendered = Rendered(id, strings);
        for (size_t i = 0; i < strings.size(); ++i)
            EXPECT_NE(rendered.find(strings[i]), std::wstring::npos) << id << " lacks %" << i + 1;
    }
    EXPECT_EQ(Rendered(900, {L"7", L"17"}).rfind(L"7 more of the 17 findings", 0), 0u);
}
