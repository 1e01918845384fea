// The record of findings from end to end: Vigilo.exe keeps every startup
// entry it finds in HKCU\Software\Purgeon\Vigilo's "Recent", newest first,
// also those the busy rule or a switched-off notification keeps off the
// screen, and none that the rules filter out.
#include <gtest/gtest.h>

#include <regex>

#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

constexpr DWORD kNoReportMs = 2500;

class RecentFindingsProgram : public NotificationProgram {
protected:
    RecentFindingsProgram() : NotificationProgram("TForm2c", "StartupNotifier") {}
    static bool RecordHolds(size_t lines, DWORD timeoutMs = 5000) {
        return WaitUntil([&] { return RecentFindingLines().size() == lines; }, timeoutMs);
    }
    static void ExpectLine(const std::string& line, const std::string& name) {
        EXPECT_TRUE(std::regex_match(line, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\tstartup\t" + name)))
            << line;
    }

    RunKeys keys_;
};

}  // namespace

TEST_F(RecentFindingsProgram, EveryStartupEntryIsRecordedNewestFirstWhetherShownOrNot) {
    StartVigilo();
    vigilo_->Folder().Write("SList.txt", "[OptFr]\r\nspyware=1\r\n");
    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 0);
    ASSERT_TRUE(AddStartupEntry(kMachineRun64, "VigiloTestSwitchedOff"));
    ASSERT_TRUE(RecordHolds(1));
    EXPECT_TRUE(NoWindowFor(kNoReportMs));

    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 1);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestFirst"));
    HWND first = WaitForWindow(5000);
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestSecond"));  // while the first one's window is up
    ASSERT_TRUE(RecordHolds(3, 5000)) << "recorded at once";
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(first); }, 25000));
    EXPECT_TRUE(NoWindowFor(kNoReportMs)) << "and never shown";
    ASSERT_TRUE(AddStartupEntry(kUserRunOnce, "VigiloTest SpyWare Guard"));  // on the exclusion list
    EXPECT_FALSE(RecordHolds(4));

    const std::vector<std::string> lines = RecentFindingLines();
    ASSERT_EQ(lines.size(), 3u);
    ExpectLine(lines[0], "VigiloTestSecond");
    ExpectLine(lines[1], "VigiloTestFirst");
    ExpectLine(lines[2], "VigiloTestSwitchedOff");
    vigilo_->Kill();
}
