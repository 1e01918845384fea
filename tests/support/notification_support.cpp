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

namespace {

constexpr const char* kTestCommandFolder = "C:\\VigiloTest\\";
const RunKey* const kRunKeys[] = {&kUserRun,      &kUserRunOnce,  &kMachineRun64,
                                  &kMachineRunOnce64, &kMachineRun32, &kMachineRunOnce32};

HKEY OpenRunKey(const RunKey& key) {
    HKEY handle = nullptr;
    RegCreateKeyExA(key.root, key.path, 0, nullptr, 0, KEY_ALL_ACCESS | key.view, nullptr, &handle, nullptr);
    return handle;
}

void SetCommand(const RunKey& key, const std::string& name, const std::string& command) {
    if (HKEY handle = OpenRunKey(key)) {
        RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
        RegCloseKey(handle);
    }
}

void RemoveTestEntries(const RunKey& key) {
    HKEY handle = OpenRunKey(key);
    if (!handle) return;
    std::vector<std::string> ours;
    char name[16384];
    char data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof(name), dataSize = sizeof(data) - 1, type = 0;
        const LONG rc = RegEnumValueA(handle, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                                      &dataSize);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
        data[dataSize] = '\0';
        if (std::string(data).rfind(kTestCommandFolder, 0) == 0) ours.push_back(name);
    }
    for (const std::string& n : ours) RegDeleteValueA(handle, n.c_str());
    RegCloseKey(handle);
}

}  // namespace

RunKeys::RunKeys() {
    for (const RunKey* key : kRunKeys) RemoveTestEntries(*key);
}

RunKeys::~RunKeys() {
    for (const RunKey* key : kRunKeys) RemoveTestEntries(*key);
}

bool AddStartupEntry(const RunKey& key, const std::string& name) {
    if (HasStartupEntry(key, name)) return false;
    SetCommand(key, name, kTestCommandFolder + name + ".exe");
    return true;
}

void ChangeStartupEntry(const RunKey& key, const std::string& name) {
    SetCommand(key, name, kTestCommandFolder + name + ".exe /changed");
}

void RemoveStartupEntry(const RunKey& key, const std::string& name) {
    if (HKEY handle = OpenRunKey(key)) {
        RegDeleteValueA(handle, name.c_str());
        RegCloseKey(handle);
    }
}

bool HasStartupEntry(const RunKey& key, const std::string& name) {
    HKEY handle = OpenRunKey(key);
    if (!handle) return false;
    const bool has = RegQueryValueExA(handle, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(handle);
    return has;
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
