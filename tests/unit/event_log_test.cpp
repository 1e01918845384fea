// Every finding in the Application log, as a collector sees it: each kind's
// event ID and type, its insertion strings in their fixed order, ten events
// a round and one that counts the rest, the user's actions, and the
// setting EventLog. The events are taken at the writer's seam.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/event_log.h"
#include "core/finding_reporters.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const char* const kVigiloKey = "Software\\Purgeon\\Vigilo";

Finding StartupFinding(const std::string& name, FindingEvent event = FindingEvent::Added) {
    Finding finding{FindingKind::Startup, name};
    finding.storedName = name + " value";
    finding.place = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run (64-bit)";
    finding.program = "C:\\Tools\\" + name + ".exe";
    finding.signerLine = "Signed by Tools Ltd";
    finding.event = event;
    return finding;
}

class EventLog : public ::testing::Test {
protected:
    void SetUp() override {
        ClearFindingReporters();
        LogFindingsToEventLog([this](const LoggedEvent& event) { written_.push_back(event); });
    }
    void TearDown() override { ClearFindingReporters(); }

    void Report(std::vector<ReportedFinding> round) { ReportFindings(round); }
    std::vector<unsigned> WrittenIds() const {
        std::vector<unsigned> ids;
        for (const LoggedEvent& event : written_) ids.push_back(event.id);
        return ids;
    }

    CleanSettings settings_;
    std::vector<LoggedEvent> written_;
};

// Message id of the test program's own message table (test programs carry
// Vigilo.exe's resources) with strings as %1, %2...; empty where it has none.
std::wstring Rendered(DWORD id, const std::vector<std::wstring>& strings) {
    std::vector<DWORD_PTR> arguments;
    for (const std::wstring& text : strings) arguments.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
    wchar_t text[4096] = {};
    if (!FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, GetModuleHandleW(nullptr), id, 0x409,
                        text, 4096, reinterpret_cast<va_list*>(arguments.data())))
        return L"";
    return text;
}

}  // namespace

TEST_F(EventLog, EachKindOfFindingHasItsIdTypeAndStringsInTheirOrder) {
    Finding junk{FindingKind::Junk, "892.00 MB"};
    Report({{StartupFinding("Updater"), Presentation::Dropped},
            {StartupFinding("Helper", FindingEvent::Changed), Presentation::Dropped},
            {StartupFinding("Agent", FindingEvent::TurnedBackOn), Presentation::Dropped},
            {{FindingKind::Program, "Photo Editor"}, Presentation::Dropped},
            {{FindingKind::Extension, "Mozilla Firefox: helper@example.xpi"}, Presentation::Held},
            {junk, Presentation::Shown}});
    ASSERT_EQ(WrittenIds(), (std::vector<unsigned>{200, 201, 202, 100, 300, 400}));
    const std::vector<EventType> types{EventType::Warning, EventType::Warning, EventType::Warning,
                                       EventType::Information, EventType::Warning, EventType::Information};
    for (size_t i = 0; i < types.size(); ++i) EXPECT_EQ(written_[i].type, types[i]) << written_[i].id;

    EXPECT_EQ(written_[0].strings,
              (std::vector<std::string>{"startup", "Updater", "Updater value",
                                        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run (64-bit)",
                                        "C:\\Tools\\Updater.exe", "Signed by Tools Ltd", "not shown"}));
    // What a finding does not know stays in its place, empty.
    EXPECT_EQ(written_[3].strings, (std::vector<std::string>{"program", "Photo Editor", "", "", "", "", "not shown"}));
    EXPECT_EQ(written_[4].strings.at(6), "held");
    EXPECT_EQ(written_[5].strings.at(0), "junk");
    EXPECT_EQ(written_[5].strings.at(6), "shown");
}

TEST_F(EventLog, ARoundWritesTenEventsAndOneThatCountsTheRest) {
    std::vector<ReportedFinding> round;
    for (int i = 0; i < 10; ++i) round.push_back({StartupFinding("Entry " + std::to_string(i)), Presentation::Dropped});
    Report(round);
    EXPECT_EQ(written_.size(), 10u) << "ten fit without a counting event";

    written_.clear();
    round.push_back({StartupFinding("Entry 10"), Presentation::Dropped});
    round.push_back({StartupFinding("Entry 11"), Presentation::Shown});
    Report(round);
    ASSERT_EQ(written_.size(), 11u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(written_[i].strings.at(1), "Entry " + std::to_string(i));
    EXPECT_EQ(written_[10].id, 900u);
    EXPECT_EQ(written_[10].type, EventType::Warning);
    EXPECT_EQ(written_[10].strings, (std::vector<std::string>{"2", "12"}));
}

TEST_F(EventLog, TheUsersSwitchingOfAnEntryIsAnEventAndAnIgnoreRuleIsNone) {
    ReportUserAction(StartupFinding("Updater"), UserAction::Disabled);
    ReportUserAction(StartupFinding("Updater"), UserAction::Enabled);
    ReportUserAction(StartupFinding("Updater"), UserAction::Ignored);
    ASSERT_EQ(WrittenIds(), (std::vector<unsigned>{500, 501}));
    EXPECT_EQ(written_[0].type, EventType::Information);
    EXPECT_EQ(written_[1].type, EventType::Information);
    EXPECT_EQ(written_[0].strings,
              (std::vector<std::string>{"startup", "Updater", "Updater value",
                                        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run (64-bit)",
                                        "C:\\Tools\\Updater.exe", "Signed by Tools Ltd", "disabled"}));
    EXPECT_EQ(written_[1].strings.at(6), "enabled");
}

TEST_F(EventLog, OnlyEventLogZeroKeepsEventsOutAndItIsReadAtEachRound) {
    const auto roundAndActionWrite = [this] {
        written_.clear();
        Report({{StartupFinding("Updater"), Presentation::Shown}});
        ReportUserAction(StartupFinding("Updater"), UserAction::Disabled);
        return written_.size();
    };
    EXPECT_EQ(roundAndActionWrite(), 2u) << "missing";
    SetDword(HKEY_CURRENT_USER, kVigiloKey, "EventLog", 0);
    EXPECT_EQ(roundAndActionWrite(), 0u);
    SetDword(HKEY_CURRENT_USER, kVigiloKey, "EventLog", 1);
    EXPECT_EQ(roundAndActionWrite(), 2u);
    // Damaged, it is on: the log is what an admin relies on.
    SetString(HKEY_CURRENT_USER, kVigiloKey, "EventLog", "0");
    EXPECT_EQ(roundAndActionWrite(), 2u);
}

TEST_F(EventLog, ANameOfAnyLengthMakesAnEventOfBoundedSize) {
    const std::string longName(40000, 'x');
    Report({{StartupFinding(longName), Presentation::Shown}});
    ASSERT_EQ(written_.size(), 1u);
    EXPECT_EQ(written_[0].strings.at(1), std::string(2048, 'x'));
    EXPECT_EQ(written_[0].strings.at(4), "C:\\Tools\\" + std::string(2048 - 9, 'x'));
}

TEST(EventMessages, EveryEventIdRendersItsStringsFromTheProgramsMessageTable) {
    const std::vector<std::wstring> strings{L"startup", L"Nightly Helper", L"helper", L"HKCU\\Run",
                                            L"C:\\h.exe", L"Signed", L"shown"};
    for (const DWORD id : {100, 200, 201, 202, 300, 400, 500, 501}) {
        const std::wstring rendered = Rendered(id, strings);
        ASSERT_FALSE(rendered.empty()) << id;
        for (size_t i = 0; i < strings.size(); ++i)
            EXPECT_NE(rendered.find(strings[i]), std::wstring::npos) << id << " lacks %" << i + 1;
    }
    EXPECT_EQ(Rendered(900, {L"7", L"17"}).rfind(L"7 more of the 17 findings", 0), 0u);
}
