// The extension window ExtensionWindow: its layout and texts, the browser's logo,
// the browser name put into the headline, the drag band and the link.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/language_texts.h"
#include "support/notification_support.h"
#include "support/notify_support.h"
#include "support/test_support.h"
#include "support/ui_support.h"
#include "windows/extension_window.h"
#include "windows/notification_host.h"

namespace vigilo {
namespace {
using test::Notifier;

static_assert(requires(ExtensionWindow& form) { form.ShowWithoutActivating(); });

std::string Placement(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

// The logos a ExtensionWindow shows for a browser name, in table order.
std::vector<std::string> VisibleLogos(const ExtensionWindow& form) {
    std::vector<std::string> visible;
    for (auto [name, logo] : {std::pair{"LogoIE", form.LogoIE}, {"LogoFF", form.LogoFF}, {"LogoCh", form.LogoCh},
                              {"LogoBr", form.LogoBr}})
        if (logo->Visible()) visible.push_back(name);
    return visible;
}

class ExtensionWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        SetCursorPos(5, 5);  // away from where the window appears
    }
    void TearDown() override { Language() = LanguageTexts(); }
    // A window shown for browserName.
    static std::unique_ptr<ExtensionWindow> Shown(const std::string& browserName) {
        auto form = std::make_unique<ExtensionWindow>();
        form->BrowserName = browserName;
        form->ShowWithoutActivating();
        return form;
    }

    test::CleanSettings settings_;
};

TEST_F(ExtensionWindowTest, SitsBottomRightWithTheInternetExplorerLogoAndItsTexts) {
    auto form = Shown("Internet Explorer");
    RECT w;
    GetWindowRect(form->Handle(), &w);
    EXPECT_EQ("1515,750 400x270", Placement(w));
    EXPECT_EQ("TForm2b", test::ClassName(form->Handle()));
    EXPECT_EQ("Extension notification", test::WindowText(form->Handle()));
    EXPECT_TRUE(GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(VisibleLogos(*form), std::vector<std::string>{"LogoIE"});

    EXPECT_EQ("New Internet Explorer Extension installed.", form->MessageLabel->Text());
    EXPECT_EQ("Extensions can be useful add-ons to your browser.", form->ExplanationLabel->Text());
    EXPECT_EQ("Check with Purgeon for extension name, publisher or to cleanly remove this extension.",
              form->AdviceLabel->Text());
    EXPECT_EQ("Check with Purgeon", form->LaunchLink->Text());
    EXPECT_EQ("Don't show new extensions notifications", form->OptOutLabel->Text());
    EXPECT_EQ("Purgeon", form->TitleLabel->Text());

    EXPECT_EQ("24,48 48x48", Placement(form->LogoIE->Bounds()));
    EXPECT_EQ("82,48 300x40", Placement(form->MessageLabel->Bounds()));
    EXPECT_EQ("20,104 360x35", Placement(form->ExplanationLabel->Bounds()));
    EXPECT_EQ("20,146 360x35", Placement(form->AdviceLabel->Bounds()));
    EXPECT_EQ(112, form->LaunchLink->Bounds().left);
    EXPECT_EQ(196, form->LaunchLink->Bounds().top);
    EXPECT_EQ("24,237 17x17", Placement(test::ChildRect(form->OptOutCheckBox->Handle())));
    EXPECT_EQ(52, form->OptOutLabel->Bounds().left);
    EXPECT_FALSE(form->OptOutCheckBox->Checked());
}

TEST_F(ExtensionWindowTest, OnlyTheExactBrowserNamesBringUpALogo) {
    EXPECT_EQ(VisibleLogos(*Shown("Mozilla Firefox")), std::vector<std::string>{"LogoFF"});
    EXPECT_EQ(VisibleLogos(*Shown("Google Chrome")), std::vector<std::string>{"LogoCh"});
    // Browsers without a logo of their own bring up the generic browser's.
    EXPECT_EQ(VisibleLogos(*Shown("Microsoft Edge")), std::vector<std::string>{"LogoBr"});
    EXPECT_EQ(VisibleLogos(*Shown("Brave")), std::vector<std::string>{"LogoBr"});
    for (const char* other : {"GOOGLE CHROME", "google chrome", "Opera", "brave", ""}) {
        auto form = Shown(other);
        EXPECT_TRUE(VisibleLogos(*form).empty()) << other;
        // Still put into the headline unchanged.
        EXPECT_EQ(std::string("New ") + other + " Extension installed.", form->MessageLabel->Text());
    }
    // The logos are real pictures of their designed size.
    ExtensionWindow form;
    for (Image* logo : {form.LogoIE, form.LogoFF, form.LogoCh, form.LogoBr}) {
        EXPECT_EQ("24,48 48x48", Placement(logo->Bounds()));
        EXPECT_EQ(48, logo->GetPicture().Size().cx);
        EXPECT_EQ(48, logo->GetPicture().Size().cy);
    }
}

TEST_F(ExtensionWindowTest, TranslatedHeadlineGetsTheBrowserNameWhereverItHasThePlaceholder) {
    test::TempFolder folder;
    folder.Write("German.ini",
                 "[Monitor]\r\nToolbarMessage1=<BrowserName>: neue Erweiterung in <BrowserName>.\r\n"
                 "ToolbarMessage4=Mit Purgeon pr\xFC" "fen\r\n");
    folder.Write("French.ini", "[Monitor]\r\nToolbarMessage1=Nouvelle extension <browsername> install\xE9" "e.\r\n");
    Language() = LanguageTexts(folder.File("German.ini"));
    EXPECT_EQ("Mozilla Firefox: neue Erweiterung in Mozilla Firefox.",
              Shown("Mozilla Firefox")->MessageLabel->Text());
    // Files without a byte-order mark are in the system code page (1252 here).
    EXPECT_EQ("Mit Purgeon pr\xC3\xBC" "fen", Shown("Google Chrome")->LaunchLink->Text());
    // The placeholder is matched in its own letter case only; a text without it stays as it is.
    Language() = LanguageTexts(folder.File("French.ini"));
    EXPECT_EQ("Nouvelle extension <browsername> install\xC3\xA9" "e.",
              Shown("Google Chrome")->MessageLabel->Text());
}

TEST_F(ExtensionWindowTest, BandAboveLabel1LeftOfTheCrossDrags) {
    auto form = Shown("Google Chrome");
    RECT w;
    GetWindowRect(form->Handle(), &w);
    auto hit = [&](int x, int y) {
        return SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(w.left + x, w.top + y));
    };
    EXPECT_EQ(HTCAPTION, hit(10, 47));
    EXPECT_NE(HTCAPTION, hit(10, 48));
    EXPECT_EQ(HTCAPTION, hit(338, 10));  // 5 left of the "..." button
    EXPECT_NE(HTCAPTION, hit(339, 10));
}

TEST_F(ExtensionWindowTest, LinkStartsPurgeonWithoutParametersWritesTheSettingAndHides) {
    test::ProgramFolder folder(true);
    auto form = Shown("Mozilla Firefox");
    form->OptOutCheckBox->SetChecked(true);
    test::PostClick(form->LaunchLink->Handle());
    ASSERT_TRUE(test::WaitUntil([&] { return !form->Visible(); }, 10000));
    ASSERT_TRUE(folder.WaitForPurgeonCalls(1));
    EXPECT_EQ(std::vector<std::string>{""}, folder.PurgeonCalls());
    EXPECT_EQ("false", Notifier("NewToolbarNotifier"));
    // Hidden, not destroyed: the timed hand-off destroys it when its time is over.
    EXPECT_TRUE(IsWindow(form->Handle()));
}

TEST_F(ExtensionWindowTest, TimedShowLeftAloneEndsWithoutWritingAndLeavesNothingBehind) {
    const HandleKind kinds[] = {HandleKind::Window, HandleKind::GdiObject, HandleKind::Dc};
    long before[3];
    for (int k = 0; k < 3; ++k) before[k] = LiveHandleCount(kinds[k]);
    for (const char* browser : {"Internet Explorer", "Mozilla Firefox", "Google Chrome"}) {
        const SharedEvent end = ShowNotification<ExtensionWindow>(
            [&](ExtensionWindow& form) {
                form.BrowserName = browser;
                form.OptOutCheckBox->SetChecked(true);
            },
            NotificationLife::Timed, 0);
        ASSERT_TRUE(end);
        ASSERT_TRUE(test::WaitUntil([&] { return WaitForSingleObject(end.Handle(), 0) == WAIT_OBJECT_0; }, 5000));
        EXPECT_EQ(nullptr, FindWindowA("TForm2b", nullptr)) << browser;
    }
    for (int k = 0; k < 3; ++k) EXPECT_EQ(before[k], LiveHandleCount(kinds[k])) << "kind " << k;
    EXPECT_EQ("missing", Notifier("NewToolbarNotifier"));
}

}  // namespace
}  // namespace vigilo
