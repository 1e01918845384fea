// The window layer: labels, images, the check box, fonts and painting
// through transparent controls, on a sample window that uses every kind.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include "platform/message_loop.h"
#include "platform/unique_handle.h"
#include "resource_ids.h"
#include "support/test_support.h"
#include "support/ui_support.h"
#include "ui/form.h"
#include "windows/info_window.h"
#include "windows/new_program_window.h"
#include "windows/startup_window.h"
#include "windows/window_fonts.h"

namespace vigilo {
namespace {

constexpr FontSpec kBold{"Segoe UI", 15, RGB(0, 0, 0), true};

class SampleForm : public Form {
public:
    SampleForm();
    void CloseButtonClick() { ++topClicks; }
    void CoverClick() { ++coverClicks; }
    int topClicks = 0;
    int coverClicks = 0;
    int closes = 0;

    Image *BackgroundImage = nullptr, *LogoCh = nullptr, *ActionImage = nullptr, *PrgImage = nullptr, *CloseButton = nullptr,
          *Cover = nullptr;
    Label *Fit = nullptr, *Wrap = nullptr, *Bottom = nullptr, *Centred = nullptr, *Link = nullptr, *Long = nullptr,
          *OptOutLabel = nullptr;
    CheckBox* OptOutCheckBox = nullptr;

protected:
    void OnClose() override { ++closes; }
};

using S = SampleForm;
constexpr ControlSpec<SampleForm> kSample[] = {
    // name         member         left  top width height font               text or picture                    flags                    click
    {"BackgroundImage",    &S::BackgroundImage,      0,   0, 400, 270, nullptr,             BitmapRes(IDB_NOTIFY_BACKGROUND_270), 0},
    {"LogoCh",      &S::LogoCh,       24,  48,   0,   0, nullptr,             BitmapRes(IDB_LOGO_CHROME),         kAutoSize},
    {"ActionImage", &S::ActionImage, 104,  48,   0,   0, nullptr,             BitmapRes(IDB_ATTENTION_MARK),      kAutoSize},
    {"PrgImage",    &S::PrgImage,     24,  94,  32,  32, nullptr,             {},                                 0},
    {"Fit",         &S::Fit,         150,  50,   0,  20, &kBold,              Design("Sized to its text"),        kAutoSize | kCenterV},
    {"Wrap",        &S::Wrap,        280,  30, 110,  60, nullptr,             Design("one two three four five six seven eight nine ten"), kWordWrap},
    {"Bottom",      &S::Bottom,       20, 150, 200,  50, nullptr,             Design("At the bottom"),            kWordWrap | kBottom},
    {"Centred",     &S::Centred,      20, 104, 360,  35, nullptr,             Design("Centred"),                  kCenterH | kCenterV | kWordWrap},
    {"Link",        &S::Link,        112, 210,   0,  17, &fonts::kLink,       Design("Check with Purgeon"),       kAutoSize | kHandCursor},
    {"Long",        &S::Long,        300, 190,   0,  17, nullptr,             Design("A single line far too long for the rest of this window"), kAutoSize},
    {"OptOutLabel", &S::OptOutLabel,  52, 239,   0,  13, &fonts::kCheckLabel, Design("Don't show these"),         kAutoSize},
    {"CloseButton",   &S::CloseButton,   372,   0,  28,  22, nullptr,             PngRes(IDR_CLOSE_CROSS_PNG),        kHandCursor,             &SampleForm::CloseButtonClick},
    {"Cover",       &S::Cover,       372,   0,  28,  22, nullptr,             BitmapRes(IDB_BUTTON),              kHidden,                 &SampleForm::CoverClick},
    {"OptOutCheckBox",      &S::OptOutCheckBox,       24, 237, 17,  17, nullptr,             Design("Don't show these"),         0},
};
SampleForm::SampleForm() : Form({"VigiloSampleForm", "Sample", 400, 270}) { Declare(this, kSample); }

void PaintNow(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }

class WindowLayer : public ::testing::Test {
protected:
    void SetUp() override {
        SetCursorPos(5, 5);
        ASSERT_TRUE(form_.Create());
        SetWindowPos(form_.Handle(), nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        form_.Show(false);
        PaintNow(form_.Handle());
    }
    Label& L(const char* name) { return *test::FindLabel(form_, name); }
    Image& I(const char* name) { return *test::FindImage(form_, name); }
    static int Width(const RECT& r) { return r.right - r.left; }
    static int Height(const RECT& r) { return r.bottom - r.top; }

    SampleForm form_;
};

TEST_F(WindowLayer, LabelSizedToItsTextTakesTheTextsWidth) {
    LOGFONTA lf{};
    lf.lfHeight = -15;
    lf.lfWeight = FW_BOLD;
    lstrcpyA(lf.lfFaceName, "Segoe UI");
    HFONT font = CreateFontIndirectA(&lf);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    auto widthOf = [&](const char* text) {
        SIZE size{};
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
        return static_cast<int>(size.cx);
    };
    RECT r = L("Fit").Bounds();
    EXPECT_EQ(150, r.left);
    EXPECT_EQ(50, r.top);
    EXPECT_EQ(20, Height(r));
    EXPECT_EQ(widthOf("Sized to its text"), Width(r));

    L("Fit").SetText("Sized to a longer text than before");
    EXPECT_EQ(widthOf("Sized to a longer text than before"), Width(L("Fit").Bounds()));
    EXPECT_EQ("Sized to a longer text than before", test::WindowText(L("Fit").Handle()));
    EXPECT_EQ(150, L("Fit").Bounds().left);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);

    // A single line that runs past the window's right edge stays one line, cut there.
    RECT longBounds = L("Long").Bounds();
    EXPECT_GT(longBounds.right, 400);
    EXPECT_EQ(17, Height(longBounds));
}

TEST_F(WindowLayer, WrappedAndBottomAlignedTextStaysInItsBox) {
    test::Pixels wrap = test::PaintOf(L("Wrap").Handle());
    ASSERT_EQ(110, wrap.width);
    ASSERT_EQ(60, wrap.height);
    EXPECT_TRUE(wrap.AnyDark({0, 0, 110, 15}));
    EXPECT_TRUE(wrap.AnyDark({0, 30, 110, 45})) << "a third line: the text wrapped";

    test::Pixels bottom = test::PaintOf(L("Bottom").Handle());
    EXPECT_FALSE(bottom.AnyDark({0, 0, 200, 30})) << "nothing at the top of the box";
    EXPECT_TRUE(bottom.AnyDark({0, 34, 200, 50})) << "text in the bottom rows";

    test::Pixels centred = test::PaintOf(L("Centred").Handle());
    EXPECT_FALSE(centred.AnyDark({0, 0, 360, 9})) << "centred vertically";
    EXPECT_FALSE(centred.AnyDark({0, 0, 140, 35})) << "centred horizontally";
    EXPECT_TRUE(centred.AnyDark({140, 9, 220, 26}));
}

TEST_F(WindowLayer, TransparentControlsShowWhatLiesBeneath) {
    // The close cross is drawn with its alpha over the dark band.
    test::Pixels cross = test::PaintOf(I("CloseButton").Handle());
    EXPECT_EQ(RGB(29, 28, 28), cross.At(1, 1));
    EXPECT_GE(GetRValue(cross.At(13, 10)), 230);
    // The link label over the white body: white around its text, the link colour in it.
    test::Pixels link = test::PaintOf(L("Link").Handle());
    EXPECT_EQ(RGB(255, 255, 255), link.At(0, 0));
    EXPECT_TRUE(link.AnyDark({0, 0, link.width, link.height}));
    // The 8-bit palette picture draws in colour.
    test::Pixels logo = test::PaintOf(I("LogoCh").Handle());
    EXPECT_EQ(48, logo.width);
    bool coloured = false;
    for (auto px : logo.data) coloured |= ((px >> 16) & 0xFF) != (px & 0xFF);
    EXPECT_TRUE(coloured);
    // And the window's surface shows the same.
    test::Pixels screen = test::ScreenOf(form_.Handle());
    EXPECT_EQ(RGB(29, 28, 28), screen.At(373, 1));
    EXPECT_EQ(RGB(255, 255, 255), screen.At(113, 211));
}

TEST_F(WindowLayer, HiddenControlsTakeNoMouse) {
    HWND cover = I("Cover").Handle();
    HWND top = I("CloseButton").Handle();
    EXPECT_EQ(top, test::MoveMouseTo(form_.Handle(), 380, 10));
    EXPECT_EQ(top, ChildWindowFromPointEx(form_.Handle(), {380, 10}, CWP_SKIPINVISIBLE));
    test::PostClick(top);
    test::WaitUntil([&] { return form_.topClicks == 1; }, 2000);
    EXPECT_EQ(1, form_.topClicks);

    I("Cover").SetVisible(true);
    EXPECT_EQ(cover, test::MoveMouseTo(form_.Handle(), 381, 11));
    I("Cover").SetVisible(false);
    EXPECT_EQ(top, test::MoveMouseTo(form_.Handle(), 382, 12));
    EXPECT_EQ(0, form_.coverClicks);
}

TEST_F(WindowLayer, CheckBoxIsNamedByItsLabelWhichDoesNotToggleIt) {
    CheckBox& box = *form_.OptOutCheckBox;
    EXPECT_EQ("Button", test::ClassName(box.Handle()));
    EXPECT_EQ("Don't show these", test::WindowText(box.Handle()));
    RECT r;
    GetWindowRect(box.Handle(), &r);
    EXPECT_EQ(17, Width(r));
    EXPECT_EQ(17, Height(r));
    EXPECT_TRUE(GetWindowLongA(box.Handle(), GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(box.Checked());

    test::PostClick(L("OptOutLabel").Handle());
    test::WaitUntil([] { return false; }, 100);
    EXPECT_FALSE(box.Checked());

    test::PostClick(box.Handle());
    EXPECT_TRUE(test::WaitUntil([&] { return box.Checked(); }, 2000));
}

TEST_F(WindowLayer, ImageTakesAndReleasesAnIcon) {
    const long icons = LiveHandleCount(HandleKind::Icon);
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    I("PrgImage").SetIcon(ExtractIconA(GetModuleHandleA(nullptr), exe, 0), 32);
    EXPECT_EQ(icons + 1, LiveHandleCount(HandleKind::Icon));
    EXPECT_EQ(32, Width(I("PrgImage").Bounds()));
    form_.Destroy();
    EXPECT_EQ(icons, LiveHandleCount(HandleKind::Icon));
}

TEST_F(WindowLayer, CloseHidesAndRunsTheCloseHandlerButDestroyDoesNot) {
    form_.Close();
    EXPECT_FALSE(form_.Visible());
    EXPECT_EQ(1, form_.closes);
    EXPECT_TRUE(IsWindow(form_.Handle()));

    SampleForm other;
    ASSERT_TRUE(other.Create());
    other.Show(false);
    other.Destroy();
    EXPECT_EQ(0, other.closes);
}


// They have no owner, yet are no programs of their own to switch to.
TEST(ProgramWindows, NoneHasATaskbarButtonOrAnAltTabEntry) {
    SetCursorPos(5, 5);
    NewProgramWindow newProgram;
    newProgram.ShowWithoutActivating();
    StartupWindow startup;
    startup.ShowWithoutActivating();
    InfoWindow information;
    ASSERT_TRUE(information.Create());
    information.Show(false);
    for (const Form* form : std::initializer_list<const Form*>{&newProgram, &startup, &information}) {
        EXPECT_TRUE(IsWindowVisible(form->Handle())) << test::ClassName(form->Handle());
        EXPECT_EQ(nullptr, GetWindow(form->Handle(), GW_OWNER)) << test::ClassName(form->Handle());
        EXPECT_FALSE(test::ShowsInTaskbar(form->Handle())) << test::ClassName(form->Handle());
    }
}

TEST(Fonts, AreSharedPerDistinctFontAndReleasedWithTheirUsers) {
    const long gdi = LiveHandleCount(HandleKind::GdiObject);
    {
        SharedFont a = AcquireFont(fonts::kLink);
        SharedFont b = AcquireFont(fonts::kLink);
        SharedFont c = AcquireFont(kBold);
        EXPECT_EQ(a, b);
        EXPECT_NE(a, c);
        EXPECT_EQ(gdi + 2, LiveHandleCount(HandleKind::GdiObject));
        LOGFONTA lf{};
        GetObjectA(a->get(), sizeof(lf), &lf);
        EXPECT_EQ(-13, lf.lfHeight);
        EXPECT_TRUE(lf.lfUnderline);
    }
    EXPECT_EQ(gdi, LiveHandleCount(HandleKind::GdiObject));
}

template <typename F>
void CreateShowDestroy(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        F form;
        ASSERT_TRUE(form.Create());
        form.Show(false);
        PaintNow(form.Handle());
        if (auto* image = test::FindImage(form, "PrgImage")) image->SetIcon(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)), 32);
        form.Destroy();
    }
}

TEST(WindowLayerLife, HundredRoundsLeaveNothingBehind) {
    const HandleKind kinds[] = {HandleKind::Window, HandleKind::GdiObject, HandleKind::Icon, HandleKind::Dc};
    long before[4];
    for (int k = 0; k < 4; ++k) before[k] = LiveHandleCount(kinds[k]);
    CreateShowDestroy<InfoWindow>(100);
    CreateShowDestroy<SampleForm>(100);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(before[k], LiveHandleCount(kinds[k])) << "kind " << k;
    EXPECT_EQ(nullptr, FindWindowA("TForm3", nullptr));
    EXPECT_EQ(nullptr, FindWindowA("VigiloSampleForm", nullptr));
}

}  // namespace
}  // namespace vigilo
