// "Vigilo.exe /export-findings FILE" as a script runs it: the user's
// history of findings saved as CSV, newest first, damaged lines left out,
// exit code 0; a file that cannot be written gives a non-zero code and the
// reason on the standard error; and it runs while Vigilo itself runs.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdio>

#include "platform/text.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

std::string HistoryFolder() {
    wchar_t folder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return Utf8(folder) + "\\Purgeon\\Vigilo";
}

// "YYYY-MM-DD HH:MM:SS" of a UTC time of 7 March 2026, in this computer's time zone.
std::string Local(WORD hour, WORD minute, WORD second) {
    SYSTEMTIME utc{2026, 3, 0, 7, hour, minute, second, 0}, local{};
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay,
                  local.wHour, local.wMinute, local.wSecond);
    return text;
}

struct Outcome {
    DWORD exitCode = STILL_ACTIVE;
    std::string error;  // what it wrote to its standard error
};

// Runs exe with arguments, its standard error going to a file, and waits for its end.
Outcome RunVigilo(const std::string& exe, const std::string& arguments, const TempFolder& folder) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const std::string errorFile = folder.File("stderr.txt");
    HANDLE error = CreateFileW(Utf16(errorFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = error;
    PROCESS_INFORMATION process{};
    std::wstring line = Utf16("\"" + exe + "\" " + arguments);
    Outcome run;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, Utf16(folder.Path()).c_str(),
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, 30000);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(error);
    run.error = ReadFile(errorFile);
    return run;
}

class ExportFindings : public ::testing::Test {
protected:
    ExportFindings() {
        MakeFolders(HistoryFolder());
        WriteFile(history_, "");
    }
    ~ExportFindings() override { DeleteFileW(Utf16(history_).c_str()); }

    CleanSettings settings_;
    VigiloInstall vigilo_;
    TempFolder out_;
    std::string history_ = HistoryFolder() + "\\Findings.jsonl";
};

}  // namespace

TEST_F(ExportFindings, SavesTheHistoryAsCsvNewestFirstWhileVigiloRunsAndSaysWhyItCouldNot) {
    WriteFile(history_,
              "{\"id\":1,\"time\":\"2026-03-07T09:01:02Z\",\"kind\":\"program\",\"event\":\"added\",\"name\":\"Photo "
              "Editor\",\"signer\":\"signed:Adobe Inc.\",\"signerLine\":\"Signed by Adobe Inc.\",\"window\":\"shown\"}\n"
              "not a line of the history\n"
              "{\"id\":2,\"time\":\"2026-03-07T09:03:04Z\",\"kind\":\"startup\",\"event\":\"changed\",\"name\":\"=cmd|' "
              "/C calc'!A0\",\"storedName\":\"=cmd\",\"place\":\"HKEY_CURRENT_USER (64-bit "
              "view)\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run\",\"program\":\"C:\\\\Tools\\\\a,\\\"b\\\".exe\","
              "\"signerLine\":\"Not signed\",\"window\":\"not shown\"}\n"
              "{\"time\":\"2026-03-07T09:04:00Z\",\"action\":\"disabled\",\"finding\":2}\n"
              "{\"id\":3,\"time\":\"2026-03-0");
    ASSERT_TRUE(vigilo_.Start());
    ASSERT_TRUE(vigilo_.WaitForMainWindow());

    const Outcome saved = RunVigilo(vigilo_.Exe(), "/export-findings \"findings \xE2\x98\x83.csv\"", out_);
    EXPECT_EQ(saved.exitCode, 0u) << saved.error;
    EXPECT_EQ(ReadFile(out_.File("findings \xE2\x98\x83.csv")),
              "\xEF\xBB\xBFWhen,Kind,Name,Signed by,Where,Program\r\n" + Local(9, 3, 4) +
                  ",Startup entry (changed),'=cmd|' /C calc'!A0,Not signed,"
                  "HKEY_CURRENT_USER (64-bit view)\\Software\\Microsoft\\Windows\\CurrentVersion\\Run,"
                  "\"C:\\Tools\\a,\"\"b\"\".exe\"\r\n" +
                  Local(9, 1, 2) + ",New program,Photo Editor,Adobe Inc.,,\r\n");
    EXPECT_TRUE(vigilo_.Running()) << "the running Vigilo is left alone";

    const Outcome unwritable = RunVigilo(vigilo_.Exe(), "/export-findings \"C:\\VigiloTest no such folder\\x.csv\"", out_);
    EXPECT_NE(unwritable.exitCode, 0u);
    EXPECT_NE(unwritable.error.find("could not be saved to C:\\VigiloTest no such folder\\x.csv"), std::string::npos)
        << unwritable.error;

    const Outcome noFile = RunVigilo(vigilo_.Exe(), "/export-findings", out_);
    EXPECT_NE(noFile.exitCode, 0u);
    EXPECT_FALSE(noFile.error.empty());

    // No history yet: the titles alone.
    DeleteFileW(Utf16(history_).c_str());
    const Outcome empty = RunVigilo(vigilo_.Exe(), "/export-findings empty.csv", out_);
    EXPECT_EQ(empty.exitCode, 0u) << empty.error;
    EXPECT_EQ(ReadFile(out_.File("empty.csv")), "\xEF\xBB\xBFWhen,Kind,Name,Signed by,Where,Program\r\n");
    vigilo_.Stop();
}
