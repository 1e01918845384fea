// The junk-file window TForm2d: the amount in megabytes with the user's
// decimal separator, the words that follow it, its frame constants and the
// link that starts Purgeon with " /CLEAN".
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "core/language_texts.h"
#include "support/notify_support.h"
#include "support/test_support.h"
#include "support/ui_support.h"
#include "windows/junk_form.h"

namespace vigilo {
namespace {
using test::Notifier;

TEST(JunkAmount, IsInMegabytesWithTwoDecimals) {
    EXPECT_EQ("0.00 MB", JunkAmountText(0, "."));
    EXPECT_EQ("100.00 MB", JunkAmountText(104857601, "."));
    EXPECT_EQ("150.00 MB", JunkAmountText(157286400, "."));
    EXPECT_EQ("5120.00 MB", JunkAmountText(5368709120, "."));
    EXPECT_EQ("150,00 MB", JunkAmountText(157286400, ","));
    EXPECT_EQ("0.13 MB", JunkAmountText(131072, "."));  // 0.125: a half goes up
    EXPECT_EQ("8796093022208.00 MB", JunkAmountText(LLONG_MAX, "."));
    EXPECT_EQ("-1.00 MB", JunkAmountText(-1048576, "."));
}

class JunkWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        SetCursorPos(5, 5);  // away from where the window appears
    }
    void Show(std::int64_t size) {
        form_ = std::make_unique<TForm2d>();
        form_->JunkSize = size;
        form_->ShowForm();
    }

    test::CleanSettings settings_;
    test::ProgramFolder folder_{true};
    std::unique_ptr<TForm2d> form_;
};

TEST_F(JunkWindow, ShowsTheAmountAndTheWordsAfterItAtTheBottomRight) {
    Show(157286400);
    RECT w;
    GetWindowRect(form_->Handle(), &w);
    EXPECT_EQ(1515, w.left);
    EXPECT_EQ(750, w.top);
    EXPECT_EQ(400, w.right - w.left);
    EXPECT_EQ(270, w.bottom - w.top);
    EXPECT_EQ("Cache notifications", test::WindowText(form_->Handle()));
    EXPECT_EQ("TForm2d", test::ClassName(form_->Handle()));

    EXPECT_EQ("150" + DecimalSeparator() + "00 MB", form_->Label1a->Text());
    EXPECT_EQ(88, form_->Label1a->Bounds().left);
    EXPECT_EQ(25, form_->Label1a->Bounds().bottom - form_->Label1a->Bounds().top);
    EXPECT_EQ(form_->Label1a->Bounds().right + 10, form_->Label1b->Bounds().left);
    EXPECT_EQ(52, form_->Label1b->Bounds().top);
    EXPECT_EQ("of junk found!", form_->Label1b->Text());
    EXPECT_EQ("Recent activity generated a lot of junk files.", form_->Label2->Text());
    EXPECT_EQ("Run a cleanup scan in Purgeon to remove these junk files and free up disk space.", form_->Label3->Text());
    EXPECT_EQ("Start Purgeon", form_->Label4->Text());
    EXPECT_EQ("Don't show cleaning notifications", form_->Check1Label->Text());
    const RECT logo = form_->Logo->Bounds();
    EXPECT_EQ("24,48 44x54", std::to_string(logo.left) + "," + std::to_string(logo.top) + " " +
                                 std::to_string(logo.right - logo.left) + "x" + std::to_string(logo.bottom - logo.top));

    // The drag band reaches down to the amount's top.
    auto hit = [&](int x, int y) {
        return SendMessageA(form_->Handle(), WM_NCHITTEST, 0, MAKELPARAM(w.left + x, w.top + y));
    };
    EXPECT_EQ(HTCAPTION, hit(10, 51));
    EXPECT_NE(HTCAPTION, hit(10, 52));
    EXPECT_NE(HTCAPTION, hit(367, 10));
}

TEST_F(JunkWindow, ACommaLocaleShowsACommaAndALongAmountPushesTheWordsRight) {
    const LCID user = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    Show(157286400);
    EXPECT_EQ("150,00 MB", form_->Label1a->Text());
    SetThreadLocale(user);

    const int shortRight = form_->Label1b->Bounds().right;
    form_->JunkSize = LLONG_MAX;
    form_->ShowForm();
    EXPECT_EQ(form_->Label1a->Bounds().right + 10, form_->Label1b->Bounds().left);
    EXPECT_GT(form_->Label1b->Bounds().right, shortRight);
    // One line, cut at the window's edge: heights kept, the window keeps its size.
    EXPECT_EQ(23, form_->Label1b->Bounds().bottom - form_->Label1b->Bounds().top);
    EXPECT_EQ(25, form_->Label1a->Bounds().bottom - form_->Label1a->Bounds().top);
    RECT w;
    GetWindowRect(form_->Handle(), &w);
    EXPECT_EQ(400, w.right - w.left);
}

TEST_F(JunkWindow, LinkStartsPurgeonToCleanAndWritesCacheNotifier) {
    Show(157286400);
    form_->Check1->SetChecked(true);
    test::PostClick(form_->Label4->Handle());
    EXPECT_TRUE(test::WaitUntil([&] { return !form_->Visible(); }, 10000));
    ASSERT_TRUE(folder_.WaitForPurgeonCalls(1));
    EXPECT_EQ(std::vector<std::string>{"  /CLEAN"}, folder_.PurgeonCalls());
    EXPECT_EQ("false", Notifier("CacheNotifier"));
}

TEST(JunkWindowTexts, ComeFromTheLanguageFile) {
    test::TempFolder folder;
    folder.Write("German.ini",
                 "[Monitor]\r\nCacheMessage1=Datenmuell gefunden!\r\nCacheMessage2=Viel Muell.\r\n"
                 "CacheMessage3=Jetzt aufraeumen.\r\nCacheMessage4=Purgeon starten\r\nCacheMessage5=Nicht mehr zeigen\r\n");
    Language() = LanguageTexts(folder.File("German.ini"));
    {
        TForm2d form;
        EXPECT_EQ("Datenmuell gefunden!", form.Label1b->Text());
        EXPECT_EQ("Viel Muell.", form.Label2->Text());
        EXPECT_EQ("Jetzt aufraeumen.", form.Label3->Text());
        EXPECT_EQ("Purgeon starten", form.Label4->Text());
        EXPECT_EQ("Nicht mehr zeigen", form.Check1Label->Text());
        EXPECT_EQ("10 MB", form.Label1a->Text());  // design text until shown
    }
    Language() = LanguageTexts();
}

}  // namespace
}  // namespace vigilo
