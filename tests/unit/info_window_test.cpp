// The information window InfoWindow: placement, texts, hover swap of the button
// pictures, the drag strip and the OK click that ends its modal show.
#include <gtest/gtest.h>

#include "core/language_texts.h"
#include "platform/message_loop.h"
#include "support/test_support.h"
#include "support/ui_support.h"
#include "windows/info_window.h"

namespace vigilo {
namespace {
using test::MoveMouseTo;

// A InfoWindow shown without activation, so it goes away at once afterwards.
class InfoWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        SetCursorPos(5, 5);  // away from where the window appears
        ASSERT_TRUE(form_.Create());
        form_.Show(false);
        test::WaitUntil([] { return false; }, 50);  // first paint
    }
    void TearDown() override { Language() = LanguageTexts(); }

    HWND Control(const char* name) const {
        if (auto* label = test::FindLabel(form_, name)) return label->Handle();
        return test::FindImage(form_, name)->Handle();
    }
    bool Hovered() const { return test::FindImage(form_, "OkHoverImage")->Visible(); }
    bool Normal() const { return test::FindImage(form_, "OkImage")->Visible(); }

    InfoWindow form_;
};

TEST_F(InfoWindowTest, IsCentredBorderlessAndNotTopmost) {
    HWND hwnd = form_.Handle();
    RECT window;
    GetWindowRect(hwnd, &window);
    EXPECT_EQ(810, window.left);
    EXPECT_EQ(440, window.top);
    EXPECT_EQ(300, window.right - window.left);
    EXPECT_EQ(200, window.bottom - window.top);
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(300, client.right);
    EXPECT_EQ(200, client.bottom);
    EXPECT_EQ("TForm3", test::ClassName(hwnd));
    EXPECT_EQ("Information", test::WindowText(hwnd));
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(nullptr, GetWindow(hwnd, GW_OWNER));
}

TEST_F(InfoWindowTest, ShowsDefaultTextsAsWindowTexts) {
    EXPECT_EQ("File Purgeon.exe not found!", test::WindowText(Control("InfoLabel")));
    EXPECT_EQ("Information", test::WindowText(Control("TitleLabel")));
    EXPECT_EQ("OK", test::WindowText(Control("OkLabel")));
    EXPECT_TRUE(Normal());
    EXPECT_FALSE(Hovered());
}

TEST(InfoWindowTexts, ComeFromTheLanguageFile) {
    test::TempFolder folder;
    folder.Write("German.ini",
                 "[Messages]\r\nInformation=Hinweis\r\n[Tray]\r\nFileNotFound=Datei Purgeon.exe fehlt!\r\n"
                 "[Buttons]\r\nOK=Gut\r\n");
    Language() = LanguageTexts(folder.File("German.ini"));
    InfoWindow form;
    ASSERT_TRUE(form.Create());
    EXPECT_EQ("Hinweis", test::WindowText(test::FindLabel(form, "TitleLabel")->Handle()));
    EXPECT_EQ("Datei Purgeon.exe fehlt!", test::WindowText(test::FindLabel(form, "InfoLabel")->Handle()));
    EXPECT_EQ("Gut", test::WindowText(test::FindLabel(form, "OkLabel")->Handle()));
    Language() = LanguageTexts();
}

TEST_F(InfoWindowTest, ControlsStackInDesignOrder) {
    const char* bottomToTop[] = {"BackgroundImage", "InfoLabel", "TitleLabel", "OkHoverImage", "OkImage", "OkLabel"};
    HWND expected = GetWindow(form_.Handle(), GW_CHILD);  // topmost child
    for (int i = 5; i >= 0; --i) {
        EXPECT_EQ(Control(bottomToTop[i]), expected) << bottomToTop[i];
        expected = GetWindow(expected, GW_HWNDNEXT);
    }
}

TEST_F(InfoWindowTest, HoverSwapsButtonPictureWithRealMouseMoves) {
    EXPECT_EQ(Control("BackgroundImage"), MoveMouseTo(form_.Handle(), 50, 130));
    EXPECT_TRUE(Normal());

    EXPECT_EQ(Control("OkImage"), MoveMouseTo(form_.Handle(), 120, 160));
    EXPECT_TRUE(Hovered());
    EXPECT_FALSE(Normal());

    EXPECT_EQ(Control("BackgroundImage"), MoveMouseTo(form_.Handle(), 50, 131));
    EXPECT_TRUE(Normal());
    EXPECT_FALSE(Hovered());

    // The label over the button counts as the button.
    EXPECT_EQ(Control("OkLabel"), MoveMouseTo(form_.Handle(), 145, 162));
    EXPECT_TRUE(Hovered());
    // The hovered picture takes moves too and keeps itself.
    EXPECT_EQ(Control("OkHoverImage"), MoveMouseTo(form_.Handle(), 180, 160));
    EXPECT_TRUE(Hovered());
}

TEST_F(InfoWindowTest, OnlyTheBackgroundRestoresTheNormalPicture) {
    EXPECT_EQ(Control("OkImage"), MoveMouseTo(form_.Handle(), 120, 161));
    ASSERT_TRUE(Hovered());
    EXPECT_EQ(Control("InfoLabel"), MoveMouseTo(form_.Handle(), 150, 90));
    EXPECT_TRUE(Hovered());
    EXPECT_EQ(Control("OkHoverImage"), MoveMouseTo(form_.Handle(), 121, 161));
    // TitleLabel lies in the drag strip, where moves go to the window frame.
    EXPECT_EQ(form_.Handle(), MoveMouseTo(form_.Handle(), 20, 20));
    EXPECT_TRUE(Hovered());
    MoveMouseTo(form_.Handle(), 122, 161);
    POINT outside{-30, 100};
    ClientToScreen(form_.Handle(), &outside);
    SetCursorPos(outside.x, outside.y);
    EXPECT_EQ(Control("BackgroundImage"), MoveMouseTo(form_.Handle(), 50, 132));
    EXPECT_TRUE(Normal());
}

TEST_F(InfoWindowTest, TopFortyRowsDragTheWindow) {
    RECT window;
    GetWindowRect(form_.Handle(), &window);
    auto hit = [&](HWND target, int clientX, int clientY) {
        return SendMessageA(target, WM_NCHITTEST, 0, MAKELPARAM(window.left + clientX, window.top + clientY));
    };
    EXPECT_EQ(HTCAPTION, hit(form_.Handle(), 10, 0));
    EXPECT_EQ(HTCAPTION, hit(form_.Handle(), 299, 39));
    EXPECT_EQ(HTCLIENT, hit(form_.Handle(), 10, 40));
    // Over a control in the strip the press passes through to the window.
    EXPECT_EQ(HTTRANSPARENT, hit(Control("TitleLabel"), 20, 20));
    EXPECT_EQ(HTTRANSPARENT, hit(Control("BackgroundImage"), 150, 39));
    EXPECT_EQ(HTCLIENT, hit(Control("BackgroundImage"), 150, 40));
}

TEST_F(InfoWindowTest, LabelOverTheButtonShowsThePictureBeneath) {
    HWND label = Control("OkLabel");
    test::Pixels paint = test::PaintOf(label);
    ASSERT_GT(paint.width, 4);
    EXPECT_EQ(RGB(240, 240, 240), paint.At(0, 0));
    EXPECT_EQ(RGB(240, 240, 240), paint.At(paint.width - 1, paint.height - 1));
    EXPECT_TRUE(paint.AnyDark({0, 0, paint.width, paint.height}));  // the text "OK"

    // And on the screen, where the label sits at (141, 154).
    UpdateWindow(form_.Handle());
    test::Pixels screen = test::ScreenOf(form_.Handle());
    EXPECT_EQ(RGB(240, 240, 240), screen.At(141, 154));
    EXPECT_EQ(RGB(29, 28, 28), screen.At(200, 20));  // title band
    EXPECT_EQ(RGB(255, 255, 255), screen.At(150, 130));

    form_.OkMouseMove();
    EXPECT_EQ(RGB(229, 241, 251), test::PaintOf(label).At(0, 0));  // hovered picture beneath
}

// Shown without modality: the call returns at once, a second one while it
// is up shows nothing, and what follows its close runs once OK was clicked,
// when the window is gone.
TEST(InformationWindowShow, ReturnsAtOnceOneAtATimeAndItsCloseRunsWhatFollows) {
    int followed = 0;
    bool goneWhenFollowed = false;
    ASSERT_TRUE(ShowInformationWindow([&] {
        ++followed;
        goneWhenFollowed = !InformationWindowShown() && FindWindowA("TForm3", "Information") == nullptr;
    }));
    HWND info = FindWindowA("TForm3", "Information");
    ASSERT_NE(nullptr, info);
    EXPECT_TRUE(IsWindowVisible(info));
    EXPECT_FALSE(ShowInformationWindow([&] { followed += 10; }));
    EXPECT_EQ(0, followed);
    test::PostClick(test::FindChildByText(info, "OK"));
    ASSERT_TRUE(test::WaitUntil([&] { return followed != 0; }, 5000));
    EXPECT_EQ(1, followed);
    EXPECT_TRUE(goneWhenFollowed);

    // Destroyed as the program ends, it runs nothing.
    ASSERT_TRUE(ShowInformationWindow([&] { followed += 100; }));
    DestroyInformationWindow();
    EXPECT_EQ(nullptr, FindWindowA("TForm3", "Information"));
    EXPECT_FALSE(InformationWindowShown());
    EXPECT_EQ(1, followed);
}

}  // namespace
}  // namespace vigilo
