// The new-program window NewProgramWindow and the notification frame under it:
// placement, texts, the drag band, topmost, the close cross, the link, the
// don't-show setting, the program icon and how it is shown until closed.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/language_texts.h"
#include "core/path_set.h"
#include "core/settings_store.h"
#include "platform/file_system.h"
#include "platform/message_loop.h"
#include "platform/unique_handle.h"
#include "support/notify_support.h"
#include "support/test_support.h"
#include "support/ui_support.h"
#include "windows/info_window.h"
#include "windows/new_program_window.h"
#include "windows/notification_host.h"
#include "windows/program_icon.h"

namespace vigilo {
namespace {
using test::Notifier;

RECT WindowRect(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
}
std::string Placement(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}
bool Topmost(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
// Whether upper lies above lower in the z-order.
bool Above(HWND upper, HWND lower) {
    for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == lower) return true;
    return false;
}
void Pump(DWORD ms) { test::WaitUntil([] { return false; }, ms); }

// A NewProgramWindow shown without activation (as the timed windows are), so it goes
// away at once afterwards.
class NewProgramWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        SetCursorPos(5, 5);  // away from where the window appears
        form_ = std::make_unique<NewProgramWindow>();
        form_->ProgramName = "FOO EDITOR";
        form_->Publisher = "FOO LTD";
        form_->ShowWithoutActivating();
    }
    void TearDown() override { form_.reset(); }

    HWND Window() const { return form_->Handle(); }
    Label& L(const char* name) const { return *test::FindLabel(*form_, name); }
    CheckBox& Box() const { return *form_->OptOutCheckBox; }
    HWND Control(const char* name) const {
        if (auto* label = test::FindLabel(*form_, name)) return label->Handle();
        if (auto* image = test::FindImage(*form_, name)) return image->Handle();
        if (form_->CloseButton->Name() == name) return form_->CloseButton->Handle();
        if (form_->MoreOptionsButton->Name() == name) return form_->MoreOptionsButton->Handle();
        return Box().Handle();
    }
    void ClickAndWaitForClose(const char* control) {
        test::PostClick(Control(control));
        EXPECT_TRUE(test::WaitUntil([&] { return !form_->Visible(); }, 10000)) << control;
    }

    test::CleanSettings settings_;
    test::ProgramFolder folder_{false};
    std::unique_ptr<NewProgramWindow> form_;
};

TEST_F(NewProgramWindowTest, SitsBottomRightBorderlessAndTopmost) {
    const RECT r = WindowRect(Window());
    EXPECT_EQ(1515, r.left);
    EXPECT_EQ(782, r.top);
    EXPECT_EQ(400, r.right - r.left);
    EXPECT_EQ(238, r.bottom - r.top);
    EXPECT_EQ("TForm2a", test::ClassName(Window()));
    EXPECT_EQ("New program notification", test::WindowText(Window()));
    const LONG style = GetWindowLongA(Window(), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(Topmost(Window()));
    EXPECT_EQ(nullptr, GetWindow(Window(), GW_OWNER));
    // Shown without taking activation from where the user was.
    EXPECT_NE(Window(), GetActiveWindow());
}

TEST_F(NewProgramWindowTest, ShowsTheProgramAndTheDefaultTexts) {
    EXPECT_EQ(Control("ProgramNameLabel"), test::FindChildByText(Window(), "FOO EDITOR"));
    EXPECT_EQ(Control("PublisherLabel"), test::FindChildByText(Window(), "FOO LTD"));
    EXPECT_EQ(Control("MessageLabel"), test::FindChildByText(Window(), "New installation detected."));
    EXPECT_EQ(Control("AdviceLabel"),
              test::FindChildByText(Window(), "For more information or to cleanly uninstall the program use"));
    EXPECT_EQ("Purgeon", L("TitleLabel").Text());
    EXPECT_EQ("Purgeon", L("LaunchLink").Text());
    EXPECT_EQ("Don't show new program notifications", L("OptOutLabel").Text());
    // The box is named by its text for screen readers.
    EXPECT_EQ("Don't show new program notifications", test::WindowText(Box().Handle()));
    EXPECT_FALSE(Box().Checked());
    // Sized to its picture.
    EXPECT_EQ("104,48 29x30", Placement(test::FindImage(*form_, "ActionImage")->Bounds()));
    // Labels sized to their texts keep their heights.
    EXPECT_EQ(20, L("ProgramNameLabel").Bounds().bottom - L("ProgramNameLabel").Bounds().top);
    EXPECT_EQ(17, L("PublisherLabel").Bounds().bottom - L("PublisherLabel").Bounds().top);
}

TEST_F(NewProgramWindowTest, EmptyPublisherLeavesItsLabelEmptyAndTheLayoutInPlace) {
    form_->Close();
    form_->Publisher = "";
    form_->ShowWithoutActivating();
    EXPECT_EQ("", L("PublisherLabel").Text());
    EXPECT_EQ(72, L("PublisherLabel").Bounds().left);
    EXPECT_EQ(144, L("AdviceLabel").Bounds().top);
}

TEST_F(NewProgramWindowTest, ControlsStackInDesignOrder) {
    const char* bottomToTop[] = {"BackgroundImage",    "TitleLabel", "ActionImage", "MessageLabel",      "MoreFoundLabel",
                                 "PrgImage",    "ProgramNameLabel",     "PublisherLabel",     "SignerLabel", "AdviceLabel",
                                 "LaunchLink",     "OptOutLabel", "CloseButton", "MoreOptionsButton", "OptOutCheckBox"};
    HWND expected = GetWindow(Window(), GW_CHILD);  // topmost child
    for (int i = 14; i >= 0; --i) {
        EXPECT_EQ(Control(bottomToTop[i]), expected) << bottomToTop[i];
        expected = GetWindow(expected, GW_HWNDNEXT);
    }
}

TEST_F(NewProgramWindowTest, LongNameRunsPastTheRightEdgeUnwrapped) {
    const std::string name(120, 'W');
    form_->ProgramName = name;
    form_->ShowWithoutActivating();
    const RECT r = L("ProgramNameLabel").Bounds();
    EXPECT_EQ(72, r.left);
    EXPECT_EQ(20, r.bottom - r.top);
    EXPECT_GT(r.right, 400);
    EXPECT_EQ(name, test::WindowText(Control("ProgramNameLabel")));
    // Cut at the window's edge: the window keeps its size.
    const RECT w = WindowRect(Window());
    EXPECT_EQ(400, w.right - w.left);
}

TEST_F(NewProgramWindowTest, BandAboveLabel1LeftOfTheCrossDrags) {
    const RECT w = WindowRect(Window());
    auto hit = [&](HWND target, int x, int y) {
        return SendMessageA(target, WM_NCHITTEST, 0, MAKELPARAM(w.left + x, w.top + y));
    };
    EXPECT_EQ(HTCAPTION, hit(Window(), 0, 0));
    EXPECT_EQ(HTCAPTION, hit(Window(), 338, 10));  // 5 left of the "..." button
    EXPECT_NE(HTCAPTION, hit(Window(), 339, 10));
    EXPECT_EQ(HTCAPTION, hit(Window(), 10, 53));
    EXPECT_NE(HTCAPTION, hit(Window(), 10, 54));
    // Over a control in the band the press goes through to the window.
    EXPECT_EQ(HTTRANSPARENT, hit(Control("TitleLabel"), 20, 15));
    EXPECT_EQ(HTTRANSPARENT, hit(Control("ActionImage"), 110, 50));
    EXPECT_EQ(HTCLIENT, hit(Control("CloseButton"), 380, 10));
    EXPECT_EQ(HTCLIENT, hit(Control("MessageLabel"), 150, 60));
}

// The user switched the notifications off in Purgeon while the window was
// up; closing it with the box unticked must not switch them on again.
TEST_F(NewProgramWindowTest, CloseCrossLeavesTheSettingAsItIsWhenTheBoxIsUnticked) {
    WriteBool(kSettingsRoot, kSettingsKey, "NewAppNotifier", false);
    ClickAndWaitForClose("CloseButton");
    EXPECT_EQ("false", Notifier("NewAppNotifier"));
}

TEST_F(NewProgramWindowTest, CloseCrossWritesFalseWhenTheBoxIsTicked) {
    Box().SetChecked(true);  // a click on the box would activate the window: Wine's stall on closing
    ClickAndWaitForClose("CloseButton");
    EXPECT_EQ("false", Notifier("NewAppNotifier"));
}

TEST_F(NewProgramWindowTest, ClickOnTheBoxTextDoesNotTickTheBox) {
    test::PostClick(Control("OptOutLabel"));
    Pump(100);
    EXPECT_FALSE(Box().Checked());
    EXPECT_TRUE(form_->Visible());
}

TEST_F(NewProgramWindowTest, DestroyedWithoutClosingWritesNothing) {
    Box().SetChecked(true);
    form_.reset();
    EXPECT_EQ("missing", Notifier("NewAppNotifier"));
}

TEST_F(NewProgramWindowTest, LinkWithPurgeonMissingShowsTheInformationWindowThenCloses) {
    ResetApplicationState();
    test::InformationAnswer answer;
    ClickAndWaitForClose("LaunchLink");
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ("File Purgeon.exe not found!", answer.Message());
    EXPECT_EQ(nullptr, FindWindowA("TForm3", "Information"));
    EXPECT_EQ("missing", Notifier("NewAppNotifier"));  // the box was unticked
    EXPECT_TRUE(IsWindowEnabled(Window()));
}

TEST_F(NewProgramWindowTest, StaysAboveAWindowThatBecomesActive) {
    // Activation and then deactivation each put the window back among the topmost ones.
    SetForegroundWindow(Window());
    ASSERT_TRUE(test::WaitUntil([&] { return GetActiveWindow() == Window(); }, 3000));
    EXPECT_TRUE(Topmost(Window()));
    SetWindowPos(Window(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_FALSE(Topmost(Window()));

    InfoWindow other;
    ASSERT_TRUE(other.Create());
    other.Show(true);
    ASSERT_TRUE(test::WaitUntil([&] { return GetActiveWindow() == other.Handle(); }, 3000));
    EXPECT_TRUE(Topmost(Window()));
    EXPECT_TRUE(Above(Window(), other.Handle()));
    const RECT r = WindowRect(Window());
    EXPECT_EQ(1515, r.left);
    EXPECT_EQ(782, r.top);
}

TEST(NewProgramWindowTexts, ComeFromTheLanguageFile) {
    test::TempFolder folder;
    folder.Write("French.ini",
                 "[Monitor]\r\nNewAppMessage1=Nouvelle installation.\r\nNewAppMessage2=Pour en savoir plus, "
                 "utilisez\r\nNewAppMessage3=Ne plus afficher\r\n");
    Language() = LanguageTexts(folder.File("French.ini"));
    {
        NewProgramWindow form;
        EXPECT_EQ("Nouvelle installation.", test::FindLabel(form, "MessageLabel")->Text());
        EXPECT_EQ("Pour en savoir plus, utilisez", test::FindLabel(form, "AdviceLabel")->Text());
        EXPECT_EQ("Ne plus afficher", test::FindLabel(form, "OptOutLabel")->Text());
        // Design texts, not translated.
        EXPECT_EQ("Purgeon", test::FindLabel(form, "LaunchLink")->Text());
        EXPECT_EQ("Purgeon", test::FindLabel(form, "TitleLabel")->Text());
        EXPECT_FALSE(form.Visible());
    }
    Language() = LanguageTexts();
}

// The show as the hand-off runs it: up until the user closes it, with no
// loop of its own.
class NewProgramWindowShown : public ::testing::Test {
protected:
    void SetUp() override {
        ResetApplicationState();
        SetCursorPos(5, 5);
    }
    void TearDown() override {
        EndNotification();
        ResetApplicationState();
    }
    SharedEvent Show(bool ticked = false) {
        return ShowNotification<NewProgramWindow>(
            [&](NewProgramWindow& form) {
                form.ProgramName = "FOO EDITOR";
                form.OptOutCheckBox->SetChecked(ticked);
            },
            NotificationLife::UntilClosed);
    }
    static bool Ended(const SharedEvent& end) {
        return test::WaitUntil([&] { return WaitForSingleObject(end.Handle(), 0) == WAIT_OBJECT_0; }, 10000);
    }
    static NewProgramWindow& Shown() { return static_cast<NewProgramWindow&>(*CurrentNotification()); }
    test::CleanSettings settings_;
};

// Windows may refuse a background process the activation; the window must
// not need it to stay above the installer.
bool g_topmostWhenShown = false;
LRESULT CALLBACK RecordTopmostWhenShown(int code, WPARAM wp, LPARAM lp) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && call->message == WM_SHOWWINDOW && call->wParam && test::ClassName(call->hwnd) == "TForm2a")
        g_topmostWhenShown = Topmost(call->hwnd);
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(NewProgramWindowShown, IsTopmostBeforeAnyActivationAndStaysUntilClosed) {
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordTopmostWhenShown, nullptr, GetCurrentThreadId());
    const SharedEvent end = Show();
    UnhookWindowsHookEx(hook);
    ASSERT_TRUE(end);
    EXPECT_TRUE(g_topmostWhenShown);
    EXPECT_EQ("1515,782 400x238", Placement(WindowRect(Shown().Handle())));
    EXPECT_FALSE(Show()) << "a second window while one is up";
    Pump(500);
    EXPECT_NE(WaitForSingleObject(end.Handle(), 0), DWORD(WAIT_OBJECT_0));
    const HWND window = Shown().Handle();
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Ended(end));
    EXPECT_FALSE(NotificationBusy());
    EXPECT_TRUE(test::WaitUntil([&] { return !IsWindow(window); }, 5000));
}

TEST_F(NewProgramWindowShown, LinkStartsPurgeonWithoutParametersAndEndsTheWindow) {
    test::ProgramFolder folder(true);
    const SharedEvent end = Show(true);
    test::PostClick(test::FindLabel(Shown(), "LaunchLink")->Handle());
    EXPECT_TRUE(Ended(end));
    ASSERT_TRUE(folder.WaitForPurgeonCalls(1));
    EXPECT_EQ(std::vector<std::string>{""}, folder.PurgeonCalls());
    EXPECT_EQ("false", Notifier("NewAppNotifier"));
}

TEST_F(NewProgramWindowShown, ShutdownEndsItWithoutWriting) {
    const SharedEvent end = Show(true);
    EndNotification();
    EXPECT_TRUE(Ended(end));
    EXPECT_FALSE(NotificationBusy());
    EXPECT_EQ(nullptr, FindWindowA("TForm2a", nullptr));
    EXPECT_EQ("missing", Notifier("NewAppNotifier"));
}

TEST_F(NewProgramWindowShown, ShutdownDuringTheInformationWindowWritesNothing) {
    test::ProgramFolder folder(false);
    const SharedEvent end = Show();
    HWND form = Shown().Handle();
    test::RepeatOnTimer shutdown([&] {
        HWND info = FindWindowA("TForm3", "Information");
        if (!info || !IsWindowVisible(info)) return false;
        EXPECT_FALSE(IsWindowEnabled(form));  // no second launch beneath it
        TerminateApplication();
        return true;
    });
    test::PostClick(test::FindLabel(Shown(), "LaunchLink")->Handle());
    EXPECT_TRUE(test::WaitUntil([&] { return shutdown.Done(); }, 10000));
    DestroyInformationWindow();  // as the program's end does
    EndNotification();
    EXPECT_EQ("missing", Notifier("NewAppNotifier"));
}

// The program icon rule.
class ProgramIcon : public ::testing::Test {
protected:
    std::string Msiexec() const { return Paths().systemFolder + "msiexec.exe"; }
    static std::string OwnExe() {
        char exe[MAX_PATH];
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        return exe;
    }
    test::ProgramFolder folder_{false};
};

TEST_F(ProgramIcon, FallsBackToMsiexecUnlessTheFileExists) {
    ASSERT_FALSE(Paths().systemFolder.empty());
    EXPECT_EQ(Msiexec(), ProgramIconFile(""));
    EXPECT_EQ(OwnExe(), ProgramIconFile(OwnExe()));
    // A file name with an icon index names no file.
    EXPECT_EQ(Msiexec(), ProgramIconFile("C:\\Dir\\App.exe,0"));
    EXPECT_EQ(Msiexec(), ProgramIconFile(OwnExe() + ",0"));
    // A folder is no file.
    EXPECT_EQ(Msiexec(), ProgramIconFile(folder_.Path()));
}

TEST_F(ProgramIcon, IsShownForEveryKindOfIconPath) {
    ASSERT_TRUE(FileExists(Msiexec()));
    for (const std::string& path : {std::string(), OwnExe(), std::string("C:\\Dir\\App.exe,0")}) {
        NewProgramWindow form;
        form.IconPath = path;
        form.ShowWithoutActivating();
        const Picture& icon = test::FindImage(form, "PrgImage")->GetPicture();
        EXPECT_FALSE(icon.Empty()) << path;
        EXPECT_EQ(32, icon.Size().cx) << path;
    }
}

TEST_F(ProgramIcon, FileWithoutIconsLeavesTheImageEmpty) {
    const long icons = LiveHandleCount(HandleKind::Icon);
    test::WriteFile(folder_.Path() + "\\readme.txt", "no icons here");
    {
        NewProgramWindow form;
        form.IconPath = folder_.Path() + "\\readme.txt";
        form.ShowWithoutActivating();
        EXPECT_TRUE(test::FindImage(form, "PrgImage")->GetPicture().Empty());
    }
    EXPECT_EQ(icons, LiveHandleCount(HandleKind::Icon));
}

TEST(NewProgramWindowLife, TwentyRoundsLeaveNothingBehind) {
    test::CleanSettings settings;
    test::ProgramFolder folder(false);
    const HandleKind kinds[] = {HandleKind::Window, HandleKind::GdiObject, HandleKind::Icon, HandleKind::Dc};
    long before[4];
    for (int k = 0; k < 4; ++k) before[k] = LiveHandleCount(kinds[k]);
    for (int i = 0; i < 20; ++i) {
        NewProgramWindow form;
        form.ProgramName = "FOO EDITOR";
        form.Publisher = "FOO LTD";
        form.ShowWithoutActivating();
        RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (i % 2) form.Close();
    }
    for (int k = 0; k < 4; ++k) EXPECT_EQ(before[k], LiveHandleCount(kinds[k])) << "kind " << k;
    EXPECT_EQ(nullptr, FindWindowA("TForm2a", nullptr));
}

}  // namespace
}  // namespace vigilo
