// Every finding in the Application log, seen from outside through Wine's
// trace of ReportEventW: Wine keeps no log, but WINEDEBUG=+eventlog prints
// each insertion string, at level "warn" for a warning and "trace" for
// information, after an advapi line that gives the event ID.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

const char* const kVigiloKey = "Software\\Purgeon\\Vigilo";
constexpr DWORD kRoundMs = 20000;

struct TracedEvent {
    unsigned id = 0;
    std::string level;  // of its strings: "warn" or "trace"
    std::vector<std::string> strings;
};

// The text of a debug string (L"..."), its escapes undone.
std::string Unquoted(const std::string& quoted) {
    std::string text;
    for (size_t i = 2; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == '\\' && i + 2 < quoted.size()) ++i;
        text += quoted[i];
    }
    return text;
}

// The events in a trace: "xxxx:fixme:advapi:ReportEventW (source,type,category,id,...)" opens
// each, "xxxx:<level>:eventlog:ReportEventW L"..."" adds a string.
std::vector<TracedEvent> TracedEvents(const std::string& trace) {
    std::vector<TracedEvent> events;
    size_t start = 0;
    while (start < trace.size()) {
        size_t end = trace.find('\n', start);
        if (end == std::string::npos) end = trace.size();
        const std::string line = trace.substr(start, end - start);
        start = end + 1;
        if (const size_t call = line.find(":advapi:ReportEventW ("); call != std::string::npos) {
            size_t field = call;
            for (int comma = 0; comma < 3 && field != std::string::npos; ++comma) field = line.find(',', field + 1);
            if (field != std::string::npos) events.push_back({static_cast<unsigned>(std::stoul(line.substr(field + 1), nullptr, 16))});
            continue;
        }
        const size_t channel = line.find(":eventlog:ReportEventW L\"");
        const size_t level = line.find(':');
        if (channel == std::string::npos || events.empty() || level >= channel) continue;
        events.back().level = line.substr(level + 1, channel - level - 1);
        events.back().strings.push_back(Unquoted(line.substr(channel + std::string(":eventlog:ReportEventW ").size())));
    }
    return events;
}

class FindingsInEventLog : public NotificationProgram {
protected:
    FindingsInEventLog() : NotificationProgram("TForm2c", "StartupNotifier") {}

    std::vector<TracedEvent> Events() const { return TracedEvents(ReadFile(vigilo_->StandardErrorFile())); }
    // The event whose name shown is name, once traced; id 0 on time-out.
    TracedEvent WaitForEventOf(const std::string& name) const {
        TracedEvent found;
        WaitUntil([&] {
            for (const TracedEvent& event : Events())
                if (event.strings.size() > 1 && event.strings[1] == name) found = event;
            return found.id != 0;
        }, kRoundMs);
        return found;
    }
    bool Recorded(const std::string& line) const {
        for (const std::string& recorded : RecentFindingLines())
            if (recorded.find(line) != std::string::npos) return true;
        return false;
    }

    RunKeys runKeys_;
    UninstallKeys uninstallKeys_;
};

}  // namespace

TEST_F(FindingsInEventLog, ANewStartupEntryAndANewProgramGiveTheirStringsAndEventLogZeroGivesNone) {
    SetDword(HKEY_CURRENT_USER, kVigiloKey, "EventLog", 0);
    StartVigilo(true, {"WINEDEBUG=-all,+eventlog,fixme+advapi"});

    // Switched off: found and recorded, not written.
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestUnlogged"));
    RegisterProgram(kUserUninstall, "VigiloTestUnloggedApp", "Unlogged App");
    // A program is named as its window names it, in capitals.
    ASSERT_TRUE(WaitUntil([&] { return Recorded("\tstartup\tVigiloTestUnlogged") && Recorded("\tprogram\tUNLOGGED APP"); },
                          kRoundMs));
    // Once Vigilo's main thread answers, the rounds recorded are over.
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutW(vigilo_->MainWindow(), WM_NULL, 0, 0, SMTO_BLOCK, 10000, &answer), 0);

    SetDword(HKEY_CURRENT_USER, kVigiloKey, "EventLog", 1);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestLogged"));
    const TracedEvent startup = WaitForEventOf("VigiloTestLogged");
    EXPECT_EQ(startup.id, 200u);
    EXPECT_EQ(startup.level, "warn");
    ASSERT_EQ(startup.strings.size(), 7u);
    EXPECT_EQ(startup.strings[0], "startup");
    EXPECT_TRUE(startup.strings[6] == "shown" || startup.strings[6] == "held" || startup.strings[6] == "not shown")
        << startup.strings[6];

    RegisterProgram(kUserUninstall, "VigiloTestLoggedApp", "Logged App", "Logged Ltd");
    const TracedEvent program = WaitForEventOf("LOGGED APP");
    EXPECT_EQ(program.id, 100u);
    EXPECT_EQ(program.level, "trace");
    ASSERT_EQ(program.strings.size(), 7u);
    EXPECT_EQ(program.strings[0], "program");

    for (const TracedEvent& event : Events()) {
        ASSERT_GT(event.strings.size(), 1u);
        EXPECT_NE(event.strings[1], "VigiloTestUnlogged") << "written while switched off";
        EXPECT_NE(event.strings[1], "UNLOGGED APP") << "written while switched off";
    }
}
