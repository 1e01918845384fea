#include "support/notification_support.h"

#include <vector>

#include "support/test_support.h"

namespace vigilo::test {
namespace {

void CreateKey(const UninstallKey& key) {
    HKEY handle = nullptr;
    RegCreateKeyExA(key.root, key.path, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &handle, nullptr);
    if (handle) RegCloseKey(handle);
}

void RemoveTestSubkeys(const UninstallKey& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(key.root, key.path, 0, KEY_READ | KEY_WOW64_64KEY, &handle) != ERROR_SUCCESS) return;
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (std::string(name).rfind("VigiloTest", 0) == 0) names.push_back(name);
    }
    RegCloseKey(handle);
    for (const std::string& n : names) DeleteKeyTree(key.root, key.path + n);
}

}  // namespace

UninstallKeys::UninstallKeys() {
    for (const UninstallKey* key : {&kMachineUninstall, &kUserUninstall, &kWow64Uninstall}) {
        CreateKey(*key);
        RemoveTestSubkeys(*key);
    }
}

UninstallKeys::~UninstallKeys() {
    for (const UninstallKey* key : {&kMachineUninstall, &kUserUninstall, &kWow64Uninstall}) RemoveTestSubkeys(*key);
}

void RegisterProgram(const UninstallKey& key, const std::string& subkey, const std::string& displayName,
                     const std::string& publisher, const std::string& releaseType, const std::string& displayIcon) {
    HKEY handle = nullptr;
    const std::string path = key.path + subkey;
    if (RegCreateKeyExA(key.root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return;
    auto set = [&](const char* name, const std::string& value) {
        if (!value.empty())
            RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
    };
    set("DisplayName", displayName);
    set("Publisher", publisher);
    set("ReleaseType", releaseType);
    set("DisplayIcon", displayIcon);
    RegCloseKey(handle);
}

void UnregisterProgram(const UninstallKey& key, const std::string& subkey) {
    DeleteKeyTree(key.root, key.path + subkey);
}

bool StartWithMonitorsWatching(VigiloInstall& vigilo) {
    if (!vigilo.Start() || !vigilo.WaitForMainWindow()) return false;
    DWORD value = 0;
    if (!WaitUntil([&] { return GetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "CacheNotifier", value); }, 5000))
        return false;
    // The monitors list their baselines right after start-up; nothing
    // outside the process tells when, so give them a moment.
    Sleep(1000);
    return true;
}

HWND VisibleWindowOf(DWORD pid, const char* className) {
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExA(nullptr, hwnd, className, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if ((pid == 0 || owner == pid) && IsWindowVisible(hwnd)) return hwnd;
    }
    return nullptr;
}

HWND WaitForVisibleWindow(DWORD pid, const char* className, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = VisibleWindowOf(pid, className)) != nullptr; }, timeoutMs);
    return found;
}

std::string WindowPlacement(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

HWND ControlAt(HWND form, int x, int y) {
    POINT pt{x, y};
    HWND child = ChildWindowFromPointEx(form, pt, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    return child == form ? nullptr : child;
}

RECT ChildRect(HWND child) {
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

}  // namespace vigilo::test
