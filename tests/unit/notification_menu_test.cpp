// A notification's "..." menu: the button beside the cross, named from the
// language file; the items each kind of window offers; what each item does;
// and the menu opened by a right click, which holds a timed window up and
// then gives it its time again.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/finding_reporters.h"
#include "core/language_texts.h"
#include "platform/message_loop.h"
#include "platform/text.h"
#include "support/notify_support.h"
#include "support/test_support.h"
#include "windows/junk_window.h"
#include "windows/notification_host.h"
#include "windows/startup_window.h"

namespace vigilo {
namespace {

// Each item of menu as its text, "(grey)" after a greyed one.
std::vector<std::string> Items(const UniqueMenu& menu) {
    std::vector<std::string> items;
    for (int i = 0; menu && i < GetMenuItemCount(menu.get()); ++i) {
        wchar_t text[128] = L"";
        GetMenuStringW(menu.get(), static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        const bool grey = GetMenuState(menu.get(), static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED;
        items.push_back(Utf8(text) + (grey ? " (grey)" : ""));
    }
    return items;
}

Finding StartupFinding(const std::string& name, const std::string& program) {
    Finding finding;
    finding.kind = FindingKind::Startup;
    finding.name = finding.storedName = name;
    finding.place = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    finding.program = program;
    return finding;
}

class NotificationMenu : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        ResetApplicationState();
        SetCursorPos(5, 5);
        NotificationWindow::MenuSeams() = {[this] { ++findingsOpened_; },
                                           [this](HWND, const std::string& file) { shownFiles_.push_back(file); }};
        AddUserActionReporter([this](const Finding& finding, UserAction action) {
            if (action == UserAction::Ignored) ignored_.push_back(finding.name);
        });
    }
    void TearDown() override {
        NotificationWindow::MenuSeams() = {};
        ClearFindingReporters();
        Language() = LanguageTexts();
    }
    std::unique_ptr<StartupWindow> ShownStartupWindow(const Finding& finding) {
        auto form = std::make_unique<StartupWindow>();
        form->ProgramName = finding.name;
        form->Shown = finding;
        form->OnUserActed = [this] { ++acted_; };
        form->ShowWithoutActivating();
        return form;
    }
    static std::vector<std::string> IgnoreLines() {
        return test::RegistryTexts(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "Ignore");
    }

    test::CleanSettings settings_;
    test::ProgramFolder folder_{true};
    int findingsOpened_ = 0;
    std::vector<std::string> shownFiles_;
    std::vector<std::string> ignored_;
    int acted_ = 0;
};

TEST_F(NotificationMenu, TheButtonLeftOfTheCrossIsAButtonNamedFromTheLanguageFile) {
    auto form = ShownStartupWindow(StartupFinding("Updater", "C:\\Updater\\updater.exe"));
    const HWND button = form->MoreOptionsButton->Handle();
    EXPECT_EQ(test::ClassName(button), "Button");
    EXPECT_EQ(test::WindowText(button), "More options");
    EXPECT_TRUE(IsWindowVisible(button));
    const RECT bounds = form->MoreOptionsButton->Bounds();
    EXPECT_EQ(std::vector<LONG>({bounds.left, bounds.top, bounds.right, bounds.bottom}),
              std::vector<LONG>({344, 0, 372, 22}));  // flush against the cross, as high

    test::TempFolder folder;
    folder.Write("German.ini", "[Monitor]\r\nMoreOptions=Weitere Optionen\r\nDontShowAgain=Nicht mehr zeigen\r\n");
    Language() = LanguageTexts(folder.File("German.ini"));
    JunkWindow german;
    EXPECT_EQ(test::WindowText(german.MoreOptionsButton->Handle()), "Weitere Optionen");
    EXPECT_EQ(Items(form->BuildMenu())[0], "Nicht mehr zeigen");
}

TEST_F(NotificationMenu, EachWindowOffersWhatItsFindingAllows) {
    EXPECT_EQ(Items(ShownStartupWindow(StartupFinding("Updater", "C:\\Updater\\updater.exe"))->BuildMenu()),
              std::vector<std::string>({"Don't show this again", "Open file location", "All findings\xE2\x80\xA6"}));
    // A program on another computer, and none at all: no folder to open.
    for (const char* program : {"\\\\server\\share\\updater.exe", ""})
        EXPECT_EQ(Items(ShownStartupWindow(StartupFinding("Updater", program))->BuildMenu())[1],
                  "Open file location (grey)") << program;
    // A name no rule can hold whole (a line end in it): nothing to ignore.
    EXPECT_EQ(Items(ShownStartupWindow(StartupFinding("Up\ndater", "C:\\Updater\\updater.exe"))->BuildMenu())[0],
              "Don't show this again (grey)");
    // The junk window has its own switch, the box.
    JunkWindow junk;
    junk.Shown.kind = FindingKind::Junk;
    junk.Shown.name = "150.00 MB";
    EXPECT_EQ(Items(junk.BuildMenu()),
              std::vector<std::string>({"Open file location (grey)", "All findings\xE2\x80\xA6"}));
    // Without a program to open the findings window, that item is grey too.
    NotificationWindow::MenuSeams().showAllFindings = nullptr;
    EXPECT_EQ(Items(junk.BuildMenu())[1], "All findings\xE2\x80\xA6 (grey)");
}

TEST_F(NotificationMenu, EachItemDoesWhatItSaysAndDontShowClosesTheWindow) {
    auto form = ShownStartupWindow(StartupFinding("Updater", "C:\\Updater\\updater.exe"));
    form->RunMenuItem(kOpenFileLocationItem);
    EXPECT_EQ(shownFiles_, std::vector<std::string>({"C:\\Updater\\updater.exe"}));
    form->RunMenuItem(kAllFindingsItem);
    EXPECT_EQ(findingsOpened_, 1);
    EXPECT_EQ(acted_, 2);
    EXPECT_TRUE(form->Visible());
    form->RunMenuItem(kDontShowAgainItem);
    const std::vector<std::string> lines = IgnoreLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "startup\t=Updater\t=C:\\Updater\\updater.exe"), lines.end());
    EXPECT_EQ(ignored_, std::vector<std::string>({"Updater"}));
    EXPECT_FALSE(form->Visible());

    // Fault: a finding that makes no rule. Nothing is written or told, and the window stays.
    auto unruly = ShownStartupWindow(StartupFinding("Up\ndater", "C:\\Updater\\updater.exe"));
    unruly->RunMenuItem(kDontShowAgainItem);
    EXPECT_EQ(IgnoreLines(), lines);
    EXPECT_EQ(ignored_.size(), 1u);
    EXPECT_TRUE(unruly->Visible());
}

TEST_F(NotificationMenu, ARightClickOpensTheMenuWhichHoldsATimedWindowUpAndThenGivesItItsTimeAgain) {
    const SharedEvent end = ShowNotification<StartupWindow>(
        [&](StartupWindow& form) {
            form.ProgramName = "Updater";
            form.Shown = StartupFinding("Updater", "C:\\Updater\\updater.exe");
            form.OnUserActed = &RestartNotificationTime;
        },
        NotificationLife::Timed, 1);
    ASSERT_TRUE(end);
    auto* form = static_cast<StartupWindow*>(CurrentNotification());
    const ULONGLONG shown = GetTickCount64();
    bool menuSeen = false, heldUp = false;
    ULONGLONG menuClosed = 0;
    // Up twice the window's time, then left with Esc.
    test::RepeatOnTimer user([&] {
        const HWND menu = FindWindowA("#32768", nullptr);
        if (!menu || !IsWindowVisible(menu)) return false;
        menuSeen = true;
        if (GetTickCount64() - shown < 2000) return false;
        heldUp = CurrentNotification() == form && form->Visible() && form->HeldByUser();
        menuClosed = GetTickCount64();
        EndMenu();
        return true;
    });
    PostMessageW(form->EntryNameLabel->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
    PostMessageW(form->EntryNameLabel->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(4, 4));
    ASSERT_TRUE(test::WaitUntil([&] { return user.Done(); }, 5000));
    EXPECT_TRUE(menuSeen);
    EXPECT_TRUE(heldUp);
    ASSERT_TRUE(test::WaitUntil([&] { return WaitForSingleObject(end.Handle(), 0) == WAIT_OBJECT_0; }, 5000));
    EXPECT_GE(GetTickCount64() - menuClosed, 900u) << "its second counted from the menu's close";
}

TEST_F(NotificationMenu, OpensOnARightClickAnywhereTheDragStripIncludedAndOnTheMenuKeyOrShiftF10) {
    auto form = ShownStartupWindow(StartupFinding("Updater", "C:\\Updater\\updater.exe"));
    int opened = 0;
    test::RepeatOnTimer user([&] {
        const HWND menu = FindWindowA("#32768", nullptr);
        if (menu && IsWindowVisible(menu)) {
            ++opened;
            EndMenu();
        }
        return false;
    });
    const auto opens = [&](const std::function<void()>& act) {
        const int before = opened;
        act();
        // Through the program's own loop, which takes the keys as a dialog does.
        return test::WaitUntil([&] { return ProcessMessages(), opened > before; }, 3000);
    };
    // A right click on a control: the test above.
    EXPECT_TRUE(opens([&] {
        RECT window;
        GetWindowRect(form->Handle(), &window);
        const LPARAM at = MAKELPARAM(window.left + 200, window.top + 10);
        ASSERT_EQ(SendMessageW(form->Handle(), WM_NCHITTEST, 0, at), HTCAPTION);
        PostMessageW(form->Handle(), WM_NCRBUTTONDOWN, HTCAPTION, at);
        PostMessageW(form->Handle(), WM_NCRBUTTONUP, HTCAPTION, at);
    })) << "the drag strip";
    SetForegroundWindow(form->Handle());
    ASSERT_TRUE(test::WaitUntil([&] { return GetFocus() == form->OptOutCheckBox->Handle(); }, 3000));
    EXPECT_TRUE(opens([] {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_APPS, 1);
        PostMessageW(GetFocus(), WM_KEYUP, VK_APPS, 0xC0000001);
    })) << "the menu key";
    EXPECT_TRUE(opens([] {
        // Typed, so that the system knows Shift is down.
        INPUT keys[4] = {};
        const WORD order[4] = {VK_SHIFT, VK_F10, VK_F10, VK_SHIFT};
        for (int i = 0; i < 4; ++i) {
            keys[i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = order[i];
            keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
        }
        SendInput(4, keys, sizeof(INPUT));
    })) << "Shift+F10";
    EXPECT_EQ(opened, 3) << "each once";
    EXPECT_TRUE(form->Visible());
}

}  // namespace
}  // namespace vigilo
