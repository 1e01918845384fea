// The tray menu's "Recent findings": the record's last ten findings, and
// what choosing one starts Purgeon with.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/language_texts.h"
#include "platform/message_loop.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "tray/recent_findings_menu.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

std::string ItemText(HMENU menu, int position) {
    wchar_t text[512] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 512, MF_BYPOSITION);
    return Utf8(text);
}

bool Greyed(HMENU menu, int position) {
    return GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_GRAYED;
}

class RecentFindings : public ::testing::Test {
protected:
    void SetUp() override { Language() = LanguageTexts(); }
    void TearDown() override { DestroyMenu(submenu_); }

    CleanSettings settings_;
    HMENU submenu_ = CreatePopupMenu();
    std::vector<std::string> launched_;
    int openedAll_ = 0;
    RecentFindingsMenu menu_{[this](const std::string& parameters) { launched_.push_back(parameters); },
                             [this] { ++openedAll_; }};
};

Finding MakeExtension(const std::string& name, const std::string& ownName) {
    Finding finding{FindingKind::Extension, name};
    finding.ownName = ownName;
    return finding;
}

}  // namespace

TEST_F(RecentFindings, TheLastTenAreListedEachStartsPurgeonAsItsWindowsLinkDoesAndTheLastOpensEveryFinding) {
    std::vector<RecordedFinding> record{
        {"2026-03-07 09:04:00", {FindingKind::Junk, "892.00 MB"}},
        {"2026-03-07 09:03:00", {FindingKind::Extension, "Google Chrome: abcdefgh"}},
        {"2026-03-07 09:02:30", MakeExtension("Microsoft Edge: ijklmnop", "Tab Saver")},
        {"2026-03-07 09:02:00", {FindingKind::Startup, "Tom & Jerry"}},
        {"2026-03-07 09:01:00", {FindingKind::Program, std::string(70, 'p')}},
    };
    for (int i = 0; i < 8; ++i) record.push_back({"2026-03-07 08:00:00", {FindingKind::Startup, "Older"}});
    menu_.Fill(submenu_, record);

    ASSERT_EQ(GetMenuItemCount(submenu_), 13);
    EXPECT_EQ(ItemText(submenu_, 0), "Junk files: 892.00 MB\t2026-03-07 09:04:00");
    EXPECT_EQ(ItemText(submenu_, 1), "Browser extension: Google Chrome: abcdefgh\t2026-03-07 09:03:00");
    // An extension is listed by its own name where it has one.
    EXPECT_EQ(ItemText(submenu_, 2), "Browser extension: Microsoft Edge: Tab Saver\t2026-03-07 09:02:30");
    EXPECT_EQ(ItemText(submenu_, 3), "Startup entry: Tom && Jerry\t2026-03-07 09:02:00");
    EXPECT_EQ(ItemText(submenu_, 4), "New program: " + std::string(64, 'p') + "...\t2026-03-07 09:01:00");
    EXPECT_EQ(GetMenuState(submenu_, 10, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(ItemText(submenu_, 11), "Clear recent findings");
    EXPECT_EQ(ItemText(submenu_, 12), "All findings\xE2\x80\xA6");

    for (int position : {0, 1, 3, 4}) EXPECT_TRUE(menu_.Choose(GetMenuItemID(submenu_, position)));
    EXPECT_EQ(launched_, (std::vector<std::string>{" /CLEAN", "", " /STARTUP", ""}));
    EXPECT_FALSE(menu_.Choose(MainWindow::kExitItem)) << "the tray menu's own items are not the submenu's";
    EXPECT_TRUE(menu_.Choose(GetMenuItemID(submenu_, 12)));
    EXPECT_EQ(openedAll_, 1);
}

TEST_F(RecentFindings, AnEmptyRecordShowsOneGreyedItemBeforeAllFindingsAndTheClearItemEmptiesTheRecord) {
    AddFinding({FindingKind::Startup, "Updater"});
    menu_.Fill(submenu_, ReadFindings());
    ASSERT_EQ(GetMenuItemCount(submenu_), 4);
    EXPECT_TRUE(menu_.Choose(GetMenuItemID(submenu_, 2)));
    EXPECT_TRUE(ReadFindings().empty());
    EXPECT_TRUE(launched_.empty());

    menu_.Fill(submenu_, ReadFindings());
    // The whole history stays at hand when the record is empty.
    ASSERT_EQ(GetMenuItemCount(submenu_), 3);
    EXPECT_EQ(ItemText(submenu_, 0), "(none)");
    EXPECT_TRUE(Greyed(submenu_, 0));
    EXPECT_EQ(ItemText(submenu_, 2), "All findings\xE2\x80\xA6");
    EXPECT_FALSE(Greyed(submenu_, 2));
}

// The submenu sits right after "Launch Purgeon" and is listed from the record as the menu opens.
TEST_F(RecentFindings, TheTrayMenuOpensWithTheRecordAsItIsThen) {
    for (const char* name : {"NewAppNotifier", "NewToolbarNotifier", "StartupNotifier", "CacheNotifier"})
        SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", name, 0);  // no monitor threads here
    ResetApplicationState();
    auto form = std::make_unique<MainWindow>();
    const HMENU tray = form->PopupMenu();
    ASSERT_EQ(GetMenuItemCount(tray), 4);
    EXPECT_EQ(ItemText(tray, 0), "Launch Purgeon");
    EXPECT_EQ(GetMenuItemID(tray, 0), MainWindow::kLaunchItem);
    EXPECT_EQ(ItemText(tray, 1), "Recent findings");
    EXPECT_EQ(GetSubMenu(tray, 1), form->RecentFindingsSubmenu());
    EXPECT_EQ(GetMenuItemID(tray, 3), MainWindow::kExitItem);

    AddFinding({FindingKind::Startup, "Updater"});
    SendMessageW(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(tray), 0);
    EXPECT_EQ(ItemText(form->RecentFindingsSubmenu(), 0).substr(0, 23), "Startup entry: Updater\t");
    form.reset();
    ResetApplicationState();
}
