// Extension notifications from end to end: add-ons registered for Internet
// Explorer in either registry view, and entries added to the extensions
// folders of Firefox's profiles and of Chrome's, Edge's and Brave's while
// Vigilo.exe runs, raise the extension window for 20 seconds, naming the
// browser.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "support/extension_support.h"
#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

// A round settles for 6 s; a finding that is not reported by then never is.
constexpr DWORD kNoReportMs = 8000;
// The link "Check with Purgeon".
constexpr POINT kLink{120, 204};
constexpr RegistryView k64 = RegistryView::k64Bit, k32 = RegistryView::k32Bit;

// The logos lie on one spot, stacked in the order of the window's table: IE
// at the bottom, then Firefox, Chrome, and the generic browser's on top.
constexpr RECT kLogoRect{24, 48, 72, 96};
constexpr const char* kLogosBottomUp[] = {"LogoIE", "LogoFF", "LogoCh", "LogoBr"};

std::vector<std::string> VisibleLogos(HWND form) {
    std::vector<HWND> logos;  // bottom first
    for (HWND child = GetWindow(GetWindow(form, GW_CHILD), GW_HWNDLAST); child; child = GetWindow(child, GW_HWNDPREV)) {
        const RECT rect = ChildRect(child);
        if (EqualRect(&rect, &kLogoRect)) logos.push_back(child);
    }
    std::vector<std::string> visible;
    for (size_t i = 0; i < logos.size() && i < std::size(kLogosBottomUp); ++i)
        if (IsWindowVisible(logos[i])) visible.push_back(kLogosBottomUp[i]);
    return visible;
}

class Extension : public NotificationProgram {
protected:
    Extension() : NotificationProgram("TForm2b", "NewToolbarNotifier") {}
    void SetUp() override {
        if (!folders_.Usable()) GTEST_SKIP() << "this user has a real Chrome or Firefox profile";
    }
    // Vigilo goes first: it must not watch the folders while they are removed.
    void TearDown() override { vigilo_.reset(); }
    // Waits for the window and checks that it names browser and shows logo alone.
    HWND ExpectWindowFor(const std::string& browser, const char* logo) {
        HWND form = WaitForWindow();
        EXPECT_NE(form, nullptr) << browser;
        if (!form) return nullptr;
        EXPECT_NE(FindChildByText(form, "New " + browser + " Extension installed."), nullptr) << browser;
        EXPECT_EQ(VisibleLogos(form), std::vector<std::string>{logo});
        return form;
    }
    // With Profile0 of profiles.ini as given, a new add-on in that profile
    // raises the window naming browser.
    void ExpectFirefoxAddOnNames(const char* isRelative, const std::string& path, const std::string& browser,
                                 const char* logo) {
        const std::string extensions = folders_.FirefoxProfile(isRelative, path);
        StartVigilo();
        WriteFile(extensions + "addon@vigilo.test.xpi", "PK");
        EXPECT_NE(ExpectWindowFor(browser, logo), nullptr);
    }
    // An extension's folder added to a profile of a Chromium-family browser
    // raises the window naming browser.
    void ExpectChromiumAddOnNames(const char* userData, const char* profile, const std::string& browser,
                                  const char* logo) {
        const std::string extensions = folders_.ChromiumExtensions(userData, profile);
        StartVigilo();
        AddFolder(extensions + "aaaabbbbccccddddeeeeffffgggghhhh");
        EXPECT_NE(ExpectWindowFor(browser, logo), nullptr);
    }
    static void AddFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

    IeExtensionKeys keys_;
    BrowserFolders folders_;
};

}  // namespace

// One case per watched key or folder: the monitors settle together. A
// 32-bit add-on registers its entry and its class in the 32-bit view; the
// helper named like the excluded extension there would be named by its bare
// id, and so shown, if its class were looked up in the 64-bit view.
TEST_F(Extension, ExcludedAddOnsEditsAndTheBrowsersOwnFoldersShowNothing) {
    const std::string firefox = folders_.FirefoxProfile("1", "Profiles/vigilo.default");
    const std::string bar = std::string(kIeExplorerBarsKey) + TestAddOnId("BAR");
    SetMachineString(bar, "", "Some Bar", k64);
    StartVigilo();

    SetMachineString(std::string(kIeExtensionsKey) + TestAddOnId("LOCKBOX"), "ButtonText", "My LockBox-Vaults", k64);
    const std::string helper = TestAddOnId("HELPER-LOCKBOX");
    SetMachineString("SOFTWARE\\Classes\\CLSID\\" + helper, "", "lockbox-vaults helper", k64);
    SetMachineString(std::string(kIeHelperObjectsKey) + helper, "NoExplorer", "1", k64);
    const std::string helper32 = TestAddOnId("HELPER32-LOCKBOX");
    SetMachineString("SOFTWARE\\Classes\\CLSID\\" + helper32, "", "LockBox-Vaults Helper", k32);
    SetMachineString(std::string(kIeHelperObjectsKey) + helper32, "NoExplorer", "1", k32);
    SetMachineString(bar, "", "Some Bar, renamed", k64);
    AddFolder(folders_.ChromeExtensions() + "Temp");
    AddFolder(firefox + "default");
    EXPECT_TRUE(NoWindowFor(kNoReportMs));
}

TEST_F(Extension, InternetExplorerAddOnShowsTheWindowAtTheBottomRightAfterTheSettleDelay) {
    StartVigilo();
    const DWORD start = GetTickCount();
    SetMachineString(std::string(kIeExtensionsKey) + TestAddOnId("BUTTON"), "ButtonText", "Handy Button", k64);
    HWND form = ExpectWindowFor("Internet Explorer", "LogoIE");
    ASSERT_NE(form, nullptr);
    EXPECT_GE(GetTickCount() - start, 5500u) << "shown before the settle delay";
    ExpectPlacedOnTop(form, "Extension notification", 270);
    ExpectLinkStartsPurgeon(form, kLink, "Check with Purgeon", "");
}

TEST_F(Extension, ThirtyTwoBitHelperObjectShowsTheWindow) {
    StartVigilo();
    const std::string helper = TestAddOnId("HELPER32");
    SetMachineString("SOFTWARE\\Classes\\CLSID\\" + helper, "", "Thirty-Two Bit Helper", k32);
    SetMachineString(std::string(kIeHelperObjectsKey) + helper, "NoExplorer", "1", k32);
    EXPECT_NE(ExpectWindowFor("Internet Explorer", "LogoIE"), nullptr);
}

TEST_F(Extension, TwoChromeExtensionsAtOnceGiveOneWindowThatGoesAfterTwentySecondsWritingNothing) {
    StartVigilo();
    AddFolder(folders_.ChromeExtensions() + "aaaabbbbccccddddeeeeffffgggghhhh");
    AddFolder(folders_.ChromeExtensions() + "iiiijjjjkkkkllllmmmmnnnnoooopppp");
    HWND form = ExpectWindowFor("Google Chrome", "LogoCh");
    ASSERT_NE(form, nullptr);
    const DWORD shown = GetTickCount();
    ForgetSetting();
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 25000));
    EXPECT_GE(GetTickCount() - shown, 18500u);
    EXPECT_EQ(Setting("NewToolbarNotifier"), 99u) << "written without being closed";
    EXPECT_TRUE(NoWindowFor(kNoReportMs)) << "the second extension was reported later";
}

TEST_F(Extension, FirefoxAddOnInARelativeProfileNamesFirefox) {
    ExpectFirefoxAddOnNames("1", "Profiles/vigilo.default", "Mozilla Firefox", "LogoFF");
}

// Firefox writes profiles.ini in UTF-8, whatever the system's code page.
TEST_F(Extension, FirefoxAddOnInAProfileNamedInAnotherScriptNamesFirefox) {
    ExpectFirefoxAddOnNames("1", "Profiles/\xE2\x98\x83\xE4\xB8\xAD\xC3\xA9.default", "Mozilla Firefox", "LogoFF");
}

TEST_F(Extension, FirefoxAddOnInAProfileStoredByAbsolutePathNamesFirefox) {
    TempFolder elsewhere;
    std::string path = elsewhere.File("Profile");
    for (char& c : path)
        if (c == '\\') c = '/';
    ExpectFirefoxAddOnNames("0", path, "Mozilla Firefox", "LogoFF");
}

TEST_F(Extension, FirefoxAddOnInASecondProfileStoredByAbsolutePathNamesFirefox) {
    folders_.FirefoxProfile("1", "Profiles/first.default");
    TempFolder elsewhere;
    std::string path = elsewhere.File("Second Google Profile");  // named by its slot, not by its path
    for (char& c : path)
        if (c == '\\') c = '/';
    ExpectFirefoxAddOnNames("0", path, "Mozilla Firefox", "LogoFF");
}

TEST_F(Extension, ChromeAddOnInProfile1NamesChrome) {
    ExpectChromiumAddOnNames(kChromeUserData, "Profile 1", "Google Chrome", "LogoCh");
}

TEST_F(Extension, EdgeAddOnNamesEdgeWithTheGenericBrowserLogo) {
    ExpectChromiumAddOnNames(kEdgeUserData, "Profile 2", "Microsoft Edge", "LogoBr");
}

TEST_F(Extension, BraveAddOnInItsDefaultProfileNamesBraveWithTheGenericBrowserLogo) {
    ExpectChromiumAddOnNames(kBraveUserData, "Default", "Brave", "LogoBr");
}

// A browser was once told by "GOOGLE" in its folder's path: a Firefox
// profile named so was taken for Chrome. Each folder now names its browser.
TEST_F(Extension, FirefoxProfileWhosePathMentionsGoogleIsFirefoxs) {
    ExpectFirefoxAddOnNames("1", "Profiles/x.GoOgLe-default", "Mozilla Firefox", "LogoFF");
}

// A restored backup puts back what the folder held: nothing to report. A
// folder made again holds what is new against its last listing.
TEST_F(Extension, ChromeFolderPutBackReportsNothingAndMadeAgainWithANewEntryReportsIt) {
    const std::string extensions = folders_.ChromeExtensions();
    const std::string folder = extensions.substr(0, extensions.size() - 1);
    AddFolder(extensions + "existing");
    StartVigilo();
    auto removed = [&] {
        RemoveTree(folder);
        return WaitUntil([&] { return GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES; }, 15000);
    };

    ASSERT_TRUE(removed());
    const std::string staged = folder + ".new";
    MakeFolders(staged + "\\existing\\");
    ASSERT_TRUE(MoveFileA(staged.c_str(), folder.c_str()));
    EXPECT_TRUE(NoWindowFor(kNoReportMs));
    Sleep(2000);  // the watch is armed again a second after its round

    ASSERT_TRUE(removed());
    MakeFolders(extensions + "fresh\\");
    EXPECT_NE(ExpectWindowFor("Google Chrome", "LogoCh"), nullptr);
}

// Firefox makes a profile's extensions folder with its first add-on.
TEST_F(Extension, FirefoxProfileWithoutAnExtensionsFolderReportsItsFirstAddOn) {
    const std::string extensions = folders_.FirefoxProfile("1", "Profiles/fresh.default");
    RemoveTree(extensions.substr(0, extensions.size() - 1));
    StartVigilo();
    MakeFolders(extensions);
    WriteFile(extensions + "first@vigilo.test.xpi", "PK");
    EXPECT_NE(ExpectWindowFor("Mozilla Firefox", "LogoFF"), nullptr);
}

TEST_F(Extension, ChromeProfileMadeWhileRunningReportsItsFirstExtension) {
    StartVigilo();
    AddFolder(folders_.ChromiumExtensions(kChromeUserData, "Profile 1") + "aaaabbbbccccddddeeeeffffgggghhhh");
    EXPECT_NE(ExpectWindowFor("Google Chrome", "LogoCh"), nullptr);
}

TEST_F(Extension, EdgeInstalledAfterTheStartReportsItsFirstExtension) {
    StartVigilo();
    AddFolder(folders_.ChromiumExtensions(kEdgeUserData, "Default") + "aaaabbbbccccddddeeeeffffgggghhhh");
    EXPECT_NE(ExpectWindowFor("Microsoft Edge", "LogoBr"), nullptr);
}

// The policy keys usually do not exist until the first add-on forced in;
// the machine's Chrome list and the user's Edge list are made here after the
// start. Vigilo ended while Chrome's window is up does not report Chrome's
// again at its next start: what was reported is kept before the window shows.
TEST_F(Extension, ExtensionsForcedInByPolicyNameChromeAndEdge) {
    const std::string chrome = "SOFTWARE\\Policies\\Google\\Chrome";
    const std::string edge = "SOFTWARE\\Policies\\Microsoft\\Edge";
    DeleteKeyTree(HKEY_LOCAL_MACHINE, chrome);
    DeleteKeyTree(HKEY_CURRENT_USER, edge);
    StartVigilo();
    SetMachineString(chrome + "\\ExtensionInstallForcelist", "1",
                     "aaaabbbbccccddddeeeeffffgggghhhh;https://clients2.google.com/service/update2/crx", k64);
    EXPECT_NE(ExpectWindowFor("Google Chrome", "LogoCh"), nullptr);
    vigilo_->Kill();

    StartVigilo();
    SetString(HKEY_CURRENT_USER, edge + "\\ExtensionInstallForcelist", "1", "iiiijjjjkkkkllllmmmmnnnnoooopppp");
    EXPECT_NE(ExpectWindowFor("Microsoft Edge", "LogoBr"), nullptr);
    vigilo_->Kill();
    DeleteKeyTree(HKEY_LOCAL_MACHINE, chrome);
    DeleteKeyTree(HKEY_CURRENT_USER, edge);
}
