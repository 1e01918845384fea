// Who made a finding, from outside: the new-program and startup windows say
// who signed the program's file, as checked against programs signed at test
// time by a test root (scripts/make-signed-test-files.sh, a CTest fixture),
// and RecentDetails keeps it line for line with Recent, with an extension's
// own name from its manifest and its default locale's messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/extension_support.h"
#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

constexpr POINT kCloseCross{385, 10};
const char* const kVigiloKey = "Software\\Purgeon\\Vigilo";
const std::string kFiles = "C:\\VigiloTest\\";

class WhoMadeIt : public NotificationProgram {
protected:
    WhoMadeIt() : NotificationProgram("TForm2a", "NewAppNotifier") {}
    void SetUp() override {
        MakeFolders(kFiles);
        const std::string made = BinFolder() + "\\..\\signed-test-files\\";
        for (const char* name : {"signed.exe", "unsigned.exe", "tampered.exe"})
            ASSERT_TRUE(CopyFileA((made + name).c_str(), (kFiles + name).c_str(), FALSE)) << name;
        ASSERT_TRUE(CopyFileA((made + "signed.exe").c_str(), (kFiles + "VigiloTestSignedRun.exe").c_str(), FALSE));
    }
    void TearDown() override {
        if (vigilo_) vigilo_->Kill();
        RemoveTree(kFiles);
    }
    // The newest line of RecentDetails.
    static std::string NewestDetails() {
        const std::vector<std::string> lines = RegistryTexts(HKEY_CURRENT_USER, kVigiloKey, "RecentDetails");
        return lines.empty() ? std::string() : lines[0];
    }

    UninstallKeys uninstallKeys_;
    RunKeys runKeys_;
    UnmanagedVigiloWindows unmanaged_;
};

}  // namespace

TEST_F(WhoMadeIt, TheWindowsSayWhoSignedANewProgramOrAStartupEntryAndTheRecordKeepsItWithAnExtensionsOwnName) {
    BrowserFolders browsers;
    if (!browsers.Usable()) GTEST_SKIP() << "a browser profile of the user exists";
    StartVigilo();
    const struct {
        const char* subkey;
        const char* publisher;
        const char* file;
        const char* line;
        const char* recorded;
    } programs[] = {
        // Letter case, punctuation and a legal suffix set aside, the publisher is the signer.
        {"VigiloTestSigned", "vigilo test signer, Inc.", "signed.exe", "Signed by Vigilo Test Signer",
         "signed:Vigilo Test Signer"},
        {"VigiloTestUnsigned", "", "unsigned.exe", "Not signed", "unsigned"},
        {"VigiloTestTampered", "", "tampered.exe", "Signature broken: the file was changed after signing", "broken"},
        {"VigiloTestOther", "Other Maker Ltd", "signed.exe",
         "Signed by Vigilo Test Signer, not by the publisher it names", "signed:Vigilo Test Signer"},
    };
    for (const auto& program : programs) {
        RegisterProgram(kUserUninstall, program.subkey, program.subkey, program.publisher, "",
                        kFiles + program.file + ",0");
        HWND form = WaitForWindow();
        ASSERT_NE(form, nullptr) << program.subkey;
        EXPECT_NE(FindChildByText(form, program.line), nullptr) << program.subkey;
        EXPECT_EQ(NewestDetails(), std::string(program.recorded) + "\t") << program.subkey;
        Click(form, kCloseCross);
        ASSERT_TRUE(Gone(form));
    }

    ASSERT_TRUE(AddStartupEntry(kUserRun, "VigiloTestSignedRun"));
    HWND startup = WaitForVisibleWindow(Pid(), "TForm2c", 5000);
    ASSERT_NE(startup, nullptr);
    EXPECT_NE(FindChildByText(startup, "Signed by Vigilo Test Signer"), nullptr);

    // A name of the default locale's messages, its key in another letter case.
    const std::string id = "aaaabbbbccccddddeeeeffffgggghhhh";
    const std::string version = browsers.ChromeExtensions() + id + "\\1.2.0_0\\";
    MakeFolders(version + "_locales\\en");
    WriteFile(version + "_locales\\en\\messages.json", "{\"appName\": {\"message\": \"Tab Saver\"}}");
    WriteFile(version + "manifest.json", "{\"name\": \"__MSG_APPNAME__\", \"default_locale\": \"en\"}");
    ASSERT_TRUE(WaitUntil([&] { return NewestDetails() == "\tTab Saver"; }, 15000)) << NewestDetails();
    EXPECT_NE(RecentFindingLines()[0].find("\textension\tGoogle Chrome: " + id), std::string::npos);
}
