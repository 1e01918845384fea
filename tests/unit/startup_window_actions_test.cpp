// The startup window's link that disables the entry at start-up and enables
// it again, its line "and N more", and a layout where nothing overlaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/language_texts.h"
#include "platform/message_loop.h"
#include "support/notify_support.h"
#include "support/test_support.h"
#include "support/ui_support.h"
#include "windows/startup_window.h"

namespace vigilo {
namespace {

const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A value's type and bytes, read raw.
std::string Raw(const char* key, const char* name) {
    BYTE data[256];
    DWORD type = 0, size = sizeof(data);
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, data, &size)) return "missing";
    return std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), size);
}

StartupApproval Approval(bool canWrite) {
    return StartupApproval({[] { return FILETIME{0x89ABCDEF, 0x01DC2345}; }, [] { return true; },
                            [=](const StartupApprovedTarget&) { return canWrite; }});
}

class StartupWindowActions : public ::testing::Test {
protected:
    void SetUp() override {
        Language() = LanguageTexts();
        ResetApplicationState();
        SetCursorPos(5, 5);
        test::SetString(HKEY_CURRENT_USER, kRun, "Updater", "C:\\Updater\\updater.exe /background");
        form_ = std::make_unique<StartupWindow>();
        form_->Approval = Approval(true);
        form_->OnUserActed = [this] { ++acted_; };
    }
    void TearDown() override {
        form_.reset();
        test::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Microsoft");
    }
    void ShowWithTarget() {
        form_->ApprovedTarget = StartupApprovedTarget{HKEY_CURRENT_USER, StartupApprovedList::Run, "Updater"};
        form_->ShowWithoutActivating();
    }
    bool ClickLinkUntilItReads(const std::string& expected) {
        test::PostClick(form_->DisableLink->Handle());
        return test::WaitUntil([&] { return form_->DisableLink->Text() == expected; }, 5000);
    }

    test::CleanSettings settings_;
    test::ProgramFolder folder_{true};
    std::unique_ptr<StartupWindow> form_;
    int acted_ = 0;
};

TEST_F(StartupWindowActions, LinkShowsOnlyWithATargetThisUserMayWrite) {
    form_->ShowWithoutActivating();
    EXPECT_FALSE(form_->DisableLink->Visible());  // a service, a task, RunOnce...
    form_->Approval = Approval(false);             // an HKLM entry without administrator rights
    ShowWithTarget();
    EXPECT_FALSE(form_->DisableLink->Visible());
    form_->Approval = Approval(true);
    form_->ShowWithoutActivating();
    EXPECT_EQ(form_->DisableLink->Handle(), test::FindChildByText(form_->Handle(), "Disable at Windows start-up"));
    EXPECT_TRUE(form_->DisableLink->Visible());
}

TEST_F(StartupWindowActions, ClicksDisableAndEnableTheEntryLeaveItUntouchedAndRestartTheTime) {
    const std::string entry = Raw(kRun, "Updater");
    const char* const approved = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
    ShowWithTarget();
    ASSERT_TRUE(ClickLinkUntilItReads("Enable again at start-up"));
    EXPECT_EQ(std::string("3:\x03\0\0\0\xEF\xCD\xAB\x89\x45\x23\xDC\x01", 14), Raw(approved, "Updater"));
    EXPECT_EQ(1, acted_);
    ASSERT_TRUE(ClickLinkUntilItReads("Disable at Windows start-up"));
    EXPECT_EQ(std::string("3:\x02\0\0\0\0\0\0\0\0\0\0\0", 14), Raw(approved, "Updater"));
    EXPECT_EQ(2, acted_);
    EXPECT_TRUE(form_->Visible());
    EXPECT_EQ(entry, Raw(kRun, "Updater"));
    EXPECT_TRUE(folder_.PurgeonCalls().empty());
    form_->DisableLinkClick();  // disabled before (by Task Manager, say): offers to enable it
    form_->ShowWithoutActivating();
    EXPECT_EQ("Enable again at start-up", form_->DisableLink->Text());
    // Fault: a root that is no open key. The link stays as it was, and no error box shows.
    form_->ApprovedTarget->root = reinterpret_cast<HKEY>(0x0BADF00D);
    form_->DisableLinkClick();
    EXPECT_EQ("Enable again at start-up", form_->DisableLink->Text());
    EXPECT_EQ(nullptr, FindWindowA("#32770", nullptr));
}

TEST_F(StartupWindowActions, NothingOverlapsAndOneMoreLineFits) {
    EXPECT_FALSE(form_->MoreFoundLabel->Visible());
    form_->MoreFound = 12;
    ShowWithTarget();
    EXPECT_EQ("and 12 more (see Recent findings)", form_->MoreFoundLabel->Text());
    for (int click = 0; click < 2; ++click, form_->DisableLinkClick()) {
        std::vector<RECT> shown;
        for (HWND child : test::ChildWindows(form_->Handle())) {
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, form_->Handle(), reinterpret_cast<POINT*>(&r), 2);
            if (IsWindowVisible(child) && child != form_->BackgroundImage->Handle()) shown.push_back(r);
        }
        ASSERT_EQ(12u, shown.size());  // title, cross, "...", icon, name, two lines, more, two links, box, its text
        RECT both;
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(shown[i].left >= 0 && shown[i].top >= 0 && shown[i].right <= 400 && shown[i].bottom <= 238);
            for (size_t j = i + 1; j < shown.size(); ++j) EXPECT_FALSE(IntersectRect(&both, &shown[i], &shown[j]));
        }
        bool fits = false;  // a free 17-pixel line across the text column, between the band and the box
        for (int top = 40; top + 17 <= 205 && !fits; ++top) {
            const RECT line{80, top, 384, top + 17};
            fits = std::none_of(shown.begin(), shown.end(),
                                [&](const RECT& r) { return IntersectRect(&both, &line, &r); });
        }
        EXPECT_TRUE(fits);
    }
}

}  // namespace
}  // namespace vigilo
