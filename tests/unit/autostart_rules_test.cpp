// The places beyond the Run keys where a program can make itself start, at
// their edges: how a list value is taken apart and named, what counts as a
// changed program, how each place is listed, what each rule reports, what
// changed while no watch looked, and which machine keys are one in both views.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/autostart_command.h"
#include "core/kept_listing.h"
#include "core/path_set.h"
#include "monitors/autostart_rules.h"
#include "monitors/finding_signers.h"
#include "monitors/scheduled_tasks.h"
#include "monitors/turned_back_on.h"
#include "monitors/finding_rules.h"
#include "monitors/watch_kinds.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/registry_views.h"
#include "platform/text.h"
#include "support/monitors_support.h"
#include "support/registry_sandbox.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;
using Names = std::vector<std::string>;

// The environment string the cases use, set while it lives.
class TestTools {
public:
    TestTools() { SetEnvironmentVariableW(L"VIGILO_TEST_TOOLS", L"C:\\Test Tools"); }
    ~TestTools() { SetEnvironmentVariableW(L"VIGILO_TEST_TOOLS", nullptr); }
};

// The entry a startup family lists for a program added now (Tool, starting
// program), as its listing would hold it; the switches list the one that goes.
ListedEntry AddedEntry(const WatchKind& kind, const std::string& program, const std::string& classId) {
    const std::string command = "\"" + program + "\" /q";
    if (std::holds_alternative<FolderPlaces>(kind.places)) return {"Tool.exe"};
    if (std::holds_alternative<TaskPlaces>(kind.places)) return {"\\Tool", 1, {}, {}, {}, command};
    switch (std::get<KeyPlaces>(kind.places).listing) {
    case KeyListing::FileLists:
    case KeyListing::AppInitDlls:
    case KeyListing::CommandLists: return {ListEntryName("Load", program)};
    case KeyListing::Subkeys: return {"0001"};
    case KeyListing::ValueData: return {classId};
    case KeyListing::ApprovedStates: return {"Tool", kSwitchedOffAtStartup};
    default: return {"Tool", 1, {}, {}, {}, command};
    }
}

Names NamesOf(const std::vector<Finding>& findings) {
    Names names;
    for (const Finding& finding : findings) names.push_back(finding.name + (finding.event == FindingEvent::Changed ? " (changed)" : ""));
    return names;
}

// A scratch key as the place of a kind, and the rule's findings from before to now.
class ScratchPlace {
public:
    ScratchPlace(const std::string& name, KeyListing listing, std::vector<std::string> values = {})
        : key_(name), place_{kCu, key_.Path(), RegistryView::k64Bit, {}, std::move(values)}, listing_(listing) {}
    const std::string& Path() const { return key_.Path(); }
    Names Round(FindingRule rule) {
        const Listing fresh = MakeKeyPlace(place_, listing_, KeyChanges::Subtree)->List({});
        const std::vector<Finding> found = rule({place_, before_, fresh});
        before_ = fresh;
        return NamesOf(found);
    }

private:
    ScratchKey key_;
    PlaceSpec place_;
    KeyListing listing_;
    Listing before_;
};

}  // namespace

// The naming rule of list values: Userinit's commands at commas, Load's and
// AppInit_DLLs' files at commas and blanks, quotes and environment strings
// wherever they stand.
TEST(ListValues, CommasQuotesBlanksAndEnvironmentStringsGiveEachProgramAndTheNameShown) {
    const TestTools tools;
    EXPECT_EQ(ProgramsOfList("C:\\Windows\\system32\\userinit.exe,C:\\Tools\\AccTool.exe -silent,", ListItems::Commands),
              (Names{"C:\\Windows\\system32\\userinit.exe", "C:\\Tools\\AccTool.exe"}));
    EXPECT_EQ(ProgramsOfList("\"C:\\A, B\\x.exe\" /a , %VIGILO_TEST_TOOLS%\\y.exe", ListItems::Commands),
              (Names{"C:\\A, B\\x.exe", "C:\\Test Tools\\y.exe"}));
    EXPECT_EQ(ProgramsOfList(" , ,", ListItems::Commands), Names{});
    EXPECT_EQ(ProgramsOfList("a.exe  b.exe,\"C:\\My Tools\\c.exe\",%VIGILO_TEST_TOOLS%\\d.dll", ListItems::Files),
              (Names{"a.exe", "b.exe", "C:\\My Tools\\c.exe", "C:\\Test Tools\\d.dll"}));

    EXPECT_EQ(ShownListEntryName(ListEntryName("Userinit", "C:\\Acc Tools\\AccTool.exe")), "Userinit: AccTool.exe");
    EXPECT_EQ(NameWithProgram("notepad.exe", "C:\\Debug Tools\\debugger.exe"), "notepad.exe: debugger.exe");
    EXPECT_EQ(NameWithProgram("AutoRun", ""), "AutoRun");
}

// Updaters rewrite their arguments at every update: only the program counts.
TEST(ProgramHash, OnlyTheProgramCountsNotItsArgumentsLetterCaseQuotesEnvironmentStringsOrAnAddedExe) {
    const TestTools tools;
    const auto same = [](const std::string& a, const std::string& b) { return CommandProgramHash(a) == CommandProgramHash(b); };
    EXPECT_TRUE(same("\"C:\\Program Files\\Up\\up.exe\" /silent", "\"C:\\Program Files\\Up\\up.exe\" /silent /build=2"));
    EXPECT_TRUE(same("c:\\program files\\up\\UP.EXE -x", "\"C:\\Program Files\\Up\\up.exe\""));
    EXPECT_TRUE(same("%VIGILO_TEST_TOOLS%\\up.exe", "\"C:\\Test Tools\\up.exe\" --tray"));
    EXPECT_TRUE(same("\"C:\\Tools\\tool\" -a", "C:\\Tools\\tool.exe -b"));
    EXPECT_FALSE(same("C:\\Up\\up.exe /a", "C:\\Other\\up.exe /a"));
}

TEST(AutostartRules, EachFamilyNamesWhatWasAddedOrChangedItsWay) {
    ScratchPlace winlogon("Winlogon", KeyListing::CommandLists, {"Userinit", "Shell"});
    SetString(kCu, winlogon.Path(), "Userinit", "C:\\Windows\\system32\\userinit.exe,");
    SetString(kCu, winlogon.Path(), "Shell", "explorer.exe");
    SetString(kCu, winlogon.Path(), "DefaultUserName", "C:\\NotAProgram.exe");  // a value it does not name
    EXPECT_EQ(winlogon.Round(ProgramsAddedToLists), (Names{"Userinit: userinit.exe", "Shell: explorer.exe"}));
    SetString(kCu, winlogon.Path(), "Userinit", "C:\\Windows\\system32\\userinit.exe,\"C:\\Acc Tools\\AccTool.exe\" /q");
    SetString(kCu, winlogon.Path(), "Shell", "C:\\Shells\\shell.exe");
    EXPECT_EQ(winlogon.Round(ProgramsAddedToLists), (Names{"Userinit: AccTool.exe", "Shell: shell.exe (changed)"}));

    ScratchPlace windows("Windows", KeyListing::AppInitDlls, {"AppInit_DLLs"});
    SetString(kCu, windows.Path(), "AppInit_DLLs", "C:\\Dlls\\a.dll C:\\Dlls\\b.dll");
    SetDword(kCu, windows.Path(), "LoadAppInit_DLLs", 0);
    EXPECT_EQ(windows.Round(ProgramsAddedToLists), Names{}) << "not loaded while LoadAppInit_DLLs is 0";
    SetDword(kCu, windows.Path(), "LoadAppInit_DLLs", 1);
    EXPECT_EQ(windows.Round(ProgramsAddedToLists), (Names{"AppInit_DLLs: a.dll", "AppInit_DLLs: b.dll"}));

    ScratchPlace debuggers("Debuggers", KeyListing::SubkeysWithValue, {"Debugger"});
    SetDword(kCu, debuggers.Path() + "\\calc.exe", "MitigationOptions", 1);  // no Debugger: not listed
    SetString(kCu, debuggers.Path() + "\\notepad.exe", "Debugger", "\"C:\\Debug Tools\\debugger.exe\" -p");
    EXPECT_EQ(debuggers.Round(NewOrChangedCommandValues), Names{"notepad.exe: debugger.exe"});
    SetString(kCu, debuggers.Path() + "\\notepad.exe", "Debugger", "\"C:\\Debug Tools\\debugger.exe\" -q");
    EXPECT_EQ(debuggers.Round(NewOrChangedCommandValues), Names{}) << "arguments only";
    SetString(kCu, debuggers.Path() + "\\notepad.exe", "Debugger", "C:\\Other\\monitor.exe");
    EXPECT_EQ(debuggers.Round(NewOrChangedCommandValues), Names{"notepad.exe: monitor.exe (changed)"});

    ScratchPlace components("Components", KeyListing::SubkeysWithValue, {"StubPath"});
    SetString(kCu, components.Path() + "\\{11111111-1111-1111-1111-111111111111}", "", "Vigilo Test Component");
    SetString(kCu, components.Path() + "\\{11111111-1111-1111-1111-111111111111}", "StubPath", "C:\\Setup\\a.exe");
    SetString(kCu, components.Path() + "\\{22222222-2222-2222-2222-222222222222}", "StubPath",
              "\"C:\\Set Up\\stub.exe\" /install");
    SetString(kCu, components.Path() + "\\{33333333-3333-3333-3333-333333333333}", "", "Installed, runs nothing");
    EXPECT_EQ(components.Round(NewActiveSetupComponents), (Names{"Vigilo Test Component", "stub.exe"}));

    ScratchPlace processor("Processor", KeyListing::ValuePrograms, {"AutoRun"});
    SetString(kCu, processor.Path(), "AutoRun", "C:\\Tools\\autorun.exe /q & echo on");
    SetString(kCu, processor.Path(), "CompletionChar", "C:\\NotAProgram.exe");
    EXPECT_EQ(processor.Round(NewOrChangedCommandValues), Names{"AutoRun: autorun.exe"});
    SetString(kCu, processor.Path(), "AutoRun", "C:\\Tools\\other.exe /q");
    EXPECT_EQ(processor.Round(NewOrChangedCommandValues), Names{"AutoRun: other.exe (changed)"});

    ScratchPlace runOnceEx("RunOnceEx", KeyListing::Subkeys);
    SetString(kCu, runOnceEx.Path() + "\\0001", "", "Finishing the set-up");
    SetString(kCu, runOnceEx.Path() + "\\0002", "1", "||C:\\Setup\\x.dll|Entry");
    EXPECT_EQ(runOnceEx.Round(NewRunOnceExEntries), (Names{"Finishing the set-up", "0002"}));

    ScratchPlace run("RunValues", KeyListing::ValuePrograms);
    SetString(kCu, run.Path(), "Updater", "\"C:\\Up\\up.exe\" /a");
    EXPECT_EQ(run.Round(NewStartupValues), Names{"Updater"});
    SetString(kCu, run.Path(), "Updater", "\"C:\\Up\\up.exe\" /b");
    EXPECT_EQ(run.Round(NewStartupValues), Names{});
    SetString(kCu, run.Path(), "Updater", "C:\\Hijack\\up.exe /b");
    EXPECT_EQ(run.Round(NewStartupValues), Names{"Updater (changed)"});
}

// A value's data is read with its name, in one call, whatever their lengths.
TEST(AutostartListings, ValuesOfEveryLengthAreReadWithTheirNames) {
    ScratchKey key("LongValues");
    const std::string longName(16000, 'N');
    const std::string longCommand = "C:\\Up\\up.exe " + std::string(40000, 'a');
    SetString(kCu, key.Path(), "Short", "C:\\Short\\short.exe");
    SetString(kCu, key.Path(), longName, longCommand);
    SetDword(kCu, key.Path(), "Number", 7);
    const UniqueKey opened = OpenKey(kCu, key.Path(), KEY_READ);
    Names names;
    for (const NamedValue& value : Values(opened.get())) {
        names.push_back(value.name.size() > 20 ? "long" : value.name);
        if (value.name == longName) {
            EXPECT_EQ(TextOfValue(value.value), longCommand);
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"Number", "Short", "long"}));
}

// Each store stands for one run of Vigilo.
TEST(AutostartWatch, AProgramChangedWhileVigiloWasAwayIsReportedChangedAtTheNextStart) {
    InitMainThreadCalls();
    ScratchKey run("RunAway");
    ScratchKey keptKey("RunAwayKept");
    KeptListingStore store(kCu, keptKey.Path());
    const PlaceSpec place{kCu, run.Path()};
    SetString(kCu, run.Path(), "Updater", "\"C:\\Up\\up.exe\" /a");
    const auto watchOnce = [&](const std::function<void()>& whileWatching) {
        HandOffRecorder recorder;
        auto watch = StartWatch(MakeKeyPlace(place, KeyListing::ValuePrograms, KeyChanges::Subtree), place,
                                {0, &NewStartupValues}, recorder, &store);
        EXPECT_TRUE(WaitUntil([&] { return watch->Watching(); }, 5000));
        if (whileWatching) whileWatching();
        Sleep(500);
        EXPECT_TRUE(StopThreads({watch.get()}));
        std::vector<Finding> found;
        for (const RoundReport& report : recorder.Reports()) found.insert(found.end(), report.findings.begin(), report.findings.end());
        return NamesOf(found);
    };
    EXPECT_EQ(watchOnce(nullptr), Names{}) << "the first listing is the baseline";
    SetString(kCu, run.Path(), "Updater", "\"C:\\Up\\up.exe\" /b");
    EXPECT_EQ(watchOnce(nullptr), Names{}) << "arguments only";
    SetString(kCu, run.Path(), "Updater", "C:\\Hijack\\up.exe /b");
    EXPECT_EQ(watchOnce([&] { SetString(kCu, run.Path(), "Second", "C:\\Second\\second.exe"); }),
              (Names{"Updater (changed)", "Second"}));
}

// "Let a test decide": a key of the test's own, made in the 64-bit view
// under Image File Execution Options, shows in the 32-bit view or not; the
// debugger redirections watch that key once or twice accordingly.
TEST(AutostartPlaces, ImageFileExecutionOptionsAreWatchedOnceWhereTheyAreOneKeyInBothViews) {
    RealLocalMachine real;
    const std::string options = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
    const std::string probe = options + "\\VigiloTestViewProbe.exe";
    ASSERT_TRUE(OpenKey(HKEY_LOCAL_MACHINE, options, KEY_READ));
    struct Removed {
        std::string path;
        ~Removed() { DeleteKeyTree(HKEY_LOCAL_MACHINE, path); }
    } removed{probe};
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, probe, KEY_ALL_ACCESS, RegistryView::k64Bit));
    const bool oneKey = static_cast<bool>(OpenKey(HKEY_LOCAL_MACHINE, probe, KEY_READ, RegistryView::k32Bit));
    int watched = 0;
    for (const WatchKind& kind : WatchKinds())
        for (const PlaceSpec& place : std::string(kind.name) == "debugger redirection" ? PlacesOf(kind, PathSet{}) : std::vector<PlaceSpec>{})
            watched += SameIgnoringCase(place.path, options);
    EXPECT_EQ(watched, oneKey ? 1 : 2) << (oneKey ? "one key" : "two keys");
}

// On a 32-bit Windows there is no 64-bit view: the machine's Run and Internet
// Explorer keys were watched twice there, and each finding came twice.
TEST(AutostartPlaces, OnASystemWithOneViewEveryKeyIsWatchedOnce) {
    SameKeyInBothViewsRule() = [](HKEY, const std::string&) { return true; };
    std::vector<std::string> watched;
    for (const WatchKind& kind : WatchKinds())
        for (const PlaceSpec& place : PlacesOf(kind, PathSet{}))
            if (!place.IsFolder()) watched.push_back(std::string(kind.name) + KeyPlaceName(place.root, RegistryView::k64Bit, place.path));
    SameKeyInBothViewsRule() = nullptr;
    std::sort(watched.begin(), watched.end());
    EXPECT_EQ(std::adjacent_find(watched.begin(), watched.end()), watched.end()) << "a key watched twice";
    EXPECT_EQ(std::count_if(watched.begin(), watched.end(),
                            [](const std::string& place) {
                                return place.ends_with("HKEY_LOCAL_MACHINE (64-bit view)\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
                            }),
              1);
}

// A value named "Tool\0Hidden", written through the native API, was shown as
// "Tool", with the signer and the Disable link of the value named "Tool".
TEST(AutostartWatch, AValueNameHoldingANulIsShownWholeWithItsOwnProgramAndNoDisableLink) {
    InitMainThreadCalls();
    ScratchKey run("RunNul");
    TempFolder folder;
    folder.Write("own.exe", "MZ");
    SetString(kCu, run.Path(), "Tool", "C:\\Windows\\notepad.exe");
    HandOffRecorder recorder;
    const PlaceSpec place{kCu, run.Path(), RegistryView::k64Bit, {}, {}, ApprovedSwitch{kCu, StartupApprovedList::Run}};
    auto watch = StartWatch(MakeKeyPlace(place, KeyListing::ValuePrograms, KeyChanges::Subtree), place,
                            {0, &NewStartupValues}, recorder, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return watch->Watching(); }, 5000));
    using NtSetValueKeyFunction = LONG(NTAPI*)(HANDLE, void*, ULONG, ULONG, const void*, ULONG);
    const auto setValue = reinterpret_cast<NtSetValueKeyFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtSetValueKey")));
    ASSERT_NE(setValue, nullptr);
    const UniqueKey key = OpenKey(kCu, run.Path(), KEY_SET_VALUE);
    std::wstring name(L"Tool");
    name += L'\0';
    name += L"Hidden";
    struct {
        USHORT length, maximum;
        const wchar_t* buffer;
    } unicodeName{static_cast<USHORT>(name.size() * 2), static_cast<USHORT>(name.size() * 2), name.data()};
    const std::wstring data = Utf16(folder.File("own.exe"));
    ASSERT_EQ(setValue(key.get(), &unicodeName, 0, REG_SZ, data.c_str(), static_cast<ULONG>((data.size() + 1) * 2)), 0);
    ASSERT_TRUE(WaitUntil([&] { return !recorder.Names().empty(); }, 5000));
    EXPECT_TRUE(StopThreads({watch.get()}));
    const Finding found = recorder.Reports()[0].findings[0];
    EXPECT_EQ(found.name, "Tool\\0Hidden");
    EXPECT_TRUE(SameIgnoringCase(found.program, FullPath(folder.File("own.exe")))) << found.program;
    EXPECT_FALSE(found.approved.has_value());
}

// Every startup family's entry goes the one path to its finding: its program
// gets its signer line, and only the entries of the Run keys (each view its
// own list) and the Startup folders, and the switches themselves, get the
// Disable target; RunOnce, the policy and Terminal Server keys do not.
TEST(StartupFamilies, EveryFindingHasItsSignerLineAndOnlySwitchedFamiliesADisableTarget) {
    SameKeyInBothViewsRule() = [](HKEY, const std::string&) { return false; };
    TempFolder user, common;
    for (const TempFolder* folder : {&user, &common})
        ASSERT_TRUE(CopyFileW(Utf16(ProgramPath()).c_str(), Utf16(folder->File("Tool.exe")).c_str(), FALSE));
    const std::string program = user.File("Tool.exe");
    PathSet paths;
    paths.userStartupFolder = user.Path() + "\\";
    paths.commonStartupFolder = common.Path() + "\\";
    // What the rules read, at the places' own paths in the test's sandbox.
    const std::string classId = "{6D1F7E00-5A1B-4E55-9C3A-7E57C0DE0038}";
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\" + classId + "\\InprocServer32", "", program);
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\0001", "1", "||" + program);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) SetString(root, kRunKey, "Tool", "\"" + program + "\"");
    for (const WatchKind& kind : WatchKinds()) {
        if (kind.finding != FindingKind::Startup) continue;
        EXPECT_TRUE(RulesOf(kind).signersChecked) << kind.name;
        const bool switches = kind.rule == &EntriesTurnedBackOn;
        for (const PlaceSpec& place : PlacesOf(kind, paths)) {
            // A folder's switch answers for the shell's own Startup folder, which the test leaves alone.
            if (switches && place.path.ends_with("StartupFolder")) continue;
            Listing none, one{{AddedEntry(kind, program, classId)}};
            if (std::holds_alternative<TaskPlaces>(kind.places)) {
                none = TaskListing(TaskSource::TaskFolder, {});
                one = TaskListing(TaskSource::TaskFolder, {{"\\Tool", std::vector<std::string>{program}}});
            }
            std::vector<Finding> found = switches ? kind.rule({place, one, none}) : kind.rule({place, none, one});
            {
                const RealLocalMachine trust;  // Windows' trust providers are registered there
                AddSigners(found);
            }
            ASSERT_EQ(found.size(), 1u) << kind.name << " " << place.path;
            EXPECT_EQ(found[0].signer, "unsigned") << kind.name << " " << place.path;
            std::optional<std::pair<HKEY, StartupApprovedList>> expected;
            if (switches) expected = {place.root, place.path.ends_with("Run32") ? StartupApprovedList::Run32 : StartupApprovedList::Run};
            const bool folder = std::holds_alternative<FolderPlaces>(kind.places);
            if (!folder && SameIgnoringCase(place.path, kRunKey))
                expected = {place.root, place.view == RegistryView::k32Bit ? StartupApprovedList::Run32 : StartupApprovedList::Run};
            if (folder) expected = {place.path == paths.userStartupFolder ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, StartupApprovedList::StartupFolder};
            ASSERT_EQ(found[0].approved.has_value(), expected.has_value()) << kind.name << " " << place.path;
            if (expected) {
                EXPECT_EQ(std::make_pair(found[0].approved->root, found[0].approved->list), *expected) << place.path;
            }
        }
    }
    SameKeyInBothViewsRule() = nullptr;
}
