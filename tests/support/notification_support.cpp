#include "support/notification_support.h"

#include <shlobj.h>

#include <optional>
#include <vector>

#include "platform/registry.h"
#include "platform/text.h"
#include "support/test_support.h"

namespace vigilo::test {
namespace {

UniqueKey OpenUninstallKey(const UninstallKey& key) {
    return vigilo::CreateKey(key.root, key.path, KEY_ALL_ACCESS, RegistryView::k64Bit);
}

void RemoveTestSubkeys(const UninstallKey& key) {
    std::vector<std::string> names;
    if (UniqueKey handle = OpenUninstallKey(key))
        for (const std::string& name : SubkeyNames(handle.get()))
            if (name.rfind("VigiloTest", 0) == 0) names.push_back(name);
    for (const std::string& n : names) DeleteKeyTree(key.root, key.path + n);
}

void SetText(HKEY key, const std::string& name, const std::string& value) {
    const std::wstring wide = Utf16(value);
    SetValue(key, name, REG_SZ, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

UninstallKeys::UninstallKeys() {
    for (const UninstallKey* key : {&kMachineUninstall, &kUserUninstall, &kWow64Uninstall}) {
        OpenUninstallKey(*key);
        RemoveTestSubkeys(*key);
    }
}

UninstallKeys::~UninstallKeys() {
    for (const UninstallKey* key : {&kMachineUninstall, &kUserUninstall, &kWow64Uninstall}) RemoveTestSubkeys(*key);
}

void RegisterProgram(const UninstallKey& key, const std::string& subkey, const std::string& displayName,
                     const std::string& publisher, const std::string& releaseType, const std::string& displayIcon) {
    UniqueKey handle = vigilo::CreateKey(key.root, key.path + subkey, KEY_ALL_ACCESS, RegistryView::k64Bit);
    if (!handle) return;
    auto set = [&](const char* name, const std::string& value) {
        if (!value.empty()) SetText(handle.get(), name, value);
    };
    set("DisplayName", displayName);
    set("Publisher", publisher);
    set("ReleaseType", releaseType);
    set("DisplayIcon", displayIcon);
}

void UnregisterProgram(const UninstallKey& key, const std::string& subkey) {
    DeleteKeyTree(key.root, key.path + subkey);
}

namespace {

constexpr const char* kTestCommandFolder = "C:\\VigiloTest\\";
const RunKey* const kRunKeys[] = {&kUserRun,      &kUserRunOnce,  &kMachineRun64,
                                  &kMachineRunOnce64, &kMachineRun32, &kMachineRunOnce32};

UniqueKey OpenRunKey(const RunKey& key) {
    return vigilo::CreateKey(key.root, key.path, KEY_ALL_ACCESS,
                             key.view == KEY_WOW64_32KEY ? RegistryView::k32Bit : RegistryView::k64Bit);
}

void RemoveTestEntries(const RunKey& key) {
    UniqueKey handle = OpenRunKey(key);
    if (!handle) return;
    std::vector<std::string> ours;
    for (const std::string& name : ValueNames(handle.get())) {
        const std::optional<RegistryValue> value = QueryValue(handle.get(), name);
        if (value && value->type == REG_SZ && TextOfValue(*value).rfind(kTestCommandFolder, 0) == 0)
            ours.push_back(name);
    }
    for (const std::string& n : ours) RegDeleteValueW(handle.get(), Utf16(n).c_str());
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
    if (UniqueKey handle = OpenRunKey(key)) SetText(handle.get(), name, kTestCommandFolder + name + ".exe");
    return true;
}

void ChangeStartupEntry(const RunKey& key, const std::string& name) {
    if (UniqueKey handle = OpenRunKey(key)) SetText(handle.get(), name, kTestCommandFolder + name + ".exe /changed");
}

void ChangeStartupProgram(const RunKey& key, const std::string& name) {
    if (UniqueKey handle = OpenRunKey(key))
        SetText(handle.get(), name, kTestCommandFolder + std::string("Replaced\\") + name + ".exe /changed");
}

void RemoveStartupEntry(const RunKey& key, const std::string& name) {
    if (UniqueKey handle = OpenRunKey(key)) RegDeleteValueW(handle.get(), Utf16(name).c_str());
}

bool HasStartupEntry(const RunKey& key, const std::string& name) {
    UniqueKey handle = OpenRunKey(key);
    return handle && QueryValueInfo(handle.get(), name).has_value();
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

void TestShortcuts::Add(int csidl, const std::string& name) { WriteFile(Folder(csidl) + name, "L"); }

std::string TestShortcuts::Folder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::string(path) + "\\";
}

void TestShortcuts::RemoveAll() {
    for (int csidl : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP}) {
        const std::string folder = Folder(csidl);
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "VigiloTest*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) continue;
        do DeleteFileA((folder + found.cFileName).c_str());
        while (FindNextFileA(find, &found));
        FindClose(find);
    }
}

}  // namespace vigilo::test
