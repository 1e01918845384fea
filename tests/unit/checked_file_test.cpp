// The program a finding carries, of which its signature line speaks: the
// program a command starts (quotes, blanks, environment strings, arguments),
// the DLL that rundll32 or regsvr32 loads, a shortcut's target, and for a new
// program its DisplayIcon or its uninstaller; never one that is not there,
// and no signature checked for a file in the Windows folder.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <set>

#include "core/checked_file.h"
#include "core/command_program.h"
#include "platform/deadline_call.h"
#include "platform/file_system.h"
#include "platform/shortcut_file.h"
#include "platform/text.h"
#include "support/little_endian.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

// The files that exist, as far as the command's program is concerned.
FileTest Existing(std::set<std::string> files) {
    return [files = std::move(files)](const std::string& path) { return files.count(path) > 0; };
}

void ExpectProgram(const std::string& command, const FileTest& isFile, const std::string& program,
                   const std::string& arguments) {
    const CommandProgram found = ProgramOfCommand(command, isFile);
    EXPECT_EQ(found.program, program) << command;
    EXPECT_EQ(found.arguments, arguments) << command;
}

// A shortcut saved by the shell's own link object.
bool SaveShellShortcut(const std::string& lnk, const std::string& target, const std::string& arguments) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(Utf16(target).c_str());
    link->SetArguments(Utf16(arguments).c_str());
    IPersistFile* file = nullptr;
    bool saved = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                 SUCCEEDED(file->Save(Utf16(lnk).c_str(), TRUE));
    if (file) file->Release();
    link->Release();
    return saved;
}

// A shortcut written byte by byte in the shell link format: the header, the
// counted UTF-16 texts, and an environment-string target block.
std::string LinkBytes(const std::string& relativePath, const std::string& arguments,
                      const std::string& environmentTarget) {
    auto number = [](uint32_t value, int width) {
        std::string out;
        for (int i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
        return out;
    };
    auto utf16 = [&number](const std::string& text, size_t length) {
        std::wstring wide = Utf16(text);
        wide.resize(length, L'\0');
        std::string out;
        for (wchar_t c : wide) out += number(c, 2);
        return out;
    };
    auto counted = [&](const std::string& text) {
        return number(Utf16(text).size(), 2) + utf16(text, Utf16(text).size());
    };
    // Texts in UTF-16 (0x80), a relative path (0x8), arguments (0x20), an environment target (0x200).
    const uint32_t flags = 0x80 | (relativePath.empty() ? 0 : 0x8) | (arguments.empty() ? 0 : 0x20) |
                           (environmentTarget.empty() ? 0 : 0x200);
    const std::string linkClass("\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 16);
    std::string bytes = number(0x4C, 4) + linkClass + number(flags, 4);
    bytes.resize(0x4C, '\0');
    if (!relativePath.empty()) bytes += counted(relativePath);
    if (!arguments.empty()) bytes += counted(arguments);
    if (!environmentTarget.empty()) {
        std::string ansi = environmentTarget;
        ansi.resize(260, '\0');
        bytes += number(0x314, 4) + number(0xA0000001, 4) + ansi + utf16(environmentTarget, 260);
    }
    return bytes + number(0, 4);  // the terminal block
}

// The paths a command's program is looked for at, through the program-test seam.
std::vector<std::string> TriedPaths(const std::string& command) {
    std::vector<std::string> tried;
    ProgramOfCommand(command, [&tried](const std::string& path) {
        tried.push_back(path);
        return false;
    });
    return tried;
}

class ComApartment {
public:
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
};

}  // namespace

TEST(CommandProgram, QuotesBlanksAndArguments) {
    const FileTest nothing = Existing({});
    ExpectProgram("\"C:\\Program Files\\App\\app.exe\" /min --tray", nothing, "C:\\Program Files\\App\\app.exe",
                  "/min --tray");
    ExpectProgram("  \"C:\\App\\app.exe\"   -x  ", nothing, "C:\\App\\app.exe", "-x");
    ExpectProgram("\"C:\\Open Quote\\app.exe -x", nothing, "C:\\Open Quote\\app.exe -x", "");
    ExpectProgram("C:\\App\\app.exe", nothing, "C:\\App\\app.exe", "");
    ExpectProgram("", nothing, "", "");
    ExpectProgram("   ", nothing, "", "");
    // Unquoted blanks: where no prefix is a file, the program ends after ".exe", else at the first blank.
    ExpectProgram("C:\\Program Files\\Gone\\gone.EXE --tray", nothing, "C:\\Program Files\\Gone\\gone.EXE", "--tray");
    ExpectProgram("C:\\Program Files\\Gone\\gone.exe", nothing, "C:\\Program Files\\Gone\\gone.exe", "");
    ExpectProgram("C:\\Tools\\tool -a b", nothing, "C:\\Tools\\tool", "-a b");
}

TEST(CommandProgram, UnquotedBlanksAreTriedAsCreateProcessTriesThem) {
    const FileTest installed = Existing({"C:\\Program Files\\My App\\app.exe", "C:\\Program Files\\Tool.exe"});
    ExpectProgram("C:\\Program Files\\My App\\app.exe -x", installed, "C:\\Program Files\\My App\\app.exe", "-x");
    // ".exe" is tried where the name has none.
    ExpectProgram("C:\\Program Files\\My App\\app -x", installed, "C:\\Program Files\\My App\\app.exe", "-x");
    ExpectProgram("\"C:\\Program Files\\My App\\app\" -x", installed, "C:\\Program Files\\My App\\app.exe", "-x");
    // The shortest prefix that is a file wins, as in Windows.
    ExpectProgram("C:\\Program Files\\Tool Box\\box.exe", installed, "C:\\Program Files\\Tool.exe", "Box\\box.exe");
}

TEST(CommandProgram, ALongCommandIsTakenApartInTimeLinearInItsLength) {
    // A blank every other character: every one ends a prefix that CreateProcess would try.
    for (const size_t length : {size_t{32000}, size_t{1000000}}) {
        std::string command;
        while (command.size() < length) command += "a ";
        size_t characters = 0;
        for (const std::string& path : TriedPaths(command)) characters += path.size();
        EXPECT_LE(characters, 2 * length) << length;
    }
}

TEST(CommandProgram, ACommandLongerThanCreateProcessTakesStartsNothing) {
    const FileTest installed = Existing({"C:\\App\\app.exe"});
    const std::string program = "C:\\App\\app.exe ";
    const std::string longest = program + std::string(32767 - program.size(), 'x');
    EXPECT_EQ(ProgramOfCommand(longest, installed).program, "C:\\App\\app.exe");
    EXPECT_EQ(ProgramOfCommand(longest + "x", installed).program, "");
    // Characters are counted as Windows counts them, not as bytes.
    std::string accented = program;
    for (size_t length = program.size(); length < 32767; ++length) accented += "\xC3\xA9";  // e acute, two bytes
    EXPECT_EQ(ProgramOfCommand(accented, installed).program, "C:\\App\\app.exe");
}

TEST(CommandProgram, NoPrefixThatNoPathCouldBeIsTried) {
    using Paths = std::vector<std::string>;
    EXPECT_EQ(TriedPaths("C:\\a b<c d.exe -x"), (Paths{"C:\\a", "C:\\a.exe"}));
    EXPECT_EQ(TriedPaths("\"C:\\a<b.exe\" -x"), Paths{});
    const std::string longest = "C:\\" + std::string(253, 'x') + ".exe";  // MAX_PATH characters
    EXPECT_EQ(TriedPaths(longest + " -x"), Paths{longest});
    EXPECT_EQ(TriedPaths("C:\\x" + longest.substr(3) + " -x"), Paths{});
}

TEST(CommandProgram, EnvironmentStringsAreExpanded) {
    SetEnvironmentVariableW(L"VIGILO_TEST_APPS", L"C:\\Test Apps");
    ExpectProgram("\"%VIGILO_TEST_APPS%\\app.exe\" %VIGILO_TEST_APPS%", Existing({}), "C:\\Test Apps\\app.exe",
                  "C:\\Test Apps");
    ExpectProgram("%VIGILO_NO_SUCH_VARIABLE%\\app.exe", Existing({}), "%VIGILO_NO_SUCH_VARIABLE%\\app.exe", "");
    SetEnvironmentVariableW(L"VIGILO_TEST_APPS", nullptr);
}

TEST(CommandProgram, TheLibraryRundll32OrRegsvr32Loads) {
    auto library = [](const std::string& command) { return LibraryLoadedBy(ProgramOfCommand(command, Existing({}))); };
    EXPECT_EQ(library("rundll32.exe \"C:\\A B\\x.dll\",Entry 1"), "C:\\A B\\x.dll");
    EXPECT_EQ(library("C:\\Windows\\System32\\RUNDLL32.EXE C:\\A B\\x.dll,Entry"), "C:\\A B\\x.dll");
    EXPECT_EQ(library("rundll32 C:\\A\\x.dll Entry"), "C:\\A\\x.dll");
    EXPECT_EQ(library("rundll32.exe -sta {00000000-0000-0000-0000-000000000000}"), "");
    EXPECT_EQ(library("rundll32.exe"), "");
    EXPECT_EQ(library("regsvr32.exe /s /i:\"a b\" \"C:\\A B\\y.ocx\""), "C:\\A B\\y.ocx");
    EXPECT_EQ(library("\"C:\\Windows\\SysWOW64\\regsvr32\" -s C:\\A\\y.dll"), "C:\\A\\y.dll");
    EXPECT_EQ(library("C:\\App\\app.exe C:\\A\\x.dll,Entry"), "");
}

TEST(CheckedFile, NewProgramTakesDisplayIconElseItsUninstaller) {
    TempFolder folder("-checked file");
    folder.Write("app.exe", "MZ");
    folder.Write("uninstall.exe", "MZ");
    folder.Write("app.ico", "");
    const std::string app = FullPath(folder.File("app.exe"));
    const std::string uninstaller = FullPath(folder.File("uninstall.exe"));
    const std::string uninstall = "\"" + uninstaller + "\" /S";
    EXPECT_EQ(UninstallEntryProgram("\"" + app + "\",0", uninstall), app);
    EXPECT_EQ(UninstallEntryProgram(app + ",-3", ""), app);
    EXPECT_EQ(UninstallEntryProgram(app, ""), app);
    // An icon file, or one that is not there, gives way to the uninstaller.
    EXPECT_EQ(UninstallEntryProgram(folder.File("app.ico"), uninstall), uninstaller);
    EXPECT_EQ(UninstallEntryProgram(folder.File("gone.exe") + ",0", uninstall), uninstaller);
    EXPECT_EQ(UninstallEntryProgram("", uninstaller), uninstaller);
    // Windows Installer's own program says nothing of the program it installed.
    EXPECT_EQ(UninstallEntryProgram("", "MsiExec.exe /X{00000000-0000-0000-0000-000000000000}"), "");
    EXPECT_EQ(UninstallEntryProgram("", "C:\\Windows\\System32\\msiexec /I{0}"), "");
    EXPECT_EQ(UninstallEntryProgram("", ""), "");
    // A DisplayIcon in the Windows folder: no line, whatever the uninstaller.
    const std::string shell = UninstallEntryProgram("%SystemRoot%\\system32\\shell32.dll,5", uninstall);
    EXPECT_TRUE(SameIgnoringCase(FileNameOf(shell), "shell32.dll")) << shell;
    EXPECT_EQ(FileToCheck(shell), "");
}

TEST(CheckedFile, StartupEntryTakesItsProgramOrTheLibraryItLoads) {
    TempFolder folder("-checked file");
    folder.Write("tray app.exe", "MZ");
    folder.Write("helper.dll", "MZ");
    const std::string app = FullPath(folder.File("tray app.exe"));
    const std::string helper = FullPath(folder.File("helper.dll"));
    const std::string helperWithoutExtension = helper.substr(0, helper.size() - 4);
    EXPECT_EQ(StartupCommandProgram(app + " /background"), app);
    EXPECT_EQ(StartupCommandProgram("rundll32.exe \"" + helper + "\",Start"), helper);
    EXPECT_EQ(StartupCommandProgram("rundll32 " + helperWithoutExtension + ",Start"), helper);
    EXPECT_EQ(StartupCommandProgram("regsvr32.exe /s \"" + helper + "\""), helper);
    // No line: the Windows folder; no program: another computer, a relative name, nothing there.
    EXPECT_EQ(FileToCheck(StartupCommandProgram("%SystemRoot%\\system32\\notepad.exe")), "");
    EXPECT_NE(StartupCommandProgram("%SystemRoot%\\system32\\notepad.exe"), "");
    EXPECT_EQ(StartupCommandProgram("\\\\server\\share\\app.exe"), "");
    EXPECT_EQ(StartupCommandProgram("tray app.exe"), "");
    EXPECT_EQ(StartupCommandProgram(folder.File("gone.exe")), "");
}

TEST(CheckedFile, StartupFolderEntryTakesAShortcutsTarget) {
    ComApartment com;
    TempFolder folder("-checked file");
    folder.Write("tray app.exe", "MZ");
    folder.Write("helper.dll", "MZ");
    const std::string app = FullPath(folder.File("tray app.exe"));
    const std::string helper = FullPath(folder.File("helper.dll"));
    ASSERT_TRUE(SaveShellShortcut(folder.File("Tray App.lnk"), app, "/background"));
    EXPECT_EQ(StartupFileProgram(folder.File("Tray App.lnk")), app);
    ASSERT_TRUE(SaveShellShortcut(folder.File("Helper.LNK"), FullPath("C:\\windows\\system32\\rundll32.exe"),
                                  "\"" + helper + "\",Start"));
    EXPECT_EQ(StartupFileProgram(folder.File("Helper.LNK")), helper);
    // Any other file is started itself.
    EXPECT_EQ(StartupFileProgram(app), app);
    // A shortcut whose target is in the Windows folder, or that is no shortcut at all.
    ASSERT_TRUE(SaveShellShortcut(folder.File("Notepad.lnk"), FullPath("C:\\windows\\notepad.exe"), ""));
    EXPECT_EQ(FileToCheck(StartupFileProgram(folder.File("Notepad.lnk"))), "");
    folder.Write("Damaged.lnk", "L\0\0\0 not a link");
    EXPECT_EQ(StartupFileProgram(folder.File("Damaged.lnk")), "");
}

TEST(ShortcutFile, ABlockWhoseSizeWouldWrapAroundEndsTheRead) {
    // 92 bytes: a header announcing an environment target, a block of 8 bytes, then one of
    // 0xFFFFFFF8 bytes, whose end a 32-bit sum puts back at the block before it.
    std::string bytes = Fields({{0x4C, 4}}) + std::string("\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 16) +
                        Fields({{0x200, 4}});
    bytes.resize(0x4C, '\0');
    bytes += Fields({{8, 4}, {0xA0000003, 4}, {0xFFFFFFF8, 4}, {0, 4}});
    ASSERT_EQ(bytes.size(), 92u);
    const std::optional<bool> named =
        CallWithDeadline<bool>([bytes] { return ShortcutTargetOfBytes(bytes, "C:\\Links").has_value(); }, 10000);
    ASSERT_TRUE(named) << "the read never ended";
    EXPECT_FALSE(*named);
}

TEST(ShortcutFile, EnvironmentTargetsRelativePathsAndDamage) {
    SetEnvironmentVariableW(L"VIGILO_TEST_APPS", L"D:\\Test Apps");
    const std::string both = LinkBytes("..\\app.exe", "-x \"y z\"", "%VIGILO_TEST_APPS%\\app.exe");
    std::optional<ShortcutTarget> target = ShortcutTargetOfBytes(both, "C:\\Links");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->path, "D:\\Test Apps\\app.exe");
    EXPECT_EQ(target->arguments, "-x \"y z\"");
    target = ShortcutTargetOfBytes(LinkBytes("..\\app.exe", "", ""), "C:\\Links");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->path, "C:\\Links\\..\\app.exe");
    EXPECT_FALSE(ShortcutTargetOfBytes(LinkBytes("", "-x", ""), "C:\\Links"));  // names no file
    // Cut anywhere, it names nothing or what it held whole; it never reads past its end.
    for (size_t length = 0; length < both.size(); ++length) {
        const std::string cut = both.substr(0, length);
        const std::optional<ShortcutTarget> part = ShortcutTargetOfBytes(cut, "C:\\Links");
        if (part) {
            EXPECT_TRUE(part->path == "C:\\Links\\..\\app.exe" || part->path == "D:\\Test Apps\\app.exe") << length;
        }
    }
    SetEnvironmentVariableW(L"VIGILO_TEST_APPS", nullptr);
}
