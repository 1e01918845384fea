// Vigilo.exe's four notification windows at 144 DPI and at 96. Wine 8 takes
// a process's DPI from HKCU\Control Panel\Desktop\LogPixels when it starts:
// the test sets it before starting Vigilo and puts it back afterwards, also
// when the test fails. Each start raises the four windows one after another
// (a new program, a startup entry, an Internet Explorer add-on, junk), and
// each window must be its designed size and have its controls at their
// designed places, scaled by DPI / 96 (MulDiv rounding), inside the screen.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "platform/date_time.h"
#include "support/extension_support.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

const char* const kDesktop = "Control Panel\\Desktop";
// Where the value stood before the test, should a run end before it could put it back.
const char* const kSaved = "Software\\VigiloTests\\LogPixelsBefore";
constexpr DWORD kAbsent = 0;

// HKCU\Control Panel\Desktop\LogPixels set to dpi for the programs started
// meanwhile, and put back as it was.
class LogPixels {
public:
    explicit LogPixels(DWORD dpi) {
        Restore();  // what an earlier run could not put back
        DWORD before = kAbsent;
        GetDword(HKEY_CURRENT_USER, kDesktop, "LogPixels", before);
        SetDword(HKEY_CURRENT_USER, kSaved, "Value", before);
        SetDword(HKEY_CURRENT_USER, kDesktop, "LogPixels", dpi);
    }
    ~LogPixels() { Restore(); }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;

private:
    static void Restore() {
        DWORD before = kAbsent;
        if (!GetDword(HKEY_CURRENT_USER, kSaved, "Value", before)) return;
        if (before == kAbsent)
            RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels");
        else
            SetDword(HKEY_CURRENT_USER, kDesktop, "LogPixels", before);
        DeleteKeyTree(HKEY_CURRENT_USER, kSaved);
    }
};

// A control of a window as designed, at 96 DPI, found by its class and text;
// width 0: sized to its text, not checked.
struct DesignedControl {
    const char* className;
    const char* text;
    int left, top, width, height;
};
struct DesignedWindow {
    const char* className;
    int width, height;
    std::vector<DesignedControl> controls;
};

// The close button and the box are the frame's; a line of text each window's own.
const DesignedWindow kNewProgram{"TForm2a", 400, 238, {
    {"Button", "Close", 372, 0, 28, 22},
    {"Button", "Don't show new program notifications", 16, 205, 17, 17},
    {"VigiloLabel", "DPI TEST PROGRAM", 72, 88, 0, 20},
    {"VigiloLabel", "For more information or to cleanly uninstall the program use", 16, 144, 361, 34},
}};
const DesignedWindow kStartup{"TForm2c", 400, 238, {
    {"Button", "Close", 372, 0, 28, 22},
    {"Button", "Don't show startup notifications", 16, 205, 17, 17},
    {"VigiloLabel", "VigiloTestDpiEntry", 80, 48, 0, 20},
}};
const DesignedWindow kExtension{"TForm2b", 400, 270, {
    {"Button", "Close", 372, 0, 28, 22},
    {"Button", "Don't show new extensions notifications", 24, 237, 17, 17},
    {"VigiloLabel", "Extensions can be useful add-ons to your browser.", 20, 104, 360, 35},
    {"VigiloLabel", "Check with Purgeon", 112, 196, 0, 17},
}};
const DesignedWindow kJunk{"TForm2d", 400, 270, {
    {"Button", "Close", 372, 0, 28, 22},
    {"Button", "Don't show cleaning notifications", 24, 237, 17, 17},
    {"VigiloLabel", "Recent activity generated a lot of junk files.", 20, 104, 360, 35},
}};

HWND ChildOf(HWND form, const char* className, const std::string& text) {
    for (HWND child : ChildWindows(form))
        if (ClassName(child) == className && WindowText(child) == text) return child;
    return nullptr;
}

std::string Describe(int left, int top, int width, int height) {
    return std::to_string(left) + "," + std::to_string(top) + (width ? " " + std::to_string(width) : " ?") + "x" +
           std::to_string(height);
}

class HighDpi : public ::testing::Test {
protected:
    HighDpi() {
        char cache[MAX_PATH] = "";
        SHGetFolderPathA(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, cache);
        junkFolder_ = std::string(cache) + "\\VigiloDpiTest";
    }
    ~HighDpi() override { RemoveTree(junkFolder_); }

    // Starts Vigilo at dpi, raises the four windows and checks each.
    void RaiseEachWindowAt(DWORD dpi) {
        dpi_ = static_cast<int>(dpi);
        LogPixels logPixels(dpi);
        const double longAgo = vigilo::Now() - 1;
        SetRaw(HKEY_CURRENT_USER, "Software\\Purgeon", "LastCacheNotification", REG_BINARY, &longAgo,
               sizeof(longAgo));
        ASSERT_TRUE(MakeFolders(junkFolder_));
        ASSERT_TRUE(WriteSparseFile(junkFolder_ + "\\f_000dpi", 157286400));
        ASSERT_TRUE(vigilo_.Start());
        ASSERT_TRUE(vigilo_.WaitForMainWindow());
        Sleep(1500);  // the monitors list their baselines

        RegisterProgram(kUserUninstall, "VigiloTestDpi", "Dpi Test Program", "Dpi Ltd");
        CheckAndClose(kNewProgram);
        ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestDpiEntry"));
        CheckAndClose(kStartup);
        SetMachineString(std::string(kIeExtensionsKey) + TestAddOnId("DPI"), "ButtonText", "Dpi Button",
                         vigilo::RegistryView::k64Bit);
        CheckAndClose(kExtension);
        PostMessageA(vigilo_.MainWindow(), WM_TIMER, 1, 0);  // the junk check's tick
        CheckAndClose(kJunk);
        vigilo_.Kill();
    }

    int Scaled(int value) const { return MulDiv(value, dpi_, 96); }

    // Waits for the window, checks it, closes it and waits until it is gone.
    void CheckAndClose(const DesignedWindow& designed) {
        HWND form = WaitForVisibleWindow(vigilo_.ProcessId(), designed.className, 15000);
        ASSERT_NE(form, nullptr) << designed.className;
        RECT r;
        GetWindowRect(form, &r);
        // Its size, its place at the designed distance from the screen's edges, inside the screen.
        EXPECT_EQ(Describe(r.left, r.top, r.right - r.left, r.bottom - r.top),
                  Describe(1920 - Scaled(designed.width) - Scaled(5), 1080 - Scaled(designed.height) - Scaled(60),
                           Scaled(designed.width), Scaled(designed.height)))
            << designed.className;
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 1920 && r.bottom <= 1080) << designed.className;
        for (const DesignedControl& control : designed.controls) {
            HWND child = ChildOf(form, control.className, control.text);
            ASSERT_NE(child, nullptr) << designed.className << ": " << control.text;
            const RECT c = ChildRect(child);
            EXPECT_EQ(Describe(c.left, c.top, control.width ? c.right - c.left : 0, c.bottom - c.top),
                      Describe(Scaled(control.left), Scaled(control.top), Scaled(control.width),
                               Scaled(control.height)))
                << designed.className << ": " << control.text;
        }
        PostMessageA(form, WM_CLOSE, 0, 0);
        // A timed window holds the way for its time even when closed.
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 25000)) << designed.className;
    }

    CleanSettings settings_;
    UninstallKeys uninstallKeys_;
    RunKeys runKeys_;
    IeExtensionKeys ieKeys_;
    VigiloInstall vigilo_{false};
    std::string junkFolder_;
    int dpi_ = 96;
};

}  // namespace

TEST_F(HighDpi, At144DpiEveryWindowIsHalfAsLargeAgainWithItsControlsAtHalfAsFarAgain) { RaiseEachWindowAt(144); }

TEST_F(HighDpi, At96DpiEveryWindowKeepsItsDesignedSizeAndPlaces) { RaiseEachWindowAt(96); }
