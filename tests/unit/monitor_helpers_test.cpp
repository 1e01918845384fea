// The helpers every monitor shares: WaitSeconds, the registry listings, the
// list diffs, the exclusion list and the companion check.
#include <gtest/gtest.h>

#include <thread>

#include "core/path_set.h"
#include "core/companion_running.h"
#include "core/exclusion_list.h"
#include "monitors/registry_listing.h"
#include "monitors/string_list.h"
#include "platform/text.h"
#include "platform/thread.h"
#include "platform/wait_seconds.h"
#include "support/monitors_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;

ULONGLONG MillisecondsOf(int seconds) {
    const ULONGLONG start = GetTickCount64();
    WaitSeconds(seconds);
    return GetTickCount64() - start;
}

// A window of the main thread that counts what it is sent and posted.
class Responder : public Window {
public:
    Responder() {
        RegisterClassOnce("VigiloTestResponder");
        CreateHandle("VigiloTestResponder", "", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 10, 10);
    }
    std::atomic<int> sent{0}, posted{0};

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_APP + 10) return ++sent;
        if (msg == WM_APP + 11) ++posted;
        return Window::OnMessage(msg, wp, lp);
    }
};

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

TEST(WaitSeconds, ZeroSleepsOnceAndTwoTakesTwoToTwoAndAHalfSeconds) {
    const ULONGLONG zero = MillisecondsOf(0);
    EXPECT_GE(zero, 490u);
    EXPECT_LT(zero, 800u);
    const ULONGLONG two = MillisecondsOf(2);
    EXPECT_GE(two, 2000u);
    EXPECT_LE(two, 2550u);
}

TEST(WaitSeconds, MainThreadWindowsStayResponsive) {
    Responder responder;
    std::atomic<bool> waiting{false};
    std::atomic<LRESULT> answer{0};
    std::atomic<ULONGLONG> answeredAfter{0};
    std::thread other([&] {
        WaitUntil([&] { return waiting.load(); }, 5000);
        const ULONGLONG start = GetTickCount64();
        answer = SendMessageA(responder.Handle(), WM_APP + 10, 0, 0);
        answeredAfter = GetTickCount64() - start;
        PostMessageA(responder.Handle(), WM_APP + 11, 0, 0);
    });
    waiting = true;
    WaitSeconds(2);
    waiting = false;
    other.join();
    EXPECT_EQ(answer, 1);
    EXPECT_LT(answeredAfter, 700u);  // served at the next half-second step
    EXPECT_EQ(responder.posted, 1);
}

TEST(ListNames, ListsSubkeysAndValuesInEnumerationOrderAndNothingForAMissingKey) {
    ScratchKey key("ListNames");
    SetString(kCu, key.Path(), "Beta", "b");
    SetString(kCu, key.Path(), "Alpha", "a");
    SetDword(kCu, key.Path() + "\\Zulu", "", 0);
    SetDword(kCu, key.Path() + "\\Echo", "", 0);
    std::string longName(300, 'v');
    SetString(kCu, key.Path(), longName, "long value names are listed whole");

    StringList list{"stale"};
    EXPECT_EQ(ListSubkeyNames(kCu, key.Path(), list), 2);
    EXPECT_EQ(list, (StringList{"Echo", "Zulu"}));
    EXPECT_EQ(ListValueNames(kCu, key.Path(), list), 3);
    EXPECT_TRUE(ContainsName(list, "Alpha") && ContainsName(list, "Beta") && ContainsName(list, longName));
    EXPECT_EQ(ListSubkeyNames(kCu, key.Path() + "\\Missing", list), 0);
    EXPECT_TRUE(list.empty());
}

TEST(FindAddedAndRemoved, ReportTheLastUnmatchedEntryIgnoringLetterCase) {
    const StringList older{"Alpha", "Beta", "Gamma"};
    EXPECT_EQ(FindAdded(older, {"alpha", "Delta", "BETA", "Epsilon", "gamma"}), "Epsilon");
    EXPECT_EQ(FindAdded(older, {"GAMMA", "beta"}), "");
    EXPECT_EQ(FindAdded({}, {}), "");
    EXPECT_EQ(FindAdded(older, {"Alpha "}), "Alpha ");  // whole names only
    EXPECT_EQ(FindAdded(older, {"Alph"}), "Alph");
    EXPECT_EQ(FindRemoved(older, {"ALPHA", "Delta"}), "Gamma");
    EXPECT_EQ(FindRemoved(older, {"gamma", "beta", "alpha"}), "");
}

TEST(FindAddedAndRemoved, TenThousandNamesAreDiffedAtOnce) {
    StringList older;
    for (int i = 0; i < 10000; ++i) older.push_back("Entry" + std::to_string(i));
    StringList fresh = older;
    fresh.insert(fresh.begin() + 5000, "Newcomer");
    const DWORD start = GetTickCount();
    EXPECT_EQ(FindAdded(older, fresh), "Newcomer");
    EXPECT_EQ(FindAdded(fresh, fresh), "");
    EXPECT_EQ(FindRemoved(fresh, older), "Newcomer");
    EXPECT_LT(GetTickCount() - start, 2000u);
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
}
