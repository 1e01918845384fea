#include "support/extension_support.h"

#include <vector>

#include "core/path_set.h"
#include "platform/file_system.h"
#include "support/private_wine_prefix.h"
#include "support/test_support.h"

namespace vigilo::test {
namespace {

constexpr const char* kTestPrefix = "{VIGILO-TEST";
constexpr RegistryView kViews[] = {RegistryView::k64Bit, RegistryView::k32Bit};

void DeleteTree(HKEY root, const std::string& key, RegistryView view) {
    if (UniqueKey k = OpenKey(root, key, KEY_ALL_ACCESS, view)) RegDeleteTreeA(k.get(), nullptr);
    RegDeleteKeyExA(root, key.c_str(), ViewFlag(view), 0);
}

// Deletes the subkeys of HKLM\key whose names start with the test prefix.
void RemoveTestSubkeys(const std::string& key, RegistryView view) {
    std::vector<std::string> names;
    if (UniqueKey k = OpenKey(HKEY_LOCAL_MACHINE, key, KEY_READ, view)) {
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof(name);
            if (RegEnumKeyExA(k.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            if (std::string(name).rfind(kTestPrefix, 0) == 0) names.push_back(name);
        }
    }
    for (const std::string& name : names) DeleteTree(HKEY_LOCAL_MACHINE, key + name, view);
}

void RemoveTestRegistrations() {
    for (RegistryView view : kViews)
        for (const char* key : {kIeExtensionsKey, kIeHelperObjectsKey, kIeExplorerBarsKey, "SOFTWARE\\Classes\\CLSID\\"})
            RemoveTestSubkeys(key, view);
}

}  // namespace

IeExtensionKeys::IeExtensionKeys() {
    for (RegistryView view : kViews)
        for (const char* key : {kIeExtensionsKey, kIeHelperObjectsKey, kIeExplorerBarsKey})
            CreateKey(HKEY_LOCAL_MACHINE, key, KEY_READ, view);
    RemoveTestRegistrations();
}

IeExtensionKeys::~IeExtensionKeys() { RemoveTestRegistrations(); }

std::string TestAddOnId(const std::string& name) { return std::string(kTestPrefix) + "-" + name + "}"; }

void SetMachineString(const std::string& key, const std::string& name, const std::string& value, RegistryView view) {
    UniqueKey k = CreateKey(HKEY_LOCAL_MACHINE, key, KEY_SET_VALUE, view);
    if (k)
        RegSetValueExA(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
}

BrowserFolders::BrowserFolders() {
    const ShellFolders shell = QueryShellFolders();
    if (shell.localAppData.empty() || shell.roamingAppData.empty()) return;
    localAppData_ = WithTrailingBackslash(shell.localAppData);
    const std::vector<std::string> tops{localAppData_ + "Google", localAppData_ + "Microsoft\\Edge",
                                        localAppData_ + "BraveSoftware", localAppData_ + "Mozilla",
                                        WithTrailingBackslash(shell.roamingAppData) + "Mozilla"};
    // In the tests' private prefix no browser ever ran: what is there is
    // left by an earlier test whose Vigilo still held a folder when it was
    // removed. Elsewhere it may be a real browser's data, never touched.
    if (WhyNotInPrivateWinePrefix().empty())
        for (const std::string& top : tops) RemoveTree(top);
    for (const std::string& top : tops)
        if (DirectoryExists(top)) return;
    usable_ = true;
    madeTops_ = tops;
    chromeExtensions_ = ChromiumExtensions(kChromeUserData, "Default");
    firefoxFolder_ = tops.back() + "\\Firefox\\";
    MakeFolders(firefoxFolder_);
    profilesIni_ = "[General]\r\nStartWithLastProfile=1\r\n";
}

BrowserFolders::~BrowserFolders() {
    for (const std::string& top : madeTops_) RemoveTree(top);
}

std::string BrowserFolders::ChromiumExtensions(const std::string& userData, const std::string& profile) const {
    const std::string extensions = localAppData_ + userData + profile + "\\Extensions\\";
    MakeFolders(extensions);
    return extensions;
}

std::string BrowserFolders::FirefoxProfile(const std::string& isRelative, const std::string& path) {
    profilesIni_ += "\r\n[Profile" + std::to_string(firefoxProfiles_++) + "]\r\nName=default\r\nIsRelative=" +
                    isRelative + "\r\nPath=" + path + "\r\nDefault=1\r\n";
    WriteFile(firefoxFolder_ + "profiles.ini", profilesIni_);
    std::string folder = path;
    for (char& c : folder)
        if (c == '/') c = '\\';
    if (isRelative != "0") folder = firefoxFolder_ + folder;
    const std::string extensions = folder + "\\extensions\\";
    MakeFolders(extensions);
    return extensions;
}

}  // namespace vigilo::test
