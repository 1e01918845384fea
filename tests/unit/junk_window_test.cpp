// The junk-file window JunkWindow: the amount in megabytes with the user's
// decimal separator, the words that follow it, its place, texts and drag
// band, and the link that starts Purgeon with " /CLEAN".
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "core/language_texts.h"
#include "support/notify_support.h"
#include "support/test_support.h"
#include "support/ui_support.h"
#include "windows/junk_window.h"

namespace vigilo {
namespace {

TEST(JunkAmount, IsInMegabytesWithTwoDecimals) {
    EXPECT_EQ("0.00 MB", JunkAmountText(0, "."));
    EXPECT_EQ("100.00 MB", JunkAmountText(104857601, "."));
    EXPECT_EQ("150.00 MB", JunkAmountText(157286400, "."));
    EXPECT_EQ("5120.00 MB", JunkAmountText(5368709120, "."));
    EXPECT_EQ("0.13 MB", JunkAmountText(131072, "."));  // 0.125: a half goes up
    EXPECT_EQ("8796093022208.00 MB", JunkAmountText(LLONG_MAX, "."));
}

class JunkWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        SetCursorPos(5, 5);  // away from where the window appears
        form_.JunkSize = 157286400;
    }
    static int Width(const RECT& r) { return r.right - r.left; }

    test::CleanSettings settings_;
    test::ProgramFolder folder_{true};
    JunkWindow form_;
};

TEST_F(JunkWindowTest, ShowsTheAmountThenItsWordsAtTheBottomRight) {
    form_.ShowWithoutActivating();
    RECT w;
    GetWindowRect(form_.Handle(), &w);
    EXPECT_EQ("1515,750 400", std::to_string(w.left) + "," + std::to_string(w.top) + " " + std::to_string(Width(w)));
    EXPECT_EQ("Cache notifications", test::WindowText(form_.Handle()));
    EXPECT_EQ("150" + DecimalSeparator() + "00 MB", form_.AmountLabel->Text());
    EXPECT_EQ(form_.AmountLabel->Bounds().right + 10, form_.AmountWordsLabel->Bounds().left);
    EXPECT_EQ("of junk found!", form_.AmountWordsLabel->Text());
    EXPECT_EQ("Run a cleanup scan in Purgeon to remove these junk files and free up disk space.", form_.AdviceLabel->Text());
    EXPECT_EQ("Don't show cleaning notifications", form_.OptOutLabel->Text());
    EXPECT_EQ(44, Width(form_.Logo->Bounds()));
    // The drag band reaches down to the amount's top.
    auto hit = [&](int y) { return SendMessageA(form_.Handle(), WM_NCHITTEST, 0, MAKELPARAM(w.left + 10, w.top + y)); };
    EXPECT_EQ(HTCAPTION, hit(51));
    EXPECT_NE(HTCAPTION, hit(52));
}

TEST_F(JunkWindowTest, ACommaLocaleShowsACommaAndALongAmountPushesTheWordsRight) {
    const LCID user = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    form_.ShowWithoutActivating();
    SetThreadLocale(user);
    EXPECT_EQ("150,00 MB", form_.AmountLabel->Text());

    const int shortRight = form_.AmountWordsLabel->Bounds().right;
    form_.JunkSize = LLONG_MAX;
    form_.ShowWithoutActivating();
    EXPECT_EQ(form_.AmountLabel->Bounds().right + 10, form_.AmountWordsLabel->Bounds().left);
    EXPECT_GT(form_.AmountWordsLabel->Bounds().right, shortRight);
    // One line each, cut at the window's edge.
    EXPECT_EQ(23, form_.AmountWordsLabel->Bounds().bottom - form_.AmountWordsLabel->Bounds().top);
    EXPECT_EQ(25, form_.AmountLabel->Bounds().bottom - form_.AmountLabel->Bounds().top);
}

TEST_F(JunkWindowTest, LinkStartsPurgeonToCleanAndWritesCacheNotifier) {
    form_.ShowWithoutActivating();
    form_.OptOutCheckBox->SetChecked(true);
    test::PostClick(form_.LaunchLink->Handle());
    EXPECT_TRUE(test::WaitUntil([&] { return !form_.Visible(); }, 10000));
    ASSERT_TRUE(folder_.WaitForPurgeonCalls(1));
    EXPECT_EQ(std::vector<std::string>{"  /CLEAN"}, folder_.PurgeonCalls());
    EXPECT_EQ("false", test::Notifier("CacheNotifier"));
}

}  // namespace
}  // namespace vigilo
