#include "support/notification_program.h"

#include "support/notification_support.h"
#include "support/ui_support.h"

namespace vigilo::test {
namespace {
const char* const kSettings = "Software\\Purgeon";
}  // namespace

void NotificationProgram::StartVigilo(bool withPurgeon, const std::vector<std::string>& environment) {
    vigilo_ = std::make_unique<VigiloInstall>(withPurgeon);
    ASSERT_TRUE(environment.empty() ? vigilo_->Start() : vigilo_->StartCapturingStandardError(environment));
    ASSERT_TRUE(vigilo_->WaitForMainWindow());
    DWORD value = 0;
    ASSERT_TRUE(WaitUntil([&] { return GetDword(HKEY_CURRENT_USER, kSettings, "CacheNotifier", value); }, 5000));
    // Each watch keeps its first listing under Vigilo\Kept right after
    // start-up; what is written before it lists its place would be taken in
    // silently where nothing was kept yet (a new prefix). Wait until no new
    // listing has come for a second: in a new prefix sixty watches take
    // seconds under load.
    DWORD listed = KeptListingCount(), quietSince = GetTickCount();
    const DWORD start = quietSince;
    while ((listed == 0 || GetTickCount() - quietSince < 1000) && GetTickCount() - start < 30000) {
        Sleep(100);
        if (const DWORD now = KeptListingCount(); now != listed) listed = now, quietSince = GetTickCount();
    }
}

DWORD NotificationProgram::KeptListingCount() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo\\Kept", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return values;
}

bool NotificationProgram::StartPurgeon() const {
    std::string line = "\"" + vigilo_->Folder().File("Purgeon.exe") + "\"";
    STARTUPINFOA si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return WaitUntil([] { return FindWindowA("TForm1a", "Purgeon") != nullptr; }, 10000);
}

HWND NotificationProgram::WaitForWindow(DWORD timeoutMs) const {
    return WaitForVisibleWindow(Pid(), windowClass_, timeoutMs);
}

bool NotificationProgram::NoWindowFor(DWORD ms) const {
    return !WaitUntil([&] { return VisibleWindowOf(Pid(), windowClass_) != nullptr; }, ms);
}

void NotificationProgram::Click(HWND form, POINT at) {
    HWND control = ControlAt(form, at.x, at.y);
    ASSERT_NE(control, nullptr);
    PostClick(control);
}

bool NotificationProgram::Gone(HWND form) {
    return WaitUntil([&] { return !IsWindow(form) || !IsWindowVisible(form); }, 10000);
}

DWORD NotificationProgram::Setting(const char* name) {
    DWORD value = 99;
    GetDword(HKEY_CURRENT_USER, kSettings, name, value);
    return value;
}

void NotificationProgram::ForgetSetting() const { RegDeleteKeyValueA(HKEY_CURRENT_USER, kSettings, setting_); }

DWORD NotificationProgram::WrittenSetting() const {
    WaitUntil([&] { return Setting(setting_) != 99; }, 10000);
    return Setting(setting_);
}

void NotificationProgram::ExpectPlacedOnTop(HWND form, const char* title, int height) {
    EXPECT_EQ(WindowText(form), title);
    RECT rc;
    GetWindowRect(form, &rc);
    EXPECT_EQ(rc.left, 1515);
    EXPECT_EQ(rc.top, 1080 - 60 - height);
    EXPECT_EQ(rc.right - rc.left, 400);
    EXPECT_EQ(rc.bottom - rc.top, height);
    EXPECT_TRUE(GetWindowLongA(form, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

void NotificationProgram::ExpectLinkStartsPurgeon(HWND form, POINT at, const char* linkText,
                                                  const char* arguments) {
    HWND link = ControlAt(form, at.x, at.y);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(WindowText(link), linkText);
    PostClick(link);
    ASSERT_TRUE(Gone(form));
    ASSERT_TRUE(WaitUntil([&] { return vigilo_->PurgeonCalls().size() == 1; }, 10000));
    EXPECT_EQ(vigilo_->PurgeonCalls()[0], arguments);
    EXPECT_EQ(Setting(setting_), 1u);  // unticked: left as it was
}

}  // namespace vigilo::test
