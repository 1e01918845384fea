// An extension's own name where the watch found only its id: Chromium's
// newest version's manifest and its default locale, Firefox's list of
// add-ons or the .xpi's manifest, Internet Explorer's registry; and the id
// kept (no name) for a manifest over 1 MiB, broken JSON, a missing message.
#include <gtest/gtest.h>

#include <map>

#include "core/extension_own_name.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "support/registry_sandbox.h"
#include "support/test_support.h"
#include "support/zip_writer.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const std::string kTwoMiBOfBlanks(2 * 1024 * 1024, ' ');

// A Chromium profile's Extensions\<id> folder with its version folders.
class ChromiumExtension {
public:
    ChromiumExtension() { MakeFolders(Folder()); }
    std::string Folder() const { return profile_.File("Extensions\\kbfnbcaeplbcioakkpcpgfkobkghlhen"); }
    void Write(const std::string& relativePath, const std::string& content) const {
        const std::string path = Folder() + "\\" + relativePath;
        MakeFolders(path.substr(0, path.rfind('\\')));
        WriteFile(path, content);
    }

private:
    TempFolder profile_;
};

// A Firefox profile with its extensions folder.
class FirefoxProfileFolder {
public:
    FirefoxProfileFolder() { MakeFolders(Extensions()); }
    std::string Extensions() const { return profile_.File("extensions"); }
    void Write(const std::string& relativePath, const std::string& content) const {
        WriteFile(profile_.File(relativePath), content);
    }

private:
    TempFolder profile_;
};

const std::string kLocalisedManifest =
    R"({"manifest_version": 3, "name": "__MSG_appName__", "default_locale": "en_US", "version": "1.10.0"})";

}  // namespace

TEST(ChromiumExtensionName, TheNewestVersionsManifestWithItsDefaultLocale) {
    ChromiumExtension extension;
    extension.Write("1.9.2_0\\manifest.json", R"({"name": "Old Name"})");
    extension.Write("1.10.0_0\\manifest.json", kLocalisedManifest);
    // Message keys are found in any letter case.
    extension.Write("1.10.0_0\\_locales\\en_US\\messages.json",
                    R"({"APPNAME": {"message": "  Locale Named Extension ", "description": "x"}})");
    extension.Write("2.0.0_0", "a file, not a version folder");
    MakeFolders(extension.Folder() + "\\Temp");
    EXPECT_EQ(ChromiumExtensionOwnName(extension.Folder()), "Locale Named Extension");
}

TEST(ChromiumExtensionName, VersionsCompareAsNumbers) {
    EXPECT_EQ(NewestVersionName({"1.9.2_3", "1.10.0_0", "1.2"}), "1.10.0_0");
    EXPECT_EQ(NewestVersionName({"1.99", "2"}), "2");
    EXPECT_EQ(NewestVersionName({"1.0_1", "1.0_0"}), "1.0_1");
    EXPECT_EQ(NewestVersionName({"abc", "1.a", ".1", "1..2", "1.", "1_", "1_x", "", "Temp",
                                 "1234567890.0", "1.2.3.4.5.6.7.8.9"}),
              "");
}

TEST(ChromiumExtensionName, KeepsTheIdForWhatCannotBeRead) {
    ChromiumExtension extension;
    EXPECT_EQ(ChromiumExtensionOwnName(extension.Folder()), "");  // no version at all
    const std::map<std::string, std::string> refused = {
        {"a manifest of 2 MiB", R"({"name": "Large")" + kTwoMiBOfBlanks + "}"},
        {"broken JSON", R"({"name": "Broken", )"},
        {"no object", R"(["name", "Listed"])"},
        {"a name that is no text", R"({"name": 7})"},
        {"bytes that are no UTF-8", "{\"name\": \"\xC3\x28\"}"},
        {"nesting a million deep", std::string(1024 * 1024 - 1, '[')},
    };
    for (const auto& [fault, manifest] : refused) {
        extension.Write("1.0_0\\manifest.json", manifest);
        EXPECT_EQ(ChromiumExtensionOwnName(extension.Folder()), "") << fault;
    }
    extension.Write("1.0_0\\manifest.json", kLocalisedManifest);
    EXPECT_EQ(ChromiumExtensionOwnName(extension.Folder()), "") << "no messages file";
    extension.Write("1.0_0\\_locales\\en_US\\messages.json", R"({"otherKey": {"message": "Other"}})");
    EXPECT_EQ(ChromiumExtensionOwnName(extension.Folder()), "") << "a missing key";
    extension.Write("1.0_0\\manifest.json", R"({"name": "__MSG_appName__", "default_locale": "..\\..\\en_US"})");
    EXPECT_EQ(ChromiumExtensionOwnName(extension.Folder()), "") << "a locale that leaves the folder";
    extension.Write("1.0_0\\manifest.json", R"({"name": "Plain Name"} // Chrome allows comments)");
    EXPECT_EQ(ChromiumExtensionOwnName(extension.Folder()), "Plain Name");
    EXPECT_EQ(ChromiumExtensionOwnName("Extensions\\relative"), "");
}

// Chrome and Firefox read JSON files that begin with UTF-8's byte-order mark.
TEST(ExtensionName, FilesBeginningWithAByteOrderMarkAreRead) {
    const std::string mark = "\xEF\xBB\xBF";
    ChromiumExtension chromium;
    chromium.Write("1.0_0\\manifest.json", mark + kLocalisedManifest);
    chromium.Write("1.0_0\\_locales\\en_US\\messages.json", mark + R"({"appName": {"message": "Marked"}})");
    EXPECT_EQ(ChromiumExtensionOwnName(chromium.Folder()), "Marked");

    FirefoxProfileFolder profile;
    ZipWriter xpi;
    xpi.Add("manifest.json", mark + R"({"name": "Marked Xpi"})", true);
    WriteFile(profile.Extensions() + "\\packed@example.org.xpi", xpi.Bytes());
    EXPECT_EQ(FirefoxExtensionOwnName(profile.Extensions(), "packed@example.org.xpi"), "Marked Xpi");
    profile.Write("extensions.json", mark + R"({"addons": [{"id": "packed@example.org", "name": "Marked List"}]})");
    EXPECT_EQ(FirefoxExtensionOwnName(profile.Extensions(), "packed@example.org.xpi"), "Marked List");
}

TEST(FirefoxExtensionName, TheProfilesListOfAddOnsComesFirst) {
    FirefoxProfileFolder profile;
    profile.Write("extensions.json",
                  R"({"schemaVersion": 36, "addons": [{"id": "other@example.org", "defaultLocale": {"name": "Other"}},)"
                  R"({"id": "listed@example.org", "name": "Fallback", "defaultLocale": {"name": "Listed Add-on"}}]})");
    WriteFile(profile.Extensions() + "\\listed@example.org.xpi", "not even a zip");
    EXPECT_EQ(FirefoxExtensionOwnName(profile.Extensions(), "listed@example.org.xpi"), "Listed Add-on");
    EXPECT_EQ(FirefoxExtensionOwnName(profile.Extensions(), "missing@example.org.xpi"), "");
}

TEST(FirefoxExtensionName, ElseTheManifestInsideTheXpiOrItsFolder) {
    FirefoxProfileFolder profile;
    profile.Write("extensions.json", R"({"addons": [)" + kTwoMiBOfBlanks + "]}");  // over 1 MiB: not read
    ZipWriter xpi;
    xpi.Add("icons/icon.png", std::string(3000, 'x'), true);
    xpi.Add("manifest.json", R"({"name": "__MSG_extensionName__", "default_locale": "de"})", true);
    xpi.Add("_locales/de/messages.json", R"({"extensionName": {"message": "Packed Erweiterung"}})", false);
    WriteFile(profile.Extensions() + "\\{12345678-aaaa-bbbb-cccc-1234567890ab}.xpi", xpi.Bytes());
    EXPECT_EQ(FirefoxExtensionOwnName(profile.Extensions(), "{12345678-aaaa-bbbb-cccc-1234567890ab}.xpi"),
              "Packed Erweiterung");

    MakeFolders(profile.Extensions() + "\\unpacked@example.org");
    WriteFile(profile.Extensions() + "\\unpacked@example.org\\manifest.json", R"({"name": "Unpacked"})");
    EXPECT_EQ(FirefoxExtensionOwnName(profile.Extensions(), "unpacked@example.org"), "Unpacked");
}

TEST(FirefoxExtensionName, KeepsTheIdForADamagedOrOversizedXpi) {
    FirefoxProfileFolder profile;
    auto nameOf = [&profile](const std::string& bytes) {
        WriteFile(profile.Extensions() + "\\damaged@example.org.xpi", bytes);
        return FirefoxExtensionOwnName(profile.Extensions(), "damaged@example.org.xpi");
    };
    ZipWriter spoiled;
    spoiled.Add("manifest.json", R"({"name": "Spoiled"})", true, true);
    EXPECT_EQ(nameOf(spoiled.Bytes()), "") << "a wrong checksum";
    ZipWriter large;
    large.Add("manifest.json", R"({"name": "Large")" + kTwoMiBOfBlanks + "}", true);
    EXPECT_EQ(nameOf(large.Bytes()), "") << "a manifest of 2 MiB";
    ZipWriter good;
    good.Add("manifest.json", R"({"name": "Good"})", true);
    EXPECT_EQ(nameOf(good.Bytes()), "Good");
    // Cut anywhere short of its end, the archive names nothing.
    const std::string whole = good.Bytes();
    for (size_t length = 0; length < whole.size(); ++length) {
        const std::string name = nameOf(whole.substr(0, length));
        EXPECT_TRUE(name.empty()) << length;
    }
    EXPECT_EQ(FirefoxExtensionOwnName(profile.Extensions(), "..\\escape.xpi"), "");
}

TEST(InternetExplorerAddOnName, ButtonTextThenMenuText) {
    const std::string id = "{5A3F0C1E-0000-4000-8000-00000000001A}";
    const std::string key = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\" + id;
    auto nameOf = [](const std::string& id) {
        return InternetExplorerAddOnOwnName(InternetExplorerAddOnKind::Extension, HKEY_LOCAL_MACHINE, id,
                                            RegistryView::k64Bit);
    };
    SetString(HKEY_LOCAL_MACHINE, key, "MenuText", "&Menu Text");
    EXPECT_EQ(nameOf(id), "&Menu Text");
    SetString(HKEY_LOCAL_MACHINE, key, "ButtonText", " Button Text ");
    EXPECT_EQ(nameOf(id), "Button Text");
    SetString(HKEY_LOCAL_MACHINE, key, "ButtonText", "@ieframe.dll,-1");  // an indirect text is no name
    EXPECT_EQ(nameOf(id), "&Menu Text");
    EXPECT_EQ(nameOf("{5A3F0C1E-0000-4000-8000-00000000001B}"), "");
}

// The classes live under the real HKLM, in both views: keys of the test's own only.
TEST(InternetExplorerAddOnName, HelperObjectsAndBarsByTheirClassInTheSameView) {
    RealLocalMachine realMachineKey;
    const std::string id = "{5A3F0C1E-0000-4000-8000-00000000001C}";
    const std::string key = "SOFTWARE\\Classes\\CLSID\\" + id;
    const std::pair<RegistryView, std::wstring> named[] = {{RegistryView::k64Bit, L"Helper Of The 64-bit View"},
                                                           {RegistryView::k32Bit, L"Toolbar Of The 32-bit View"}};
    for (const auto& [view, name] : named)
        RegSetValueExW(CreateKey(HKEY_LOCAL_MACHINE, key, KEY_SET_VALUE, view).get(), L"", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(name.c_str()), static_cast<DWORD>((name.size() + 1) * 2));
    for (const auto& [view, name] : named) {
        EXPECT_EQ(InternetExplorerAddOnOwnName(InternetExplorerAddOnKind::HelperObjectOrToolbar, HKEY_LOCAL_MACHINE, id,
                                               view),
                  Utf8(name));
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, Utf16(key).c_str(), ViewFlag(view), 0);
    }
}
