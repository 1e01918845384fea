// Generated inputs for every reader of data others write: language files,
// Purgeon's SList.txt, Firefox's profiles.ini, and registry values of every
// type and length. Tens of thousands of inputs, built from the pieces these
// formats are made of and from noise; none may crash, hang or hold memory.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <iterator>
#include <random>
#include <string_view>
#include <string>

#include "core/browser_profiles.h"
#include "core/exclusion_list.h"
#include "core/language_texts.h"
#include "core/path_set.h"
#include "core/settings_store.h"
#include "platform/data_path.h"
#include "support/monitors_support.h"
#include "platform/file_system.h"
#include "platform/profile_file.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

constexpr int kParsedInputs = 40000;  // in memory
constexpr int kFileInputs = 2000;     // per file reader, through a real file
constexpr int kRegistryInputs = 3000;

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}
    int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

    // A file of INI pieces, odd line ends, marks, multi-byte fragments and noise.
    std::string File() {
        static const std::string_view kPieces[] = {
            "[", "]", "=", "\r\n", "\n", "\r", " ", "\t", "\"", "'", ";", std::string_view("\0", 1), "Tray", "OptFr",
            "Launch", "Profile", "Profile0", "Path", "IsRelative", "0", "1", "/", "\\", "..", ".", "\\\\server\\share",
            "C:", "\xC3\xA9", "\xE2\x98\x83", "\xF0\x9F\x98\x80", "\xED\xA0\x80", "\xC3", "\xFF", "\x80"};
        std::string text;
        switch (Below(6)) {
            case 0: text = "\xEF\xBB\xBF"; break;
            case 1: text = "\xFF\xFE"; break;
            case 2: text = "\xFE\xFF"; break;
            default: break;
        }
        const int pieces = Below(8) == 0 ? 4000 : Below(120);
        for (int i = 0; i < pieces; ++i) {
            if (Below(10) == 0)
                text.append(static_cast<size_t>(Below(Below(20) == 0 ? 70000 : 40)), static_cast<char>(random_()));
            else
                text += kPieces[Below(static_cast<int>(std::size(kPieces)))];
        }
        return text;
    }
    std::string Name() {
        std::string name = File().substr(0, static_cast<size_t>(Below(300)));
        return Below(50) == 0 ? name + std::string(16000, 'n') : name;
    }

private:
    std::mt19937 random_;
};

SIZE_T PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{sizeof(counters)};
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize;
}

}  // namespace

TEST(OutsideDataFuzz, EveryReaderSurvivesGeneratedInputsInBoundedMemory) {
    Generator generate(20261208);
    TempFolder folder;
    const std::string firefox = folder.Path() + "\\";
    const std::string savedProgramFolder = Paths().programFolder;
    Paths().programFolder = folder.Path();
    int tried = 0;

    for (int i = 0; i < kParsedInputs; ++i, ++tried) {
        const ProfileFile file = ProfileFile::Parse(generate.File());
        for (const std::string& section : file.SectionNames())
            ASSERT_LE(Utf16Length(file.Value(section, "Path", 2047).value_or("")), 2047u);
    }
    for (int i = 0; i < kFileInputs; ++i, tried += 3) {
        folder.Write("English.ini", generate.File());
        ASSERT_LE(Utf16Length(LanguageTexts(folder.File("English.ini")).Get("Tray", "Launch", "d")), 2047u);
        folder.Write("SList.txt", generate.File());
        ApplyExclusionList("Some Program \xE2\x98\x83");
        folder.Write("profiles.ini", generate.File());
        const std::vector<FirefoxProfile> profiles = FirefoxProfiles(firefox, firefox + "local\\");
        ASSERT_LE(profiles.size(), kMostProfilesPerBrowser);
        for (const FirefoxProfile& profile : profiles)
            ASSERT_TRUE(profile.folder.starts_with(firefox) || AcceptedDataPath(profile.folder)) << profile.folder;
    }

    ScratchKey key("Fuzz");
    const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD, REG_QWORD, REG_NONE, 0x7FFF};
    for (int i = 0; i < kRegistryInputs; ++i, ++tried) {
        const std::string name = generate.Name(), data = generate.File();
        SetRaw(HKEY_CURRENT_USER, key.Path(), name, types[generate.Below(static_cast<int>(std::size(types)))], data.data(),
               static_cast<DWORD>(data.size()));
        ReadString(HKEY_CURRENT_USER, key.Path(), name);
        ReadInteger(HKEY_CURRENT_USER, key.Path(), name);
        try {
            ReadBool(HKEY_CURRENT_USER, key.Path(), name);
            ReadFloat(HKEY_CURRENT_USER, key.Path(), name);
        } catch (const SettingsError&) {
        }
        if (i % 100 == 99) {
            ListedNames(HKEY_CURRENT_USER, key.Path());
            DeleteKeyTree(HKEY_CURRENT_USER, key.Path());
        }
    }
    Paths().programFolder = savedProgramFolder;
    std::printf("inputs tried: %d\n", tried);
    EXPECT_LT(PeakWorkingSet(), 256u << 20);
}
