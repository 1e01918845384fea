// Who signed a file, against real programs signed at test time by a test
// root (scripts/make-signed-test-files.sh, a CTest fixture): the signer of a
// signed program, an unsigned one, one changed after signing, and the line
// each gives; then the bounds of the check: the path rule, the size limit,
// the wait for the checker thread and the child process it runs in.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <optional>

#include "core/checked_file.h"
#include "core/language_texts.h"
#include "core/signer_check.h"
#include "core/signer_line.h"
#include "platform/deadline_call.h"
#include "platform/read_only_file.h"
#include "platform/signature_check_process.h"
#include "platform/text.h"
#include "platform/unique_handle.h"
#include "support/registry_sandbox.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

// The certificate's common name the fixture signs with.
const std::string kSigner = "Vigilo Test Signer";

// Copies of the fixture's files, on the test prefix's drive C:. Windows'
// trust providers and certificate stores are registered under the real
// HKLM, which the registry sandbox hides: it is the real one meanwhile.
class SignedTestFiles {
public:
    std::string Copy(const std::string& name) const {
        const std::string source = BinFolder() + "\\..\\signed-test-files\\" + name;
        const std::string copy = folder_.File(name);
        EXPECT_TRUE(CopyFileW(Utf16(source).c_str(), Utf16(copy).c_str(), FALSE)) << "missing fixture " << source;
        return copy;
    }
    const TempFolder& Folder() const { return folder_; }

private:
    RealLocalMachine realMachineKey_;
    TempFolder folder_;
};

// Fault: Windows does not trust the test root (Wine 8 checks no root's trust).
LONG UntrustedRoot(LONG verified) { return verified == S_OK ? CERT_E_UNTRUSTEDROOT : verified; }
// Fault: a result outside the classes the window speaks of.
LONG UnknownSubject(LONG) { return TRUST_E_SUBJECT_FORM_UNKNOWN; }

class InjectedTrustResult {
public:
    explicit InjectedTrustResult(vigilo::TrustResultFilter filter) { SetTrustResultFilterForTests(filter); }
    ~InjectedTrustResult() { SetTrustResultFilterForTests(nullptr); }
};

}  // namespace

TEST(FileSignature, SignedUnsignedAndChangedAfterSigningAreToldApart) {
    SignedTestFiles files;
    const FileSignature signedOne = CheckFileSignature(files.Copy("signed.exe"));
    EXPECT_EQ(signedOne.state, SignatureState::Signed);
    EXPECT_EQ(signedOne.signer, kSigner);
    EXPECT_EQ(SignatureLine(signedOne, ""), "Signed by Vigilo Test Signer");
    EXPECT_EQ(SignatureRecordField(signedOne), "signed:Vigilo Test Signer");

    const FileSignature unsignedOne = CheckFileSignature(files.Copy("unsigned.exe"));
    EXPECT_EQ(unsignedOne.state, SignatureState::NotSigned);
    EXPECT_EQ(SignatureLine(unsignedOne, "Vigilo Test Signer"), "Not signed");
    EXPECT_EQ(SignatureRecordField(unsignedOne), "unsigned");

    const FileSignature tampered = CheckFileSignature(files.Copy("tampered.exe"));
    EXPECT_EQ(tampered.state, SignatureState::Broken);
    EXPECT_EQ(SignatureLine(tampered, ""), "Signature broken: the file was changed after signing");
    EXPECT_EQ(SignatureRecordField(tampered), "broken");
}

TEST(FileSignature, AnUntrustedRootStillNamesTheSigner) {
    SignedTestFiles files;
    InjectedTrustResult untrusted(&UntrustedRoot);
    const FileSignature signature = CheckFileSignature(files.Copy("signed.exe"));
    EXPECT_EQ(signature.state, SignatureState::Untrusted);
    EXPECT_EQ(SignatureLine(signature, "Vigilo Test Signer"),
              "Signed by Vigilo Test Signer, whom Windows does not trust");
    EXPECT_EQ(SignatureRecordField(signature), "untrusted:Vigilo Test Signer");
}

TEST(FileSignature, OtherResultsGiveNoLine) {
    SignedTestFiles files;
    InjectedTrustResult unknown(&UnknownSubject);
    const FileSignature signature = CheckFileSignature(files.Copy("signed.exe"));
    EXPECT_EQ(signature.state, SignatureState::Unknown);
    EXPECT_EQ(SignatureLine(signature, ""), "");
    EXPECT_EQ(SignatureRecordField(signature), "");
}

// The whole way from what an entry names to its line.
TEST(FileSignature, TheFilesAStartupEntryOrANewProgramNamesShowTheirSigner) {
    SignedTestFiles files;
    const std::string program = files.Copy("signed.exe");
    const std::string startup = StartupCommandProgram("\"" + program + "\" /background");
    EXPECT_EQ(SignatureLine(CheckFileSignature(startup), ""), "Signed by Vigilo Test Signer");
    const std::string installed = UninstallEntryProgram(program + ",0", "MsiExec.exe /X{0}");
    EXPECT_EQ(SignatureLine(CheckFileSignature(installed), "VIGILO TEST SIGNER, INC."), "Signed by Vigilo Test Signer");
    EXPECT_EQ(SignatureLine(CheckFileSignature(installed), "Contoso"),
              "Signed by Vigilo Test Signer, not by the publisher it names");
}

TEST(FileSignature, ResultClasses) {
    EXPECT_EQ(SignatureStateOfResult(0), SignatureState::Signed);
    EXPECT_EQ(SignatureStateOfResult(TRUST_E_NOSIGNATURE), SignatureState::NotSigned);
    EXPECT_EQ(SignatureStateOfResult(TRUST_E_BAD_DIGEST), SignatureState::Broken);
    for (LONG chain : {CERT_E_UNTRUSTEDROOT, CERT_E_CHAINING, CERT_E_EXPIRED, CERT_E_UNTRUSTEDTESTROOT,
                       CERT_E_WRONG_USAGE, TRUST_E_EXPLICIT_DISTRUST})
        EXPECT_EQ(SignatureStateOfResult(chain), SignatureState::Untrusted) << std::hex << chain;
    for (LONG other : {TRUST_E_SUBJECT_FORM_UNKNOWN, TRUST_E_PROVIDER_UNKNOWN, E_INVALIDARG, 1L})
        EXPECT_EQ(SignatureStateOfResult(other), SignatureState::Unknown) << std::hex << other;
}

TEST(SignatureLine, SaysWhenThePublisherNamedIsAnotherThanTheSigner) {
    const FileSignature signature{SignatureState::Signed, "Contoso Software GmbH"};
    for (const char* same : {"Contoso Software", "CONTOSO SOFTWARE, Inc.", "Contoso-Software Ltd.",
                             "contoso software corp", "Contoso Software Co., Ltd.", "Contoso Software LLC", ""})
        EXPECT_EQ(SignatureLine(signature, same), "Signed by Contoso Software GmbH") << same;
    for (const char* other : {"Contoso", "Fabrikam Software GmbH", "Contoso Softwares"})
        EXPECT_EQ(SignatureLine(signature, other), "Signed by Contoso Software GmbH, not by the publisher it names")
            << other;
    // Letters beyond ASCII are compared without regard to case too.
    EXPECT_FALSE(PublisherDiffersFromSigner("ÜBERSOFT AG", "Übersoft AG"));
    EXPECT_TRUE(PublisherDiffersFromSigner("Übersoft", "Ubersoft"));
}

TEST(SignatureLine, TextsComeFromTheLanguageFileAndAreNeverAFormat) {
    TempFolder folder;
    folder.Write("German.ini",
                 "[Monitor]\r\nSignedBy=Von %s signiert (%d %n %s)\r\nNotSigned=Nicht signiert\r\n");
    LanguageTexts& language = Language();
    const LanguageTexts before = language;
    language = LanguageTexts(folder.File("German.ini"));
    EXPECT_EQ(SignatureLine({SignatureState::Signed, "100% %s Ltd"}, ""),
              "Von 100% %s Ltd signiert (%d %n 100% %s Ltd)");
    EXPECT_EQ(SignatureLine({SignatureState::NotSigned, ""}, ""), "Nicht signiert");
    // A key the file lacks keeps its English default.
    EXPECT_EQ(SignatureLine({SignatureState::Broken, ""}, ""), "Signature broken: the file was changed after signing");
    language = before;
}

TEST(SignatureCheck, OpensOnlyWhatThePathRuleAcceptsAndOnlyFiles) {
    SignedTestFiles files;
    const std::string program = files.Copy("signed.exe");
    std::atomic<int> verified{0};
    auto count = [&verified](HANDLE, const std::string&) {
        ++verified;
        return FileSignature{SignatureState::NotSigned, {}};
    };
    for (const std::string& refused : {std::string(), std::string("signed.exe"),
                                       std::string("\\\\server\\share\\a.exe"), files.Folder().Path(),
                                       program + ".missing"})
        EXPECT_EQ(CheckFileSignature(refused, count).state, SignatureState::Unknown) << refused;
    EXPECT_EQ(verified, 0);
    EXPECT_EQ(CheckFileSignature(program, count).state, SignatureState::NotSigned);
    EXPECT_EQ(verified, 1);
}

TEST(SignatureCheck, FilesOver256MiBAreNotChecked) {
    TempFolder folder;
    std::atomic<int> verified{0};
    auto count = [&verified](HANDLE, const std::string&) {
        ++verified;
        return FileSignature{SignatureState::NotSigned, {}};
    };
    ASSERT_TRUE(WriteSparseFile(folder.File("large.exe"), 256LL * 1024 * 1024));
    ASSERT_TRUE(WriteSparseFile(folder.File("larger.exe"), 256LL * 1024 * 1024 + 1));
    EXPECT_EQ(CheckFileSignature(folder.File("large.exe"), count).state, SignatureState::NotSigned);
    EXPECT_EQ(CheckFileSignature(folder.File("larger.exe"), count).state, SignatureState::Unknown);
    EXPECT_EQ(verified, 1);
}

// Fault: a verification that hangs (a file on a drive that stopped answering).
TEST(SignatureCheck, WaitsTwoSecondsAtMostAndDropsALateResult) {
    SignedTestFiles files;
    const std::string program = files.Copy("unsigned.exe");
    const long handlesBefore = LiveHandleCount(HandleKind::Kernel);
    UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto hang = [event = release.get()](HANDLE file, const std::string& path) {
        WaitForSingleObject(event, 30000);
        return VerifyFileSignature(file, path);
    };
    const DWORD start = GetTickCount();
    EXPECT_EQ(CheckFileSignature(program, hang).state, SignatureState::Unknown);
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 1900u);
    EXPECT_LT(waited, 3000u);
    // The thread still holds the file open; once it ends, it leaves nothing behind.
    EXPECT_EQ(UnfinishedDeadlineCalls(), 1);
    SetEvent(release.get());
    EXPECT_TRUE(WaitUntil([] { return UnfinishedDeadlineCalls() == 0; }, 10000));
    release.reset();
    EXPECT_EQ(LiveHandleCount(HandleKind::Kernel), handlesBefore);
}

// Vigilo checks in a child process of its own (Vigilo.exe started to serve
// the check): the files of a round go by their handles, and each result
// keeps its place, a refused path in between getting none.
TEST(SignatureCheck, FilesCheckedTogetherInAChildProcessComeBackInTheirPlaces) {
    SignedTestFiles files;
    const std::string vigilo = BinFolder() + "\\Vigilo.exe";
    const std::vector<FileSignature> checked = CheckFileSignatures(
        {files.Copy("signed.exe"), "\\\\server\\share\\a.exe", files.Copy("unsigned.exe"), files.Copy("tampered.exe")},
        [&](const std::vector<FileToVerify>& opened) { return VerifyInChildProcess(vigilo, opened); }, 30000);
    ASSERT_EQ(checked.size(), 4u);
    EXPECT_EQ(checked[0].state, SignatureState::Signed);
    EXPECT_EQ(checked[0].signer, kSigner);
    EXPECT_EQ(checked[1].state, SignatureState::Unknown);
    EXPECT_EQ(checked[2].state, SignatureState::NotSigned);
    EXPECT_EQ(checked[3].state, SignatureState::Broken);
}

// Fault: a child that never answers (a program that ignores the request and stays).
TEST(SignatureCheck, AChildThatDoesNotAnswerIsEndedAndTellsNothing) {
    SignedTestFiles files;
    const std::string program = files.Copy("unsigned.exe");
    const std::string silent = files.Folder().File("Purgeon.exe");
    ASSERT_TRUE(CopyFileW(Utf16(BinFolder() + "\\Purgeon.exe").c_str(), Utf16(silent).c_str(), FALSE));
    std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(program);
    ASSERT_TRUE(file);
    const DWORD start = GetTickCount();
    EXPECT_EQ(VerifyInChildProcess(silent, {{file->Handle(), program}}, 1500).at(0).state, SignatureState::Unknown);
    EXPECT_GE(GetTickCount() - start, 1400u);
    EXPECT_TRUE(WaitUntil([] { return FindWindowA("TForm1a", "Purgeon") == nullptr; }, 5000)) << "the child was left";
    EXPECT_EQ(VerifyInChildProcess(files.Folder().File("none.exe"), {{file->Handle(), program}}).at(0).state,
              SignatureState::Unknown);
}

namespace {
std::atomic<int> g_verified{0};
FileSignature SignedWithATab(HANDLE, const std::string&) {
    ++g_verified;
    return {SignatureState::Signed, "Contoso\tLtd"};
}
std::string HexOf(HANDLE handle) {
    char text[20];
    std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(handle)));
    return text;
}
}  // namespace

// The child answers every line, but hands on only a handle of a file on a
// disk: a request from anyone else (a pipe's handle, no handle, no TAB, a
// line cut short) verifies nothing. The parent takes only whole, known lines.
TEST(SignatureCheckChild, AnswersEachLineAndVerifiesOnlyFilesOnADisk) {
    TempFolder folder;
    ASSERT_TRUE(WriteSparseFile(folder.File("a.exe"), 10));
    std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(folder.File("a.exe"));
    ASSERT_TRUE(file);
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    UniqueKernelHandle readOwner(readEnd), writeOwner(writeEnd);
    const std::string request = HexOf(file->Handle()) + "\tC:\\a.exe\n" + "zz\tC:\\b.exe\n" + HexOf(readEnd) +
                                "\tC:\\c.exe\n" + "no tab\n" + HexOf(file->Handle()) + "\tC:\\d.exe";
    g_verified = 0;
    EXPECT_EQ(AnswerSignatureRequest(request, &SignedWithATab), "S\tContoso Ltd\n?\t\n?\t\n?\t\n");
    EXPECT_EQ(g_verified, 1);

    const std::vector<FileSignature> told = ParseSignatureAnswer("S\tContoso\nU\tFabrikam\nN\t\nB\tx\n", 4);
    EXPECT_EQ(told[0].state, SignatureState::Signed);
    EXPECT_EQ(told[0].signer, "Contoso");
    EXPECT_EQ(told[1].state, SignatureState::Untrusted);
    EXPECT_EQ(told[2].state, SignatureState::NotSigned);
    EXPECT_EQ(told[3].state, SignatureState::Broken);
    EXPECT_EQ(told[3].signer, "");
    // Signed without a name, an unknown letter, no TAB, a line cut short, no line at all.
    for (const FileSignature& nothing : ParseSignatureAnswer("S\t\nX\tY\nS\nS\tContoso", 5))
        EXPECT_EQ(nothing.state, SignatureState::Unknown);
}

TEST(SignatureCheckChild, OnlyTheSwitchAloneAfterTheProgramMakesAChild) {
    EXPECT_TRUE(IsSignatureCheckCommandLine("\"C:\\Program Files\\Vigilo\\Vigilo.exe\" /check-signatures"));
    EXPECT_TRUE(IsSignatureCheckCommandLine("C:\\Vigilo\\Vigilo.exe /check-signatures "));
    EXPECT_FALSE(IsSignatureCheckCommandLine("\"C:\\Program Files\\Vigilo\\Vigilo.exe\""));
    EXPECT_FALSE(IsSignatureCheckCommandLine("\"C:\\a /check-signatures\\Vigilo.exe\""));
    EXPECT_FALSE(IsSignatureCheckCommandLine("Vigilo.exe /check-signatures more"));
    EXPECT_FALSE(IsSignatureCheckCommandLine("\"Vigilo.exe /check-signatures"));
}
