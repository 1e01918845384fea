// Starting Purgeon from the program folder, and the information window when
// it is missing. The stand-in Purgeon.exe records each command line it got.
#include <gtest/gtest.h>

#include "platform/message_loop.h"
#include "core/companion.h"
#include "windows/launch_companion.h"
#include "core/path_set.h"
#include "support/test_support.h"
#include "support/ui_support.h"

namespace vigilo {
namespace {

class Launch : public ::testing::Test {
protected:
    void SetUp() override {
        // A blank in the folder name, as under "Program Files".
        folder_ = tmp_.File("Purgeon Suite");
        CreateDirectoryA(folder_.c_str(), nullptr);
        Paths().programFolder = folder_;
        Paths().companionFileName = "Purgeon.exe";
        test::EndPurgeons();
    }
    void TearDown() override {
        test::EndPurgeons();
        Paths() = PathSet();
    }
    void InstallPurgeon() {
        ASSERT_TRUE(CopyFileA((test::BinFolder() + "\\Purgeon.exe").c_str(), (folder_ + "\\Purgeon.exe").c_str(),
                              FALSE));
    }
    std::vector<std::string> Calls() const { return test::PurgeonCallsIn(folder_); }
    bool WaitForCalls(size_t count) {
        return test::WaitUntil([&] { return Calls().size() >= count; }, 10000);
    }
    // Each started Purgeon shows its window a moment after it recorded its call.
    static bool WaitForPurgeonWindows(int count) {
        return test::WaitUntil([&] { return PurgeonWindows() == count; }, 10000);
    }
    static int PurgeonWindows() {
        int count = 0;
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, companion::kWindowClass, companion::kWindowTitle));)
            ++count;
        return count;
    }

    test::TempFolder tmp_;
    std::string folder_;
};

// Three launches in a row start three Purgeons, though the first still runs.
TEST_F(Launch, StartsPurgeonEachTimeWithTheCallersParameters) {
    InstallPurgeon();
    LaunchCompanion(nullptr);
    ASSERT_TRUE(WaitForCalls(1));
    LaunchCompanion(nullptr, companion::kStartupArgument);
    ASSERT_TRUE(WaitForCalls(2));
    LaunchCompanion(nullptr, companion::kCleanArgument);
    ASSERT_TRUE(WaitForCalls(3));
    // The shell puts one blank between the quoted path and the parameters,
    // which keep their own leading blank.
    EXPECT_EQ((std::vector<std::string>{"", "  /STARTUP", "  /CLEAN"}), Calls());
    EXPECT_TRUE(WaitForPurgeonWindows(3));
}

HWND g_infoWindow;
std::string g_infoText;
void CALLBACK AnswerInformation(HWND, UINT, UINT_PTR, DWORD) {
    HWND info = FindWindowA("TForm3", "Information");
    if (!info || !IsWindowVisible(info)) return;
    g_infoWindow = info;
    g_infoText = test::WindowText(test::FindChildByText(info, "File Purgeon.exe not found!"));
    test::PostClick(test::FindChildByText(info, "OK"));
}

TEST_F(Launch, FolderNamedPurgeonExeShowsTheInformationWindow) {
    ResetApplicationState();
    CreateDirectoryA((folder_ + "\\Purgeon.exe").c_str(), nullptr);
    g_infoWindow = nullptr;
    bool followed = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerInformation);
    EXPECT_TRUE(LaunchCompanion(nullptr, companion::kCleanArgument, [&] { followed = true; }));
    EXPECT_FALSE(LaunchCompanion(nullptr));  // the window is up: nothing more
    EXPECT_TRUE(test::WaitUntil([&] { return followed; }, 10000));  // once OK was clicked
    KillTimer(nullptr, timer);
    EXPECT_NE(nullptr, g_infoWindow);
    EXPECT_EQ("File Purgeon.exe not found!", g_infoText);
    EXPECT_FALSE(IsWindow(g_infoWindow));  // destroyed when it closed
    EXPECT_EQ(0, PurgeonWindows());
    EXPECT_TRUE(Calls().empty());
}

}  // namespace
}  // namespace vigilo
