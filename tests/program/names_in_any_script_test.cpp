// Names in any script from end to end: what Windows keeps in UTF-16 (a Run
// value's name, a shortcut's file name, an uninstall entry's key and
// DisplayName) reaches the window whole, as a screen reader reads it, even
// where the system code page has none of its characters.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "platform/shell.h"
#include "platform/text.h"
#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

// Characters code page 1252 lacks: a snowman, Chinese, Japanese, and Polish letters.
const std::string kSnowman = "\xE2\x98\x83";
const std::string kChinese = "\xE4\xB8\xAD\xE6\x96\x87";
constexpr POINT kCloseCross{385, 10};

class NamesInAnyScript : public NotificationProgram {
protected:
    NamesInAnyScript() : NotificationProgram("TForm2c", "StartupNotifier") {}
    void TearDown() override {
        vigilo_.reset();
        DeleteFileW(Utf16(shortcut_).c_str());
    }
    // Waits for the visible window of windowClass holding a label that reads name.
    HWND ExpectShownNaming(const char* windowClass, const std::string& name, DWORD timeoutMs) {
        HWND shown = nullptr;
        WaitUntil(
            [&] {
                HWND form = VisibleWindowOf(Pid(), windowClass);
                if (form && FindChildByText(form, name)) shown = form;
                return shown != nullptr;
            },
            timeoutMs);
        EXPECT_NE(shown, nullptr) << windowClass << " naming " << name;
        return shown;
    }
    // Closes a timed window and waits until its time is over, so the next may show.
    void CloseAndWaitOut(HWND form) {
        Click(form, kCloseCross);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 25000));
    }

    UnmanagedVigiloWindows unmanaged_;
    UninstallKeys uninstallKeys_;
    RunKeys runKeys_;
    std::string shortcut_;
};

}  // namespace

TEST_F(NamesInAnyScript, RunValueShortcutAndProgramAreShownWithEveryCharacter) {
    // The Startup folder is watched only if it exists when Vigilo starts.
    shortcut_ = ShellFolderPath(CSIDL_STARTUP | CSIDL_FLAG_CREATE) + "\\VigiloTest Updater" + kSnowman + ".lnk";
    StartVigilo();

    // Upper-cased from a to z only: "CAFé ŁóDź 日本 TOOL".
    RegisterProgram(kMachineUninstall, "VigiloTest " + kSnowman + kChinese,
                    "Caf\xC3\xA9 \xC5\x81\xC3\xB3" "d\xC5\xBA \xE6\x97\xA5\xE6\x9C\xAC Tool");
    if (HWND form = ExpectShownNaming("TForm2a", "CAF\xC3\xA9 \xC5\x81\xC3\xB3" "D\xC5\xBA \xE6\x97\xA5\xE6\x9C\xAC TOOL",
                                      12000)) {
        Click(form, kCloseCross);
        EXPECT_TRUE(Gone(form));
    }

    const std::string runValue = "Acc" + kSnowman + kChinese + "Updater";
    ASSERT_TRUE(AddStartupEntry(kUserRun, runValue));
    if (HWND form = ExpectShownNaming("TForm2c", runValue, 5000)) CloseAndWaitOut(form);

    // A shortcut whose name the code page cannot spell must still be opened and reported.
    WriteFile(shortcut_, "L");
    ExpectShownNaming("TForm2c", "VigiloTest Updater" + kSnowman, 12000);
}
