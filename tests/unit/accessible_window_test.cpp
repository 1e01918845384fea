// What a screen reader meets in a notification window: an alert, raised once
// the window is visible, named by its title and content lines; a close
// button named "Close"; and, once the user is in the window, Tab through the
// box, the "..." button, the cross and the link, Enter on them, and Esc.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

#include "core/language_texts.h"
#include "platform/message_loop.h"
#include "platform/text.h"
#include "support/notify_support.h"
#include "support/test_support.h"
#include "windows/new_program_window.h"

namespace vigilo {
namespace {

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
using AccessibleRef = std::unique_ptr<IAccessible, ComRelease>;

// What a screen reader asks for: the window's client-area object (WM_GETOBJECT, OBJID_CLIENT).
AccessibleRef ClientObjectOf(HWND window) {
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object));
    return AccessibleRef(object);
}

VARIANT Self() {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

LONG RoleOf(IAccessible& object) {
    VARIANT role{};
    if (FAILED(object.get_accRole(Self(), &role)) || role.vt != VT_I4) return -1;
    return role.lVal;
}

std::string NameOf(IAccessible& object) {
    BSTR name = nullptr;
    if (FAILED(object.get_accName(Self(), &name)) || !name) return "(none)";
    std::string text = Utf8(std::wstring(name, SysStringLen(name)));
    SysFreeString(name);
    return text;
}

class AccessibleWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        ResetApplicationState();
        SetCursorPos(5, 5);
        form_ = std::make_unique<NewProgramWindow>();
        form_->ProgramName = "FOO EDITOR";
        form_->Publisher = "FOO LTD";
    }
    void TearDown() override {
        form_.reset();
        Language() = LanguageTexts();
    }
    HWND Window() const { return form_->Handle(); }
    // The user clicks into the window: it becomes active and the box takes the focus.
    void Enter() {
        SetForegroundWindow(Window());
        ASSERT_TRUE(test::WaitUntil([&] { return GetFocus() == form_->OptOutCheckBox->Handle(); }, 3000));
    }
    // A key pressed where the focus is, handled by the program's message loop.
    static void Press(WPARAM key) {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
        ProcessMessages();
    }

    test::CleanSettings settings_;
    test::ProgramFolder folder_{true};
    std::unique_ptr<NewProgramWindow> form_;
};

TEST_F(AccessibleWindow, IsAnAlertNamedByItsTitleThenItsContentLinesTopToBottom) {
    // 64-bit Wine 8 hands a 64-bit screen reader no object of another window's (seen, not yet understood).
    if (sizeof(void*) == 8) GTEST_SKIP() << "the 64-bit test build";
    form_->ShowWithoutActivating();
    AccessibleRef object = ClientObjectOf(Window());
    ASSERT_TRUE(object);
    EXPECT_EQ(RoleOf(*object), ROLE_SYSTEM_ALERT);
    // Neither the link "Purgeon" nor the box's text.
    EXPECT_EQ(NameOf(*object),
              "Purgeon\nNew installation detected.\nFOO EDITOR\nFOO LTD\n"
              "For more information or to cleanly uninstall the program use");
    // Where it is comes from the system's own object for the window.
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(object->accLocation(&left, &top, &width, &height, Self()), S_OK);
    EXPECT_EQ(std::vector<LONG>({left, top, width, height}), std::vector<LONG>({1515, 782, 400, 238}));
    // Other objects of the window are the system's.
    EXPECT_EQ(SendMessageW(Window(), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_WINDOW)), 0);
    // An empty line is left out; the object, asked again, outlives its window.
    form_->Close();
    form_->Publisher = "";
    form_->ShowWithoutActivating();
    object = ClientObjectOf(Window());
    form_.reset();
    EXPECT_EQ(NameOf(*object),
              "Purgeon\nNew installation detected.\nFOO EDITOR\n"
              "For more information or to cleanly uninstall the program use");
}

std::vector<HWND> g_alerts;  // of this process's alert events
bool g_visibleAtAlert = false;
void CALLBACK RecordAlert(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (event != EVENT_SYSTEM_ALERT || object != OBJID_CLIENT || child != CHILDID_SELF) return;
    g_alerts.push_back(window);
    g_visibleAtAlert = IsWindowVisible(window) != FALSE;
}

TEST_F(AccessibleWindow, RaisesTheAlertEventOnceVisibleAndTakesNoFocus) {
    g_alerts.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, &RecordAlert, 0, 0,
                                         WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    form_->ShowWithoutActivating();
    EXPECT_TRUE(test::WaitUntil([] { return !g_alerts.empty(); }, 2000));
    UnhookWinEvent(hook);
    ASSERT_EQ(g_alerts.size(), 1u);
    EXPECT_EQ(g_alerts[0], Window());
    EXPECT_TRUE(g_visibleAtAlert);
    EXPECT_NE(GetActiveWindow(), Window());
    EXPECT_FALSE(IsChild(Window(), GetFocus()));
}

TEST_F(AccessibleWindow, TheCloseCrossIsAButtonNamedFromTheLanguageFile) {
    if (sizeof(void*) == 8) GTEST_SKIP() << "the 64-bit test build";
    test::TempFolder folder;
    folder.Write("German.ini", "[Buttons]\r\nClose=Schlie\xDF" "en\r\n");
    form_->ShowWithoutActivating();
    HWND cross = form_->CloseButton->Handle();
    char className[16] = "";
    RealGetWindowClassA(cross, className, sizeof(className));
    EXPECT_STREQ(className, "Button");
    EXPECT_EQ(test::WindowText(cross), "Close");
    AccessibleRef object = ClientObjectOf(cross);
    ASSERT_TRUE(object);
    EXPECT_EQ(NameOf(*object), "Close");

    Language() = LanguageTexts(folder.File("German.ini"));
    NewProgramWindow german;
    EXPECT_EQ(test::WindowText(german.CloseButton->Handle()), "Schlie\xC3\x9F" "en");
}

TEST_F(AccessibleWindow, OnceTheUserIsInTheWindowTabGoesRoundTheBoxTheButtonsAndTheLinkAndEnterPressesThem) {
    form_->ShowWithoutActivating();
    Enter();
    // Left to right along the top: the "..." button, then the cross.
    const HWND round[] = {form_->MoreOptionsButton->Handle(), form_->CloseButton->Handle(), form_->LaunchLink->Handle(),
                          form_->OptOutCheckBox->Handle()};
    for (HWND next : round) {
        Press(VK_TAB);
        EXPECT_EQ(GetFocus(), next);
    }
    Press(VK_SPACE);
    EXPECT_TRUE(form_->OptOutCheckBox->Checked());
    Press(VK_TAB);
    Press(VK_TAB);
    Press(VK_RETURN);  // on the cross
    EXPECT_FALSE(form_->Visible());
    EXPECT_EQ(test::Notifier("NewAppNotifier"), "false");

    form_->ShowWithoutActivating();
    Enter();
    Press(VK_TAB);
    Press(VK_TAB);
    Press(VK_TAB);
    Press(VK_RETURN);  // on the link
    EXPECT_TRUE(folder_.WaitForPurgeonCalls(1));
    EXPECT_FALSE(form_->Visible());
}

TEST_F(AccessibleWindow, EscClosesAsTheCrossDoes) {
    form_->ShowWithoutActivating();
    Enter();
    Press(VK_ESCAPE);
    EXPECT_FALSE(form_->Visible());
}

}  // namespace
}  // namespace vigilo
