// Files and registry names that other programs write, damaged or odd: the
// language file, Purgeon's SList.txt, Firefox's profiles.ini, and names with
// bytes above 127 or of the greatest length. Nothing crashes or hangs; what
// can be read is read, the rest falls back as a missing file would.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/exclusion_list.h"
#include "core/language_texts.h"
#include "core/path_set.h"
#include "support/monitors_support.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

struct Damaged {
    const char* what;
    std::string content;
};

std::vector<Damaged> DamagedFiles() {
    std::mt19937 random(2048);
    std::string noise(256 * 1024, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    std::string utf16 = "\xFF\xFE";  // "[Tray]\r\nLaunch=Wide\r\n" in UTF-16 LE
    for (char c : std::string("[Tray]\r\nLaunch=Wide\r\n[OptFr]\r\nWIDE=1\r\n[Profile0]\r\nPath=wide\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    return {
        {"random bytes", noise},
        {"one line of 10 MB", "[Tray]\r\nLaunch=" + std::string(10 * 1024 * 1024, 'x')},
        {"no newline at all", "[Tray]\r\nLaunch=Last line\r\n[OptFr]\r\nLASTLINE=1\r\n[Profile0]\r\nPath=last"},
        {"UTF-16 with a byte order mark", utf16},
    };
}

}  // namespace

TEST(MalformedInput, DamagedLanguageFilesGiveTheirTextsOrTheDefaults) {
    TempFolder folder;
    for (const Damaged& file : DamagedFiles()) {
        folder.Write("English.ini", file.content);
        const std::string text = LanguageTexts(folder.File("English.ini")).Get("Tray", "Launch", "Launch Purgeon");
        EXPECT_LE(text.size(), 2047u) << file.what;
        if (std::string(file.what) == "no newline at all") {
            EXPECT_EQ(text, "Last line");
        }
        if (std::string(file.what) == "one line of 10 MB") {
            EXPECT_EQ(text, std::string(2047, 'x'));
        }
    }
}

TEST(MalformedInput, DamagedExclusionListsExcludeAtMostWhatTheyName) {
    TempFolder folder;
    const std::string saved = Paths().programFolder;
    Paths().programFolder = folder.Path();
    for (const Damaged& file : DamagedFiles()) {
        folder.Write("SList.txt", file.content);
        const std::string kept = ApplyExclusionList("Ordinary Program");
        EXPECT_TRUE(kept == "Ordinary Program" || kept.empty()) << file.what;
        if (std::string(file.what) == "no newline at all") {
            EXPECT_EQ(ApplyExclusionList("LastLine Tool"), "");
        }
    }
    Paths().programFolder = saved;
}

TEST(MalformedInput, DamagedProfilesIniStillGivesFirefoxFoldersUnderItsFolder) {
    TempFolder root;
    const std::string firefox = root.Path() + "\\Roaming\\Mozilla\\Firefox";
    CreateDirectoryA((root.Path() + "\\Roaming").c_str(), nullptr);
    CreateDirectoryA((root.Path() + "\\Roaming\\Mozilla").c_str(), nullptr);
    CreateDirectoryA(firefox.c_str(), nullptr);
    ShellFolders shell;
    shell.roamingAppData = root.Path() + "\\Roaming";
    shell.localAppData = root.Path() + "\\Local";
    for (const Damaged& file : DamagedFiles()) {
        WriteFile(firefox + "\\profiles.ini", file.content);
        const PathSet paths = BuildPathSet(root.Path(), shell);
        EXPECT_EQ(paths.firefoxExtensionsFolder.rfind(firefox, 0), 0u) << file.what << ": " << paths.firefoxExtensionsFolder;
        for (const FirefoxProfile& profile : paths.firefoxProfiles)
            EXPECT_EQ(profile.folder.rfind(firefox, 0), 0u) << file.what << ": " << profile.folder;
        if (std::string(file.what) == "no newline at all") {
            EXPECT_EQ(paths.firefoxProfileFolder, firefox + "\\last\\");
            ASSERT_EQ(paths.firefoxProfiles.size(), 1u);
            EXPECT_EQ(paths.firefoxProfiles[0].localFolder, root.Path() + "\\Local\\Mozilla\\Firefox\\last\\");
        }
    }
}

TEST(MalformedInput, NamesWithHighBytesAndOfTheLongestLengthAreListedWhole) {
    ScratchKey key("MalformedNames");
    const std::string high = "Caf\xC3\xA9 \xC3\x84pfel \xE2\x98\x83";  // "Café Äpfel ☃"
    const std::string longest(255, 'N');  // the longest key name; value names may be longer
    const std::string longValue = high + std::string(16383 - Utf16Length(high), 'v');  // the longest value name
    SetString(HKEY_CURRENT_USER, key.Path() + "\\" + high, "", "x");
    // Wine's ANSI call refuses to create a key name of 255 characters; Windows and the wide call do not.
    const std::wstring wide = std::wstring(key.Path().begin(), key.Path().end()) + L"\\" + std::wstring(255, L'N');
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr,
                              &created, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(created);
    SetString(HKEY_CURRENT_USER, key.Path(), high, "x");
    SetString(HKEY_CURRENT_USER, key.Path(), longValue, "x");

    const std::vector<std::string> subkeys = ListedNames(HKEY_CURRENT_USER, key.Path(), KeyListing::Subkeys);
    EXPECT_EQ(AddedNames({}, subkeys).size(), 2u);
    EXPECT_TRUE(AddedNames(subkeys, {high, longest}).empty());
    const std::vector<std::string> values = ListedNames(HKEY_CURRENT_USER, key.Path());
    EXPECT_EQ(values.size(), 2u);
    EXPECT_EQ(AddedNames({high}, values), std::vector<std::string>{longValue});
}
