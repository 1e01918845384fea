// The findings window's row actions as a keyboard or mouse user and a
// screen reader meet them, with the system's answers given through the
// window's seams: Disable at start-up where the entry is there, Open file
// location only for a path the path rule accepts, Copy, Export of the rows
// shown, the context menu on Shift+F10, and a name for each list.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <memory>

#include "core/finding_reporters.h"
#include "core/language_texts.h"
#include "platform/clipboard.h"
#include "platform/message_loop.h"
#include "platform/monitor_thread.h"
#include "platform/text.h"
#include "support/list_view_support.h"
#include "support/test_support.h"
#include "support/tray_support.h"
#include "windows/findings_window.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string Line(int id, const std::string& kind, const std::string& name, const std::string& more) {
    return "{\"id\":" + std::to_string(id) + ",\"time\":\"2026-03-07T09:0" + std::to_string(id) +
           ":00Z\",\"kind\":\"" + kind + "\",\"event\":\"added\",\"name\":\"" + name + "\"" + more +
           ",\"window\":\"shown\"}\n";
}

std::string ItemText(HMENU menu, int position) {
    wchar_t text[256] = L"";
    GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    return Utf8(text);
}

class FindingsWindowActions : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        ResetApplicationState();
        InitMainThreadCalls();
        SetString(HKEY_CURRENT_USER, kRun, "Updater", "C:\\Tools\\updater.exe");
        folder_.Write("Findings.jsonl",
                      Line(1, "program", "Photo Editor", ",\"program\":\"C:\\\\Tools\\\\editor.exe\"") +
                          Line(2, "startup", "Updater",
                               ",\"program\":\"\\\\\\\\server\\\\share\\\\up.exe\",\"approved\":{\"root\":"
                               "\"HKEY_CURRENT_USER\",\"list\":\"Run\",\"value\":\"Updater\"}") +
                          Line(3, "startup", "Gone", ",\"approved\":{\"root\":\"HKEY_CURRENT_USER\",\"list\":\"Run\","
                                                     "\"value\":\"Gone\"}"));
        AddUserActionReporter([this](const Finding& finding, UserAction action) {
            actions_.push_back(finding.historyId * 10 + static_cast<int>(action));
        });
        FindingsWindowSeams seams{folder_.File("Findings.jsonl")};
        seams.approval = StartupApproval({[] { return FILETIME{1, 1}; }, [] { return true; },
                                          [](const StartupApprovedTarget&) { return true; }});
        seams.showInFolder = [this](HWND, const std::string& program) { shownInFolder_ = program; };
        seams.askWhereToSave = [this](HWND, const SaveFileQuestion&) { return std::optional(folder_.File("out.csv")); };
        ShowFindingsWindow(std::move(seams));
        window_ = FindingsWindowHandle();
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return FindChildByText(window_, "3 of 3 findings shown") != nullptr; }, 10000));
        list_ = VisibleChild(window_, "SysListView32");
    }
    void TearDown() override {
        CloseFindingsWindow();
        ClearFindingReporters();
        ResetApplicationState();
    }
    void Select(int row) const { RemoteListView(list_).Select(row); }
    HWND Button(const std::string& text) const { return VisibleChild(window_, "Button", text); }
    void Press(const std::string& text) const { SendMessageW(Button(text), BM_CLICK, 0, 0); }

    CleanSettings settings_;
    TempFolder folder_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    std::vector<long long> actions_;
    std::string shownInFolder_;
};

}  // namespace

TEST_F(FindingsWindowActions, EachRowOffersWhatCanBeDoneWithItAndTheButtonsDoIt) {
    // Newest first: Gone, Updater, Photo Editor.
    Select(1);
    ASSERT_NE(Button("&Disable at start-up"), nullptr);
    EXPECT_TRUE(IsWindowEnabled(Button("&Disable at start-up")));
    EXPECT_FALSE(IsWindowEnabled(Button("&Open file location"))) << "a path on another computer";
    Press("&Disable at start-up");
    DWORD type = 0, size = 0;
    EXPECT_TRUE(GetValueInfo(HKEY_CURRENT_USER,
                             "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run", "Updater",
                             type, size));
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(actions_, (std::vector<long long>{2 * 10 + static_cast<int>(UserAction::Disabled)}));
    EXPECT_NE(Button("&Enable again"), nullptr);

    Select(0);
    EXPECT_FALSE(IsWindowEnabled(Button("&Disable at start-up"))) << "its entry is gone";
    EXPECT_TRUE(IsWindowEnabled(Button("Do&n't show this again")));

    Select(2);
    EXPECT_TRUE(IsWindowEnabled(Button("&Open file location")));
    Press("&Open file location");
    EXPECT_EQ(shownInFolder_, "C:\\Tools\\editor.exe");
    Press("&Copy");
    const std::string copied = ClipboardText();
    EXPECT_EQ(copied.substr(copied.find('\t')), "\tNew program\tPhoto Editor\t\t\tC:\\Tools\\editor.exe");

    // Export saves the rows shown: the filter's one.
    SetWindowTextW(VisibleChild(window_, "Edit"), L"PHOTO");
    EXPECT_NE(FindChildByText(window_, "1 of 3 findings shown"), nullptr);
    Press("E&xport\xE2\x80\xA6");
    const std::string saved = ReadFile(folder_.File("out.csv"));
    EXPECT_TRUE(saved.starts_with("\xEF\xBB\xBFWhen,Kind,Name,Signed by,Where,Program\r\n")) << saved;
    EXPECT_TRUE(saved.ends_with(",New program,Photo Editor,,,C:\\Tools\\editor.exe\r\n")) << saved;
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 2);
}

// The keys as the program's message loop hands them to the window (IsDialogMessage).
TEST_F(FindingsWindowActions, TabMovesTheFocusAltWithAButtonsLetterPressesItAndEscCloses) {
    Select(2);
    SetFocus(list_);
    MSG tab{list_, WM_KEYDOWN, VK_TAB, 0};
    EXPECT_TRUE(IsDialogMessageW(window_, &tab));
    EXPECT_EQ(GetFocus(), Button("Do&n't show this again")) << "the greyed Disable button is passed over";
    MSG altN{GetFocus(), WM_SYSCHAR, 'n', 1 << 29};
    EXPECT_TRUE(IsDialogMessageW(window_, &altN));
    EXPECT_EQ(RegistryTexts(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "Ignore"),
              (std::vector<std::string>{"program\t=Photo Editor\t=C:\\Tools\\editor.exe"}));
    EXPECT_EQ(actions_, (std::vector<long long>{1 * 10 + static_cast<int>(UserAction::Ignored)}));
    MSG escape{GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0};
    EXPECT_TRUE(IsDialogMessageW(window_, &escape));
    EXPECT_FALSE(IsWindow(window_)) << "Esc closes it";
}

TEST_F(FindingsWindowActions, ShiftF10OpensTheRowsMenuAndAScreenReaderHearsTheListByName) {
    Select(2);
    std::vector<std::string> items;
    std::vector<bool> greyed;
    {
        WhenMenuTracked tracked([&](HWND menuWindow) {
            const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                items.push_back(ItemText(menu, i));
                const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
                if (!(state & MF_SEPARATOR)) greyed.push_back(state & MF_GRAYED);
            }
            EndMenu();
        });
        // What the list sends for Shift+F10 and the menu key: a menu at the focused row.
        SendMessageW(window_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list_), -1);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"&Disable at start-up", "Do&n't show this again", "&Open file location",
                                               "", "&Copy", "E&xport\xE2\x80\xA6"}));
    EXPECT_EQ(greyed, (std::vector<bool>{true, false, false, false, false}));

    // A system that hands a client no accessible object at all, not even its
    // own standard one for a label (a 64-bit Wine prefix without oleacc's
    // proxies), cannot show what a screen reader hears.
    IAccessible* label = nullptr;
    if (FAILED(AccessibleObjectFromWindow(VisibleChild(window_, "Static"), OBJID_CLIENT, IID_IAccessible,
                                          reinterpret_cast<void**>(&label))))
        GTEST_SKIP() << "no accessible objects reach a client on this system";
    label->Release();
    IAccessible* object = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(list_, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object)), S_OK);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    ASSERT_EQ(object->get_accName(self, &name), S_OK);
    EXPECT_EQ(Utf8(std::wstring(name, SysStringLen(name))), "Findings");
    SysFreeString(name);
    object->Release();
}
