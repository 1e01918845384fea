// Settings of every wrong type and size, as another program or a damaged
// registry may leave them: Vigilo shows the error box where a boolean is
// read, carries on or ends as each setting's reader says, never crashes,
// and never overwrites what it found. (What follows a click on OK is tested
// once, in startup_test; here each copy is ended once it has shown its box,
// which spares Wine's two-second stall of closing it.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

using namespace vigilo::test;

namespace {

const std::string kSettings = "Software\\Purgeon";
const HKEY kCu = HKEY_CURRENT_USER;

struct WrongValue {
    const char* what;
    DWORD type;
    std::string data;
    // What the boolean reader says of it: the value does not fit its four bytes, or is not a DWORD.
    const char* error;
};

std::vector<WrongValue> WrongValues() {
    return {
        // Texts as stored, in UTF-16: "1" fits four bytes, the multi-string "1" does not.
        {"a DWORD written as text", REG_SZ, std::string("1\0\0\0", 4), "Invalid data type for"},
        {"0 bytes of binary", REG_BINARY, "", "Invalid data type for"},
        {"4 bytes of binary", REG_BINARY, std::string("\1\0\0\0", 4), "Invalid data type for"},
        {"7 bytes of binary", REG_BINARY, std::string(7, '\1'), "Failed to get data for"},
        {"9 bytes of binary", REG_BINARY, std::string(9, '\1'), "Failed to get data for"},
        {"a multi-string", REG_MULTI_SZ, std::string("1\0\0\0\0\0", 6), "Failed to get data for"},
        {"a typeless value", REG_NONE, "", "Invalid data type for"},
    };
}

void Write(const char* name, const WrongValue& value) {
    SetRaw(kCu, kSettings, name, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
}

bool Unchanged(const char* name, const WrongValue& value) {
    DWORD type = 0, size = 0;
    return GetValueInfo(kCu, kSettings, name, type, size) && type == value.type && size == value.data.size();
}

HWND WaitForErrorBox(DWORD pid) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindTopWindow("#32770", "Vigilo", pid)) != nullptr; }, 10000);
    return box;
}

std::string TextOf(HWND box) {
    std::string all;
    for (HWND child : ChildWindows(box)) all += WindowText(child) + "\n";
    return all;
}

const char* const kReadAsBooleans[] = {"NewAppNotifier", "NewToolbarNotifier", "StartupNotifier", "CacheNotifier",
                                       "UninstallNotifier"};

}  // namespace

TEST(BadSettings, AWrongGuardEnabledShowsTheErrorAndEndsWithoutStarting) {
    for (const WrongValue& value : WrongValues()) {
        CleanSettings settings;
        Write("GuardEnabled", value);
        VigiloInstall vigilo(false);
        ASSERT_TRUE(vigilo.Start());
        HWND box = WaitForErrorBox(vigilo.ProcessId());
        ASSERT_NE(box, nullptr) << value.what;
        EXPECT_NE(TextOf(box).find(std::string(value.error) + " 'GuardEnabled'"), std::string::npos)
            << value.what << ": " << TextOf(box);
        EXPECT_EQ(vigilo.MainWindow(), nullptr);
        EXPECT_TRUE(Unchanged("GuardEnabled", value)) << value.what;
        vigilo.Kill();
    }
}

TEST(BadSettings, WrongNotifierLanguageAndDateSettingsShowTheErrorAndVigiloRunsOn) {
    for (const WrongValue& value : WrongValues()) {
        CleanSettings settings;
        for (const char* name : kReadAsBooleans) Write(name, value);
        Write("Language", value);
        Write("LastCacheNotification", value);
        VigiloInstall vigilo(false);
        ASSERT_TRUE(vigilo.Start());
        // The monitors are started group by group; the first group's setting stops the start.
        HWND box = WaitForErrorBox(vigilo.ProcessId());
        ASSERT_NE(box, nullptr) << value.what;
        EXPECT_NE(TextOf(box).find(std::string(value.error) + " 'StartupNotifier'"), std::string::npos)
            << value.what << ": " << TextOf(box);
        EXPECT_TRUE(vigilo.Running()) << value.what;
        EXPECT_NE(vigilo.MainWindow(), nullptr);
        for (const char* name : kReadAsBooleans) EXPECT_TRUE(Unchanged(name, value)) << value.what << " " << name;
        EXPECT_TRUE(Unchanged("Language", value)) << value.what;
        EXPECT_TRUE(Unchanged("LastCacheNotification", value)) << value.what;
        vigilo.Kill();
    }
}

// Each restart request that arrived while the box was up opened another box
// inside it: a flood of them nested boxes until the stack ran out.
TEST(BadSettings, RestartRequestsWhileTheErrorBoxIsUpOpenNoSecondBox) {
    CleanSettings settings;
    Write("StartupNotifier", WrongValues().front());
    VigiloInstall vigilo(false);
    ASSERT_TRUE(vigilo.Start());
    ASSERT_NE(WaitForErrorBox(vigilo.ProcessId()), nullptr);
    HWND main = vigilo.MainWindow();
    ASSERT_NE(main, nullptr);
    for (int i = 0; i < 50; ++i) {
        PostMessageA(main, WM_USER + 111, 0, 0);
        Sleep(30);  // one at a time, as a burst is served by one restart
    }
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
    Sleep(1000);
    const DWORD pid = vigilo.ProcessId();
    int boxes = 0;
    for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(box, &owner);
        if (owner == pid) ++boxes;
    }
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(vigilo.Running());
    vigilo.Kill();
}
