// The helpers every watch shares: the listings of a key, the diffs of two
// listings, the exclusion list and the companion check.
#include <gtest/gtest.h>

#include <thread>

#include "core/path_set.h"
#include "core/companion_running.h"
#include "core/exclusion_list.h"
#include "core/listing.h"
#include "platform/text.h"
#include "support/monitors_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;

// Points the program folder at a temp folder with the given "SList.txt".
class ExclusionList : public ::testing::Test {
protected:
    void SetUp() override {
        savedFolder_ = Paths().programFolder;
        Paths().programFolder = folder_.Path();
    }
    void TearDown() override { Paths().programFolder = savedFolder_; }
    void Write(const std::string& content) { folder_.Write("SList.txt", content); }
    TempFolder folder_;
    std::string savedFolder_;
};

std::string Ansi(const wchar_t* text) {
    char buffer[256] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr);
    return buffer;
}

}  // namespace

TEST(ListNames, ListsSubkeysAndValuesInEnumerationOrderAndNothingForAMissingKey) {
    ScratchKey key("ListNames");
    SetString(kCu, key.Path(), "Beta", "b");
    SetString(kCu, key.Path(), "Alpha", "a");
    SetDword(kCu, key.Path() + "\\Zulu", "", 0);
    SetDword(kCu, key.Path() + "\\Echo", "", 0);
    std::string longName(300, 'v');
    SetString(kCu, key.Path(), longName, "long value names are listed whole");

    using Names = std::vector<std::string>;
    EXPECT_EQ(ListedNames(kCu, key.Path(), KeyListing::Subkeys), (Names{"Echo", "Zulu"}));
    EXPECT_TRUE(AddedNames(ListedNames(kCu, key.Path()), {"Alpha", "Beta", longName}).empty());
    EXPECT_EQ(ListedNames(kCu, key.Path()).size(), 3u);
    EXPECT_TRUE(ListedNames(kCu, key.Path() + "\\Missing", KeyListing::Subkeys).empty());
}

TEST(AddedAndRemovedEntries, EveryUnmatchedEntryInOrderWholeNamesLetterCaseIgnoredEachOnce) {
    using Names = std::vector<std::string>;
    const Names older{"Alpha", "Beta", "Gamma"};
    EXPECT_EQ(AddedNames(older, {"alpha", "Delta", "BETA", "Epsilon", "gamma", "delta"}), (Names{"Delta", "Epsilon"}));
    EXPECT_EQ(AddedNames(older, {"GAMMA", "beta"}), Names{});
    EXPECT_EQ(AddedNames(older, {"Alpha ", "Alph"}), (Names{"Alpha ", "Alph"}));
    const std::vector<ListedEntry> removed = RemovedEntries(ListingOf(older), ListingOf({"ALPHA", "Delta"}));
    ASSERT_EQ(removed.size(), 2u);
    EXPECT_EQ(removed[1].name, "Gamma");
}

TEST_F(ExclusionList, AKeyNameContainedInTheNameInAnyCaseExcludesIt) {
    Write("[Other]\nEditor=1\n[OptFr]\nfOObar=1\nSpy Tool=\n");
    EXPECT_EQ(ApplyExclusionList("My FooBar Deluxe"), "");
    EXPECT_EQ(ApplyExclusionList("SPY TOOL 2"), "");
    EXPECT_EQ(ApplyExclusionList("Foo Bar"), "Foo Bar");
    EXPECT_EQ(ApplyExclusionList("Text Editor"), "Text Editor");  // other sections do not count
    EXPECT_EQ(ApplyExclusionList(""), "");
}

TEST_F(ExclusionList, EmptySectionOrMissingFileExcludesNothing) {
    EXPECT_EQ(ApplyExclusionList("Anything"), "Anything");  // no file
    Write("[OptFr]\n[Next]\nAnything=1\n");
    EXPECT_EQ(ApplyExclusionList("Anything"), "Anything");
    Write("[OptFr]\n=orphan value\n");
    EXPECT_EQ(ApplyExclusionList("Anything"), "Anything");
}

TEST_F(ExclusionList, KeyNamesBeyondWhatTheProfileFunctionsReturnAreIgnored) {
    std::string content = "[OptFr]\nEarlyName=1\n";
    for (int i = 0; i < 2000; ++i) content += "Filler" + std::to_string(100000 + i) + "=1\n";  // 26 KB of names
    content += "LateName=1\n";
    Write(content);
    EXPECT_EQ(ApplyExclusionList("x EARLYNAME x"), "");
    EXPECT_EQ(ApplyExclusionList("FILLER100500"), "");
    EXPECT_EQ(ApplyExclusionList("LateName"), "LateName");
    EXPECT_EQ(ApplyExclusionList("FILLER101999"), "FILLER101999");
    // Whatever part of a name the cut left is not taken as a name.
    EXPECT_EQ(ApplyExclusionList("Filler1"), "Filler1");
}

TEST_F(ExclusionList, BytesAboveAsciiAreNotCaseMapped) {
    const std::string key = Ansi(L"\u00dcn\u00efc\u00f6d\u00e9");         // Ünïcödé
    // The list is in the system code page; the names Vigilo holds are UTF-8.
    const std::string same = Utf8(L"x \u00dcN\u00efC\u00f6D\u00e9 x");     // only a-z upper-cased
    const std::string upper = Utf8(L"\u00dcN\u00cfC\u00d6D\u00c9");        // ÜNÏCÖDÉ
    ASSERT_EQ(key.size(), 7u);
    Write("[OptFr]\n" + key + "=1\n");
    EXPECT_EQ(ApplyExclusionList(same), "");
    EXPECT_EQ(ApplyExclusionList(upper), upper);
}

TEST(IsCompanionRunning, TrueExactlyWhileThePurgeonWindowExists) {
    EndPurgeons();
    EXPECT_FALSE(IsCompanionRunning());
    TempFolder folder;
    const std::string programFolder = std::exchange(Paths().programFolder, folder.Path());  // Purgeon.exe beside Vigilo
    const std::string exe = folder.File("Purgeon.exe");
    ASSERT_TRUE(CopyFileA((BinFolder() + "\\Purgeon.exe").c_str(), exe.c_str(), FALSE));

    STARTUPINFOA si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + exe + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.Path().c_str(), &si,
                               &pi));
    CloseHandle(pi.hThread);
    EXPECT_TRUE(WaitUntil([] { return IsCompanionRunning(); }, 10000));
    EndPurgeons();
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 5000), WAIT_OBJECT_0);
    CloseHandle(pi.hProcess);
    EXPECT_FALSE(IsCompanionRunning());
    Paths().programFolder = programFolder;
}
