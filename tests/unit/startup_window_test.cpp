// The startup window StartupWindow: placement, the entry's name and texts, the
// installer's icon, the drag band, and the link that starts Purgeon with
// " /STARTUP" and writes StartupNotifier.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/language_texts.h"
#include "core/path_set.h"
#include "core/setting_names.h"
#include "core/settings_store.h"
#include "platform/message_loop.h"
#include "support/notify_support.h"
#include "support/test_support.h"
#include "support/ui_support.h"
#include "windows/notification_host.h"
#include "windows/program_icon.h"
#include "windows/startup_window.h"

namespace vigilo {
namespace {
using test::Notifier;

std::string Placement(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

// A StartupWindow shown as its timed hand-off shows it.
class StartupWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        ResetApplicationState();
        SetCursorPos(5, 5);  // away from where the window appears
        form_ = std::make_unique<StartupWindow>();
        form_->ProgramName = "Updater";
        form_->ShowWithoutActivating();
    }
    void TearDown() override { form_.reset(); }

    HWND Window() const { return form_->Handle(); }

    test::CleanSettings settings_;
    test::ProgramFolder folder_{true};
    std::unique_ptr<StartupWindow> form_;
};

TEST_F(StartupWindowTest, SitsBottomRightTopmostWithoutTakingActivation) {
    RECT r;
    GetWindowRect(Window(), &r);
    EXPECT_EQ("1515,782 400x238", Placement(r));
    EXPECT_EQ("TForm2c", test::ClassName(Window()));
    EXPECT_EQ("Startup notification", test::WindowText(Window()));
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_TRUE(GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(Window(), GetActiveWindow());
}

TEST_F(StartupWindowTest, NamesTheEntryInItsOwnCaseAboveTheDefaultTexts) {
    EXPECT_EQ(form_->EntryNameLabel->Handle(), test::FindChildByText(Window(), "Updater"));
    EXPECT_EQ("just added itself to your Windows startup.", form_->MessageLabel->Text());
    EXPECT_EQ("Not sure you need this program starting automatically every time you start Windows?",
              form_->AdviceLabel->Text());
    EXPECT_EQ("Check with Purgeon", form_->LaunchLink->Text());
    EXPECT_EQ("Don't show startup notifications", form_->OptOutLabel->Text());
    EXPECT_EQ("Purgeon", form_->TitleLabel->Text());
    EXPECT_FALSE(form_->OptOutCheckBox->Checked());
    EXPECT_EQ("80,48", Placement(form_->EntryNameLabel->Bounds()).substr(0, 5));
    EXPECT_EQ("80,68", Placement(form_->MessageLabel->Bounds()).substr(0, 5));
    EXPECT_EQ("16,126 361x34", Placement(form_->AdviceLabel->Bounds()));
    EXPECT_EQ("104,164", Placement(form_->LaunchLink->Bounds()).substr(0, 7));
    EXPECT_EQ("24,50 32x32", Placement(form_->PrgImage->Bounds()));

    // A long name runs past the right edge on one line.
    form_->ProgramName = std::string(120, 'W') + " mixed Case";
    form_->ShowWithoutActivating();
    EXPECT_EQ(form_->ProgramName, form_->EntryNameLabel->Text());
    EXPECT_GT(form_->EntryNameLabel->Bounds().right, 400);
    EXPECT_EQ(20, form_->EntryNameLabel->Bounds().bottom - form_->EntryNameLabel->Bounds().top);
}

TEST_F(StartupWindowTest, ShowsTheFirstIconOfMsiexec) {
    const Picture& icon = form_->PrgImage->GetPicture();
    ASSERT_FALSE(icon.Empty());
    EXPECT_EQ(32, icon.Size().cx);
    // The same pixels as msiexec.exe's first icon drawn directly.
    ASSERT_EQ(Paths().systemFolder + "msiexec.exe", ProgramIconFile(""));
    test::Pixels shown = test::PaintOf(form_->PrgImage->Handle());
    Picture expected = Picture::FromIcon(FirstIcon(ProgramIconFile(""), 32), 32);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ old = SelectObject(dc, bitmap);
    form_->PaintBackground(dc);
    expected.Draw(dc, 0, 0);
    int differing = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) differing += GetPixel(dc, x, y) != shown.At(x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(0, differing);
}

TEST_F(StartupWindowTest, BandAboveLabel1LeftOfTheCrossDrags) {
    RECT w;
    GetWindowRect(Window(), &w);
    auto hit = [&](int x, int y) { return SendMessageA(Window(), WM_NCHITTEST, 0, MAKELPARAM(w.left + x, w.top + y)); };
    EXPECT_EQ(HTCAPTION, hit(338, 10));  // 5 left of the "..." button
    EXPECT_NE(HTCAPTION, hit(339, 10));
    EXPECT_EQ(HTCAPTION, hit(10, 47));
    EXPECT_NE(HTCAPTION, hit(10, 48));
}

TEST_F(StartupWindowTest, LinkStartsPurgeonWithStartupWritesTheSettingAndHides) {
    form_->OptOutCheckBox->SetChecked(true);
    test::PostClick(form_->LaunchLink->Handle());
    ASSERT_TRUE(test::WaitUntil([&] { return !form_->Visible(); }, 10000));
    ASSERT_TRUE(folder_.WaitForPurgeonCalls(1));
    EXPECT_EQ(std::vector<std::string>{"  /STARTUP"}, folder_.PurgeonCalls());
    EXPECT_EQ("false", Notifier("StartupNotifier"));
    EXPECT_TRUE(IsWindow(Window()));  // hidden, kept until its caller destroys it
}

// Purgeon may switch the notifications on again while a closed window waits
// out its time; a second close must not switch them off again.
TEST_F(StartupWindowTest, WritesItsSettingOnceAlthoughClosedTwice) {
    form_->OptOutCheckBox->SetChecked(true);
    test::PostClick(form_->CloseButton->Handle());
    ASSERT_TRUE(test::WaitUntil([&] { return !form_->Visible(); }, 10000));
    EXPECT_EQ("false", Notifier(settings::kStartupNotifier));
    WriteBool(kSettingsRoot, kSettingsKey, settings::kStartupNotifier, true);
    SendMessageA(Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ("true", Notifier(settings::kStartupNotifier));
}

// When each posted message was taken from the main thread's queue.
constexpr UINT kProbe = WM_APP + 7;
std::vector<ULONGLONG> g_probesHandled;
LRESULT CALLBACK RecordProbe(int code, WPARAM wp, LPARAM lp) {
    const MSG* msg = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && msg->message == kProbe) g_probesHandled.push_back(GetTickCount64());
    return CallNextHookEx(nullptr, code, wp, lp);
}

// The main thread waits out a timed window handling each message as it
// arrives, and still keeps the window for its time.
TEST(TimedStartupWindow, HandlesEachPostedMessageWithinFiftyMillisecondsAndGoesAfterItsTime) {
    test::CleanSettings settings;
    test::ProgramFolder folder(false);
    SetCursorPos(5, 5);
    g_probesHandled.clear();
    std::vector<ULONGLONG> posted;
    std::thread poster([&] {
        HWND window = nullptr;
        if (!test::WaitUntil([&] { return (window = FindWindowA("TForm2c", nullptr)) && IsWindowVisible(window); },
                             5000))
            return;
        for (DWORD pause : {130, 370, 260, 90, 410}) {
            Sleep(pause);  // moments spread over the half-second steps
            posted.push_back(GetTickCount64());
            PostMessageA(window, kProbe, 0, 0);
        }
    });
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, RecordProbe, nullptr, GetCurrentThreadId());
    const ULONGLONG start = GetTickCount64();
    const SharedEvent end = ShowNotification<StartupWindow>(
        [](StartupWindow& form) {
            form.ProgramName = "Updater";
            form.OptOutCheckBox->SetChecked(true);
        },
        NotificationLife::Timed, 2);
    ASSERT_TRUE(end);
    ASSERT_TRUE(test::WaitUntil([&] { return WaitForSingleObject(end.Handle(), 0) == WAIT_OBJECT_0; }, 5000));
    const ULONGLONG shownFor = GetTickCount64() - start;
    UnhookWindowsHookEx(hook);
    poster.join();

    ASSERT_EQ(5u, posted.size());
    ASSERT_EQ(5u, g_probesHandled.size());
    for (size_t i = 0; i < posted.size(); ++i) EXPECT_LT(g_probesHandled[i] - posted[i], 50u) << "message " << i;
    EXPECT_GE(shownFor, 2000u);
    EXPECT_LE(shownFor, 2550u);
    // Left alone, it went without writing anything, whatever its box showed.
    EXPECT_EQ(nullptr, FindWindowA("TForm2c", nullptr));
    EXPECT_EQ("missing", Notifier(settings::kStartupNotifier));
}

TEST(StartupWindowTexts, ComeFromTheLanguageFile) {
    test::TempFolder folder;
    folder.Write("German.ini",
                 "[Monitor]\r\nStartupMessage1=hat sich in den Autostart eingetragen.\r\nStartupMessage2=Wirklich "
                 "bei jedem Start?\r\nStartupMessage3=Mit Purgeon pruefen\r\nStartupMessage4=Nicht mehr zeigen\r\n");
    Language() = LanguageTexts(folder.File("German.ini"));
    {
        StartupWindow form;
        EXPECT_EQ("hat sich in den Autostart eingetragen.", form.MessageLabel->Text());
        EXPECT_EQ("Wirklich bei jedem Start?", form.AdviceLabel->Text());
        EXPECT_EQ("Mit Purgeon pruefen", form.LaunchLink->Text());
        EXPECT_EQ("Nicht mehr zeigen", form.OptOutLabel->Text());
        EXPECT_EQ("Purgeon", form.TitleLabel->Text());
        EXPECT_FALSE(form.Visible());
    }
    Language() = LanguageTexts();
}

// An entry whose program was replaced: the same window, another second line.
TEST(StartupWindowTexts, AChangedEntrySaysItChangedWhatItStartsInItsLanguage) {
    const auto shownLine = [](bool changed) {
        StartupWindow form;
        form.ProgramName = "Updater";
        form.EntryChanged = changed;
        form.ShowWithoutActivating();
        return form.MessageLabel->Text();
    };
    Language() = LanguageTexts();
    EXPECT_EQ("changed what it starts with Windows.", shownLine(true));
    EXPECT_EQ("just added itself to your Windows startup.", shownLine(false));
    test::TempFolder folder;
    folder.Write("German.ini", "[Monitor]\r\nStartupChangedMessage=startet jetzt etwas anderes mit Windows.\r\n");
    Language() = LanguageTexts(folder.File("German.ini"));
    EXPECT_EQ("startet jetzt etwas anderes mit Windows.", shownLine(true));
    Language() = LanguageTexts();
}

}  // namespace
}  // namespace vigilo
