// The places beyond the Run keys where a program can make itself start,
// from end to end: a program added to Winlogon's Userinit, a debugger put
// on a program under Image File Execution Options, an Active Setup
// component and the command processor's AutoRun, each reported by a
// running Vigilo.exe under its family's name. One start serves them in
// turn: the first shows the startup window, whose 20 seconds keep the
// others off the screen, and every one is read from the record of findings.
// Every key and value written is put back as it was, also on failure.
#include <gtest/gtest.h>

#include <optional>

#include "platform/registry.h"
#include "platform/text.h"
#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kLm = HKEY_LOCAL_MACHINE;
const HKEY kCu = HKEY_CURRENT_USER;
constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kDebuggedProgram =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\VigiloTestApp.exe";
constexpr const char* kComponent =
    "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{6D1F7E00-5A1B-4E55-9C3A-7E57C0DE0030}";
constexpr const char* kCommandProcessor = "Software\\Microsoft\\Command Processor";
// The longest settle delay of these families (Active Setup's), with room.
constexpr DWORD kRecordedMs = 6000;

// A value of the 64-bit view, and a key of the test's own, put back as they
// were at destruction: the old data or none; a key made for them goes.
class Restored {
public:
    Restored(HKEY root, std::string key, std::string value) : root_(root), key_(std::move(key)), value_(std::move(value)) {
        for (std::string path = key_; !OpenKey(root_, path, KEY_READ) && path.find('\\') != std::string::npos;
             path = path.substr(0, path.find_last_of('\\')))
            made_ = path;
        if (const UniqueKey opened = OpenKey(root_, key_, KEY_READ)) old_ = QueryValue(opened.get(), value_);
    }
    ~Restored() {
        if (!made_.empty()) {
            DeleteKeyTree(root_, made_);
            return;
        }
        const UniqueKey opened = OpenKey(root_, key_, KEY_SET_VALUE);
        if (opened && old_) SetValue(opened.get(), value_, old_->type, old_->data.data(), static_cast<DWORD>(old_->data.size()));
        if (opened && !old_) DeleteValue(opened.get(), value_);
    }
    Restored(const Restored&) = delete;
    Restored& operator=(const Restored&) = delete;
    void Set(const std::string& text) const { SetString(root_, key_, value_, text); }

private:
    HKEY root_;
    std::string key_, value_;
    std::optional<RegistryValue> old_;
    std::string made_;  // the topmost key made for them
};

class AutostartPlaces : public NotificationProgram {
protected:
    AutostartPlaces() : NotificationProgram("TForm2c", "StartupNotifier") {}
    // Whether the record of findings gains a startup line naming name.
    static ::testing::AssertionResult Recorded(const std::string& name) {
        const std::string line = "\tstartup\t" + name;
        if (WaitUntil(
                [&] {
                    for (const std::string& recorded : RecentFindingLines())
                        if (recorded.ends_with(line)) return true;
                    return false;
                },
                kRecordedMs))
            return ::testing::AssertionSuccess();
        std::string record;
        for (const std::string& recorded : RecentFindingLines()) record += "\n  " + recorded;
        return ::testing::AssertionFailure() << name << " is not in the record:" << record;
    }
    static bool NotRecorded(const std::string& name) {
        for (const std::string& recorded : RecentFindingLines())
            if (recorded.ends_with("\tstartup\t" + name)) return false;
        return true;
    }
};

}  // namespace

TEST_F(AutostartPlaces, WhatAProgramAddsToWinlogonIfeoActiveSetupAndTheCommandProcessorIsReportedByItsPlace) {
    const Restored userinit(kLm, kWinlogon, "Userinit");
    const Restored debugged(kLm, kDebuggedProgram, "Debugger");
    const Restored component(kLm, kComponent, "StubPath");
    const Restored autoRun(kCu, kCommandProcessor, "AutoRun");
    // What Windows itself keeps there is the baseline.
    userinit.Set("C:\\windows\\system32\\userinit.exe,");
    StartVigilo();

    {
        SCOPED_TRACE("a program added to Userinit");
        userinit.Set("C:\\windows\\system32\\userinit.exe,\"C:\\VigiloTest\\Acc Tools\\AccTool.exe\" /silent");
        HWND form = WaitForWindow(5000);
        ASSERT_NE(form, nullptr);
        EXPECT_NE(FindChildByText(form, "Userinit: AccTool.exe"), nullptr);
        EXPECT_NE(FindChildByText(form, "just added itself to your Windows startup."), nullptr);
        EXPECT_TRUE(Recorded("Userinit: AccTool.exe"));
        EXPECT_TRUE(NotRecorded("Userinit: userinit.exe")) << "Windows' own program";
    }
    {
        SCOPED_TRACE("a debugger put on a program");
        debugged.Set("\"C:\\VigiloTest\\debugger.exe\" -p");
        EXPECT_TRUE(Recorded("VigiloTestApp.exe: debugger.exe"));
    }
    {
        SCOPED_TRACE("an Active Setup component");
        SetString(kLm, kComponent, "", "Vigilo Test Component");
        component.Set("C:\\VigiloTest\\setup.exe /install");
        EXPECT_TRUE(Recorded("Vigilo Test Component"));
    }
    {
        SCOPED_TRACE("the command processor's AutoRun");
        autoRun.Set("C:\\VigiloTest\\autorun.exe /q");
        EXPECT_TRUE(Recorded("AutoRun: autorun.exe"));
    }
    {
        SCOPED_TRACE("the debugger replaced by another program");
        debugged.Set("C:\\VigiloTest\\monitor.exe");
        EXPECT_TRUE(Recorded("VigiloTestApp.exe: monitor.exe"));
    }
}
