// The language file and Purgeon's exclusion list are read once and again
// only when they changed; a file that changes while it is read is not
// taken. Reads are counted, and files changed mid-read, through the
// text-file layer's reader seam.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/exclusion_list.h"
#include "core/language_texts.h"
#include "core/path_set.h"
#include "platform/text_file.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

std::atomic<int> g_reads{0};
std::string g_rewriteDuringRead;  // the file a read rewrites, once
std::string g_rewriteWith;

std::optional<std::string> CountedRead(const std::string& path) {
    ++g_reads;
    std::optional<std::string> bytes = ReadFileBytes(path);
    if (!g_rewriteDuringRead.empty() && path == g_rewriteDuringRead) {
        g_rewriteDuringRead.clear();
        WriteFile(path, g_rewriteWith);  // the fault: a writer comes between the read and the second look
    }
    return bytes;
}

// The reader seam counts reads; the program folder is a temporary one.
class KeptFiles : public ::testing::Test {
protected:
    void SetUp() override {
        g_reads = 0;
        g_rewriteDuringRead.clear();
        system_ = SetFileBytesReader(&CountedRead);
        savedProgramFolder_ = Paths().programFolder;
        Paths().programFolder = folder_.Path();
    }
    void TearDown() override {
        SetFileBytesReader(system_);
        Paths().programFolder = savedProgramFolder_;
        Language() = LanguageTexts();
    }
    static std::string Launch() { return Text(texts::kTrayLaunch); }
    // Writes the file anew in place, with a last-write time of its own.
    void Rewrite(const std::string& name, const std::string& content) {
        const std::string path = folder_.File(name);
        WriteFile(path, content);
        HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        FILETIME stamp{static_cast<DWORD>(++seconds_ * 10000000), 0x01D00000};
        SetFileTime(file, nullptr, nullptr, &stamp);
        CloseHandle(file);
    }
    // Puts a new file whole in the place of name, as a careful writer does.
    void Replace(const std::string& name, const std::string& content) {
        Rewrite(name + ".new", content);
        // Windows refuses to replace a file while a reader has it open: try again.
        ASSERT_TRUE(WaitUntil([&] {
            return MoveFileExA(folder_.File(name + ".new").c_str(), folder_.File(name).c_str(),
                               MOVEFILE_REPLACE_EXISTING) != FALSE;
        }, 5000));
    }

    TempFolder folder_;
    std::string savedProgramFolder_;
    FileBytesReader system_ = nullptr;
    int seconds_ = 0;
};

}  // namespace

TEST_F(KeptFiles, AnUnchangedLanguageFileIsReadOnceAndAChangedOneGivesItsNewTexts) {
    Rewrite("English.ini", "[Tray]\r\nLaunch=Start it\r\n");
    Language() = LanguageTexts(folder_.File("English.ini"));
    for (int i = 0; i < 20; ++i) EXPECT_EQ(Launch(), "Start it");
    EXPECT_EQ(g_reads, 1);

    Rewrite("English.ini", "[Tray]\r\nLaunch=Start Purgeon now\r\n");  // another size
    EXPECT_EQ(Launch(), "Start Purgeon now");
    Rewrite("English.ini", "[Tray]\r\nLaunch=Go Purgeon, go!!\r\n");  // the same size, a later time
    EXPECT_EQ(Launch(), "Go Purgeon, go!!");
    EXPECT_EQ(g_reads, 3);

    ASSERT_TRUE(DeleteFileA(folder_.File("English.ini").c_str()));
    EXPECT_EQ(Launch(), "Launch Purgeon");  // gone: the defaults
    EXPECT_EQ(g_reads, 3);
}

// Same size and time: only the file index tells that another file took its place.
TEST_F(KeptFiles, AnotherFilePutInThePlaceOfTheLanguageFileIsReadAgain) {
    Rewrite("English.ini", "[Tray]\r\nLaunch=First one\r\n");
    Language() = LanguageTexts(folder_.File("English.ini"));
    EXPECT_EQ(Launch(), "First one");
    --seconds_;
    Replace("English.ini", "[Tray]\r\nLaunch=Other one\r\n");
    EXPECT_EQ(Launch(), "Other one");
    EXPECT_EQ(g_reads, 2);
}

TEST_F(KeptFiles, ALanguageFileChangedWhileItIsReadKeepsThePreviousTextsUntilItIsWhole) {
    Rewrite("English.ini", "[Tray]\r\nLaunch=Old text\r\n");
    Language() = LanguageTexts(folder_.File("English.ini"));
    EXPECT_EQ(Launch(), "Old text");
    g_rewriteDuringRead = folder_.File("English.ini");
    g_rewriteWith = "[Tray]\r\nLaunch=New text, written in two goes\r\n";
    Rewrite("English.ini", "[Tray]\r\nLaunch=Half\r\n");
    EXPECT_EQ(Launch(), "Old text");
    EXPECT_EQ(Launch(), "New text, written in two goes");
    EXPECT_EQ(g_reads, 3);
}

TEST_F(KeptFiles, TheExclusionListIsReadOnceUntilItChangesAndNewNamesCountAtOnce) {
    EXPECT_EQ(ApplyExclusionList("Updater"), "Updater");  // no list: nothing excluded
    EXPECT_EQ(g_reads, 0);
    Rewrite("SList.txt", "[OptFr]\r\nupdat=1\r\n");
    for (int i = 0; i < 20; ++i) EXPECT_EQ(ApplyExclusionList("Some Updater"), "");
    EXPECT_EQ(ApplyExclusionList("Helper"), "Helper");
    EXPECT_EQ(g_reads, 1);

    Rewrite("SList.txt", "[OptFr]\r\nupdat=1\r\nhelp=1\r\n");
    EXPECT_EQ(ApplyExclusionList("Helper"), "");
    g_rewriteDuringRead = folder_.File("SList.txt");
    g_rewriteWith = "[OptFr]\r\nnothing=1\r\n";
    Rewrite("SList.txt", "[OptFr]\r\n");
    EXPECT_EQ(ApplyExclusionList("Helper"), "");  // the half-written list is not taken
    EXPECT_EQ(ApplyExclusionList("Helper"), "Helper");
    EXPECT_EQ(ApplyExclusionList("nothing"), "");
    EXPECT_EQ(g_reads, 4);
}

// Monitor threads check names while the list is rewritten: each answer is
// the old list's or the new one's, and nothing breaks.
TEST_F(KeptFiles, TheExclusionListServesManyThreadsWhileItChanges) {
    Rewrite("SList.txt", "[OptFr]\r\nalpha=1\r\n");
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> checkers;
    for (int t = 0; t < 4; ++t)
        checkers.emplace_back([&] {
            while (!stop) {
                const std::string answer = ApplyExclusionList("alpha beta");
                if (!answer.empty()) ++wrong;  // both lists exclude it
                Sleep(1);  // a file that is open all the time cannot be replaced
            }
        });
    for (int i = 0; i < 20; ++i) Replace("SList.txt", i % 2 ? "[OptFr]\r\nalpha=1\r\n" : "[OptFr]\r\nbeta=1\r\n");
    stop = true;
    for (std::thread& checker : checkers) checker.join();
    EXPECT_EQ(wrong, 0);
}
