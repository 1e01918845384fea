#pragma once
// Helpers for whole-program tests of the extension notifications: Internet
// Explorer's add-on keys in both registry views, and the Chrome and Firefox
// extensions folders of the user the tests run as.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/registry.h"

namespace vigilo::test {

// The three machine-wide keys under which Internet Explorer's add-ons register.
inline constexpr const char* kIeExtensionsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
inline constexpr const char* kIeHelperObjectsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
inline constexpr const char* kIeExplorerBarsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars\\";

// Makes sure the three keys exist in both views, and removes every add-on
// and class registration the tests made (names starting "{VIGILO-TEST"),
// now and on destruction.
class IeExtensionKeys {
public:
    IeExtensionKeys();
    ~IeExtensionKeys();
};

// A test add-on id: "{VIGILO-TEST-<name>}".
std::string TestAddOnId(const std::string& name);
// Writes a REG_SZ value under HKLM\key in view, creating the key ("" names the default value).
void SetMachineString(const std::string& key, const std::string& name, const std::string& value, RegistryView view);

// Where the Chromium-family browsers keep their profiles, below local application data.
inline constexpr const char* kChromeUserData = "Google\\Chrome\\User Data\\";
inline constexpr const char* kEdgeUserData = "Microsoft\\Edge\\User Data\\";
inline constexpr const char* kBraveUserData = "BraveSoftware\\Brave-Browser\\User Data\\";

// The browsers' folders of the user the tests run as, made for a test and
// removed afterwards. A machine with a real Chrome, Edge, Brave or Firefox
// profile is never touched: Usable() is then false and the tests skip.
class BrowserFolders {
public:
    BrowserFolders();
    ~BrowserFolders();
    BrowserFolders(const BrowserFolders&) = delete;
    BrowserFolders& operator=(const BrowserFolders&) = delete;

    bool Usable() const { return usable_; }
    // Chrome's default profile's Extensions folder (made), ending in "\".
    const std::string& ChromeExtensions() const { return chromeExtensions_; }
    // Makes the Extensions folder of profile below userData (one of the
    // k...UserData above); returns it, ending in "\".
    std::string ChromiumExtensions(const std::string& userData, const std::string& profile) const;
    // Adds a profile to profiles.ini, with IsRelative and Path as given (the
    // first is Profile0, the next Profile1, ...), and makes the extensions
    // folder of that profile; returns it, ending in "\".
    std::string FirefoxProfile(const std::string& isRelative, const std::string& path);
    // The Firefox folder, "...\Mozilla\Firefox\".
    const std::string& FirefoxFolder() const { return firefoxFolder_; }

private:
    bool usable_ = false;
    std::string localAppData_;            // ending in "\"
    std::vector<std::string> madeTops_;  // "...\Local\Google", "...\Roaming\Mozilla", ...: removed afterwards
    std::string chromeExtensions_;
    std::string firefoxFolder_;
    std::string profilesIni_;            // the sections written so far
    int firefoxProfiles_ = 0;
};

}  // namespace vigilo::test
