// The windows at other DPIs: which art set a DPI takes, where a notification
// goes beside a taskbar on each edge, how lengths round, and a window laid
// out again when the system says it moved to a screen of another DPI
// (WM_DPICHANGED, sent here as Windows sends it; Wine 8 never does).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/language_texts.h"
#include "platform/dpi.h"
#include "resource_ids.h"
#include "support/notification_support.h"
#include "support/notify_support.h"
#include "support/test_support.h"
#include "ui/bgra_image.h"
#include "ui/picture.h"
#include "ui/png_decoder.h"
#include "windows/junk_window.h"
#include "windows/notification_placement.h"
#include "windows/window_fonts.h"

namespace vigilo {
namespace {

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}
std::string Describe(SIZE s) { return std::to_string(s.cx) + "x" + std::to_string(s.cy); }
std::string Describe(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

TEST(ArtSets, EachDpiTakesTheNearestSetAtLeastAsLargeAndAbove200PercentThe200PercentSet) {
    EXPECT_EQ(ArtSetFor(96), ArtSet::Percent100);
    EXPECT_EQ(ArtSetFor(120), ArtSet::Percent150);
    EXPECT_EQ(ArtSetFor(144), ArtSet::Percent150);
    EXPECT_EQ(ArtSetFor(192), ArtSet::Percent200);
    EXPECT_EQ(ArtSetFor(240), ArtSet::Percent200);
    // The attention mark, 29 x 30 at 100 %, as each DPI shows it.
    const std::pair<int, const char*> sizes[] = {{96, "29x30"}, {120, "36x38"}, {144, "44x45"}, {192, "58x60"},
                                                 {240, "73x75"}};
    for (auto [dpi, size] : sizes)
        EXPECT_EQ(Describe(Picture::FromPngResource(IDB_ATTENTION_MARK, false, dpi).Size()), size) << dpi;
}

TEST(ArtSets, EverySetHoldsEveryPictureAtItsScale) {
    for (int id : {IDB_NOTIFY_BACKGROUND_238, IDB_NOTIFY_BACKGROUND_270, IDB_INFO_BACKGROUND, IDB_ATTENTION_MARK,
                   IDB_LOGO_IE, IDB_LOGO_FIREFOX, IDB_LOGO_CHROME, IDB_LOGO_BROWSER, IDB_JUNK_LOGO, IDB_BUTTON,
                   IDB_BUTTON_HOVER, IDR_CLOSE_CROSS_PNG, IDR_MORE_OPTIONS_PNG}) {
        const SIZE design = PngSize(ResourceBytes(id));
        ASSERT_GT(design.cx, 0) << id;
        for (auto [type, dpi] : {std::pair{L"ART150", 144}, {L"ART200", 192}}) {
            const SIZE drawn = PngSize(ResourceBytes(id, type));
            EXPECT_EQ(Describe(drawn), Describe(SIZE{MulDiv(design.cx, dpi, 96), MulDiv(design.cy, dpi, 96)})) << id;
        }
    }
}

TEST(ArtSets, ScalingAveragesTheAreaEachNewPixelCovers) {
    // A 4 x 1 row of white, black, white, black, halved and then stretched by 1.5.
    BgraImage row{4, 1, {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255}};
    const BgraImage halved = Resampled(row, 2, 1);
    EXPECT_EQ(halved.pixels[0], 128);  // a grey, not a dropped line
    EXPECT_EQ(halved.pixels[4], 128);
    const BgraImage wider = Resampled(row, 6, 1);
    EXPECT_EQ(wider.pixels[0], 255);    // wholly in the first white pixel
    EXPECT_EQ(wider.pixels[4], 128);    // half white, half black
    EXPECT_EQ(wider.pixels[3], 255);    // opaque stays opaque
}

TEST(Rounding, HalvesGoUpAsMulDivRoundsThem) {
    EXPECT_EQ(ScaleForDpi(5, 144), 8);      // 7.5
    EXPECT_EQ(ScaleForDpi(29, 144), 44);    // 43.5
    EXPECT_EQ(ScaleForDpi(238, 120), 298);  // 297.5
    EXPECT_EQ(ScaleForDpi(13, 120), 16);    // 16.25
    EXPECT_EQ(ScaleForDpi(270, 240), 675);
    EXPECT_EQ(ScaleForDpi(400, 96), 400);
    EXPECT_EQ(ScaleForDpi(60, 72), 45);
}

// A 400 x 238 window (600 x 357 at 144 DPI) on a primary monitor of 1920 x 1080, its work area given.
TEST(Placement, KeepsTheDesignedPlaceUnlessATaskbarOnAnyEdgeWouldCoverTheWindow) {
    struct Case {
        RECT workArea;
        int dpi;
        const char* at;
    } const cases[] = {
        {{0, 0, 1920, 1080}, 96, "1515,782"},    // no taskbar: the designed place
        {{0, 0, 1920, 1040}, 96, "1515,782"},    // an ordinary one at the bottom
        {{0, 0, 1920, 1025}, 96, "1515,782"},    // 55 pixels: still 5 above it
        {{0, 0, 1920, 1000}, 96, "1515,757"},    // a tall one: 5 above it
        {{0, 0, 1858, 1080}, 96, "1453,782"},    // at the right: 5 left of it
        {{0, 40, 1920, 1080}, 96, "1515,782"},   // at the top
        {{62, 0, 1920, 1080}, 96, "1515,782"},   // at the left
        {{0, 0, 1920, 1040}, 144, "1312,633"},   // 8 (7.5) from the right, 90 above the screen's bottom
        {{0, 0, 1920, 950}, 144, "1312,585"},    // or 8 above the taskbar
    };
    for (const Case& c : cases) {
        const SIZE window{ScaleForDpi(400, c.dpi), ScaleForDpi(238, c.dpi)};
        EXPECT_EQ(Describe(NotificationPlacement(window, {1920, 1080}, c.workArea, c.dpi)), c.at)
            << Describe(c.workArea) << " at " << c.dpi;
    }
}

// A junk window shown at 96 DPI, then told it moved to a screen of another.
class DpiChange : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        SetCursorPos(5, 5);
        form_.JunkSize = 157286400;
        form_.ShowWithoutActivating();
    }
    void ChangeDpi(int dpi, const RECT* suggested) {
        SendMessageW(form_.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(suggested));
    }
    static LONG FontHeight(HFONT font) {
        LOGFONTW lf{};
        GetObjectW(font, sizeof(lf), &lf);
        return lf.lfHeight;
    }
    RECT WindowRect() const {
        RECT r;
        GetWindowRect(form_.Handle(), &r);
        return r;
    }

    test::CleanSettings settings_;
    test::ProgramFolder folder_{true};
    JunkWindow form_;
};

TEST_F(DpiChange, TakesTheSystemsRectangleAndScalesEveryControlFontAndPicture) {
    const RECT suggested{100, 120, 700, 525};
    ChangeDpi(144, &suggested);
    EXPECT_EQ(form_.Dpi(), 144);
    EXPECT_EQ(Describe(WindowRect()), "100,120 600x405");
    // The table's 96-DPI rows, half as large again.
    EXPECT_EQ(Describe(form_.MessageLabel->Bounds()), "30,156 540x53");   // 20,104 360x35
    EXPECT_EQ(Describe(form_.CloseButton->Bounds()), "558,0 42x33");  // 372,0 28x22
    EXPECT_EQ(Describe(form_.MoreOptionsButton->Bounds()), "516,0 42x33");  // 344,0 28x22
    EXPECT_EQ(Describe(test::ChildRect(form_.OptOutCheckBox->Handle())), "36,356 26x26");  // 24,237 17x17
    EXPECT_EQ(Describe(form_.Logo->Bounds()), "36,72 66x81");         // sized to the 150 % picture of 44 x 54
    EXPECT_EQ(Describe(form_.BackgroundImage->GetPicture().Size()), "600x405");
    EXPECT_EQ(FontHeight(form_.AmountLabel->Font()), -32);  // Arial Narrow 21 (31.5)
    EXPECT_EQ(FontHeight(form_.MessageLabel->Font()), -20);   // Segoe UI 13 (19.5)
    // What the window placed itself follows: the words 15 (10 at 96 DPI) after the amount.
    EXPECT_EQ(form_.AmountLabel->Bounds().right + 15, form_.AmountWordsLabel->Bounds().left);
    // The drag band reaches down to the amount's top, 78 (52).
    auto hit = [&](int y) {
        const RECT w = WindowRect();
        return SendMessageA(form_.Handle(), WM_NCHITTEST, 0, MAKELPARAM(w.left + 10, w.top + y));
    };
    EXPECT_EQ(hit(77), HTCAPTION);
    EXPECT_NE(hit(78), HTCAPTION);
}

TEST_F(DpiChange, BackTo96DpiTheDesignedLayoutReturnsExactly) {
    const RECT there{0, 0, 500, 338};
    ChangeDpi(120, &there);
    EXPECT_EQ(Describe(WindowRect()), "0,0 500x338");  // 337.5
    EXPECT_EQ(Describe(form_.MessageLabel->Bounds()), "25,130 450x44");
    const RECT back{1515, 750, 1915, 1020};
    ChangeDpi(96, &back);
    EXPECT_EQ(Describe(WindowRect()), "1515,750 400x270");
    EXPECT_EQ(Describe(form_.MessageLabel->Bounds()), "20,104 360x35");
    EXPECT_EQ(FontHeight(form_.AmountLabel->Font()), -21);
    EXPECT_EQ(form_.AmountLabel->Bounds().right + 10, form_.AmountWordsLabel->Bounds().left);
}

TEST_F(DpiChange, ARectangleFromOutsideTheWindowsThreadIsNotReadAndAnUnknownDpiIsIgnored) {
    // Fault: rectangles that are not on this thread's stack, as another program's posted message would carry.
    auto elsewhere = std::make_unique<RECT>(RECT{0, 0, 10, 10});
    ChangeDpi(144, elsewhere.get());
    ChangeDpi(144, reinterpret_cast<const RECT*>(0x10));  // no memory at all
    ChangeDpi(5000, nullptr);
    EXPECT_EQ(form_.Dpi(), 144);
    EXPECT_EQ(Describe(WindowRect()), "1515,750 600x405") << "the top-left corner kept";
}

}  // namespace
}  // namespace vigilo
