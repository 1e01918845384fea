// Every finding in the Application log, seen from outside through Wine's
// trace of ReportEventW: Wine keeps no log, but WINEDEBUG=+eventlog prints
// each insertion string as a line "<thread>:<level>:eventlog:ReportEventW
// L"<string>"", level "warn" for a warning and "trace" for information.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

constexpr DWORD kRoundMs = 20000;

class FindingsInEventLog : public NotificationProgram {
protected:
    FindingsInEventLog() : NotificationProgram("TForm2c", "StartupNotifier") {}

    // Whether the trace holds an event whose first strings are these, at level.
    bool Traced(const std::string& level, const std::vector<std::string>& strings) const {
        const std::string trace = ReadFile(vigilo_->StandardErrorFile());
        std::string withoutThreads;
        for (size_t start = 0, end = 0; start < trace.size(); start = end + 1) {
            end = std::min(trace.find('\n', start), trace.size());
            if (const size_t colon = trace.find(':', start); colon < end)
                withoutThreads.append(trace, colon + 1, end - colon - 1).push_back('\n');
        }
        std::string lines;
        for (const std::string& text : strings) lines += level + ":eventlog:ReportEventW L\"" + text + "\"\n";
        return withoutThreads.find(lines) != std::string::npos;
    }
    static bool Recorded(const std::string& line) {
        for (const std::string& recorded : RecentFindingLines())
            if (recorded.find(line) != std::string::npos) return true;
        return false;
    }

    RunKeys runKeys_;
    UninstallKeys uninstallKeys_;
};

}  // namespace

TEST_F(FindingsInEventLog, ANewStartupEntryAndANewProgramGiveTheirStringsAndEventLogZeroGivesNone) {
    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "EventLog", 0);
    StartVigilo(true, {"WINEDEBUG=-all,+eventlog"});

    // Switched off: found and recorded (a program in capitals, as its window names it), not written.
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestUnlogged"));
    RegisterProgram(kUserUninstall, "VigiloTestUnloggedApp", "Unlogged App");
    ASSERT_TRUE(WaitUntil([] { return Recorded("\tstartup\tVigiloTestUnlogged") && Recorded("\tprogram\tUNLOGGED APP"); },
                          kRoundMs));
    // Once Vigilo's main thread answers, the rounds it recorded are over.
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutW(vigilo_->MainWindow(), WM_NULL, 0, 0, SMTO_BLOCK, 10000, &answer), 0);

    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "EventLog", 1);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestLogged"));
    EXPECT_TRUE(WaitUntil([&] { return Traced("warn", {"startup", "VigiloTestLogged"}); }, kRoundMs));
    RegisterProgram(kUserUninstall, "VigiloTestLoggedApp", "Logged App", "Logged Ltd");
    EXPECT_TRUE(WaitUntil([&] { return Traced("trace", {"program", "LOGGED APP"}); }, kRoundMs));

    const std::string trace = ReadFile(vigilo_->StandardErrorFile());
    EXPECT_EQ(trace.find("Unlogged"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("UNLOGGED"), std::string::npos) << trace;
}
