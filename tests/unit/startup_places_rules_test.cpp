// The rules of the places beyond the Run keys, at their edges: which
// services start with Windows, which tasks are Windows' own, what a forced
// extension's value names, the task check's ticks, whether a machine key is
// one or two keys in the registry's views, and when a new uninstall entry is
// an upgrade.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "core/settings_store.h"
#include "monitors/finding_rules.h"
#include "monitors/scheduled_task_check.h"
#include "monitors/service_check.h"
#include "monitors/services_added_quietly.h"
#include "monitors/place.h"
#include "platform/registry.h"
#include "platform/registry_views.h"
#include "platform/task_scheduler.h"
#include "platform/text.h"
#include "support/monitors_support.h"
#include "support/registry_sandbox.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

// Each finding's name, marked where it changed.
void AddNames(std::vector<std::string>& names, const std::vector<Finding>& findings) {
    for (const Finding& finding : findings) names.push_back(finding.name + (finding.event == FindingEvent::Changed ? " (changed)" : ""));
}

}  // namespace

TEST(ServiceStart, BootSystemAndAutomaticStartWithWindowsOnDemandDisabledAndMissingDoNot) {
    EXPECT_TRUE(StartsWithWindows(0));
    EXPECT_TRUE(StartsWithWindows(2));
    EXPECT_FALSE(StartsWithWindows(3));  // on demand
    EXPECT_FALSE(StartsWithWindows(4));  // disabled
    EXPECT_FALSE(StartsWithWindows(0xFFFFFFFF));
    EXPECT_FALSE(StartsWithWindows(std::nullopt));
}

// A service's name as the Services console shows it: an indirect name is the
// string resource it points to.
TEST(ServiceDisplayName, AnIndirectNameIsLoadedAPlainOneStandsAndABrokenOneIsNone) {
    HMODULE shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    wchar_t resource[256] = L"";
    ASSERT_GT(LoadStringW(shell, 7, resource, 256), 0);
    FreeLibrary(shell);
    ScratchKey key("ServiceNames");
    SetString(HKEY_CURRENT_USER, key.Path(), "Indirect", "@%SystemRoot%\\system32\\shell32.dll,-7", REG_EXPAND_SZ);
    SetString(HKEY_CURRENT_USER, key.Path(), "Plain", "Updater Service (x86)");
    SetString(HKEY_CURRENT_USER, key.Path(), "Broken", "@C:\\missing\\nothing.dll,-5");
    const UniqueKey k = OpenKey(HKEY_CURRENT_USER, key.Path(), KEY_READ);
    EXPECT_EQ(Utf16(LoadDisplayText(k.get(), "Indirect")), resource);
    EXPECT_EQ(LoadDisplayText(k.get(), "Plain"), "Updater Service (x86)");
    EXPECT_EQ(LoadDisplayText(k.get(), "Broken"), "");
}

TEST(ScheduledTaskName, WindowsOwnTasksHaveNoNameOthersTheirLastPart) {
    EXPECT_EQ(ScheduledTaskName("\\Microsoft\\Windows\\Defrag\\ScheduledDefrag"), "");
    EXPECT_EQ(ScheduledTaskName("\\MICROSOFT\\windows\\Updater"), "");
    EXPECT_EQ(ScheduledTaskName("\\Microsoft\\WindowsUpdaterHelper"), "WindowsUpdaterHelper");
    EXPECT_EQ(ScheduledTaskName("\\Microsoft\\Windows"), "Windows");
    EXPECT_EQ(ScheduledTaskName("\\Vendor\\Tools\\Updater Task"), "Updater Task");
    EXPECT_EQ(ScheduledTaskName("\\Top"), "Top");
}

TEST(ForcedExtensions, TheIdIsTheTextUpToTheFirstSemicolonAndOnlyStringValuesNameOne) {
    EXPECT_EQ(ForcedExtensionId("aaaabbbb;https://clients2.google.com/service/update2/crx"), "aaaabbbb");
    EXPECT_EQ(ForcedExtensionId(" aaaabbbb ;x;y"), "aaaabbbb");
    EXPECT_EQ(ForcedExtensionId("https://addons.example/addon.xpi"), "https://addons.example/addon.xpi");
    EXPECT_EQ(ForcedExtensionId(";only an address"), "");

    // A number reused for another extension: the list holds the extension, not the number.
    ScratchKey key("ForcedList");
    SetString(HKEY_CURRENT_USER, key.Path(), "1", "secondextension;https://update");
    SetDword(HKEY_CURRENT_USER, key.Path(), "2", 7);
    SetString(HKEY_CURRENT_USER, key.Path(), "3", "thirdextension", REG_EXPAND_SZ);
    SetString(HKEY_CURRENT_USER, key.Path(), "4", ";");
    EXPECT_EQ(ListedNames(HKEY_CURRENT_USER, key.Path(), PlaceListing::ForcedExtensionIds),
              (std::vector<std::string>{"secondextension", "thirdextension"}));
}

TEST(ScheduledTaskCheck, ReportsTasksNewSinceTheLastListOfTheSameSourceOnlyWhileStarted) {
    TaskList list{TaskListSource::TaskFolder, {"\\Old"}};
    std::vector<std::string> reported;
    ScheduledTaskCheck check([&](const std::vector<Finding>& found) { AddNames(reported, found); }, [&] { return list; });

    check.Run();  // not started: the tasks of a switched-off startup group are not compared
    EXPECT_FALSE(check.Start());
    check.Run();  // the first list read
    list.paths = {"\\Old", "\\Vendor\\First"};
    check.Run();
    list = {TaskListSource::None, {}};  // unreadable this tick: the last list stays
    check.Run();
    list = {TaskListSource::TaskFolder, {"\\old", "\\Vendor\\First", "\\Microsoft\\Windows\\Own", "\\Second"}};
    check.Run();
    // Another source holds what it holds: taken silently, then compared with.
    list = {TaskListSource::Scheduler, {"\\Hidden", "\\Vendor\\First", "\\Second"}};
    check.Run();
    list.paths.push_back("\\Third");
    check.Run();
    // A restart (message 1135) compares with the last tick's list.
    check.Stop();
    list.paths.push_back("\\DuringTheRestart");
    EXPECT_FALSE(check.Start());
    check.Run();
    check.Stop();
    list.paths.push_back("\\AfterStop");
    check.Run();
    EXPECT_EQ(reported, (std::vector<std::string>{"First", "Second", "Third", "DuringTheRestart"}));
}

// Measured on Wine 8: its scheduler's interface cannot list, the task files can be read.
TEST(ScheduledTasks, UnderWineTheListComesFromTheTaskFiles) {
    EXPECT_FALSE(TasksFromScheduler());
    EXPECT_EQ(ListScheduledTasks().source, TaskListSource::TaskFolder);
}

// Each store stands for one run of Vigilo.
TEST(ScheduledTaskCheck, ATaskRegisteredWhileVigiloWasAwayIsReportedAtTheNextStartButNotOnTheFirstEver) {
    CleanSettings settings;
    WriteBool(kSettingsRoot, kSettingsKey, "StartupNotifier", true);
    ScratchKey keptKey("KeptTasks");
    TaskList list{TaskListSource::TaskFolder, {"\\AtFirstStart"}};
    std::vector<std::string> reported;
    const auto report = [&](const std::vector<Finding>& found) { AddNames(reported, found); };
    const auto run = [&] {
        KeptListingStore store(HKEY_CURRENT_USER, keptKey.Path());
        ScheduledTaskCheck check(report, [&] { return list; }, &store);
        EXPECT_TRUE(check.Start()) << "a run's first start catches up at once";
        check.Run();
        EXPECT_FALSE(check.Start());
        check.Run();
    };
    run();  // the first ever: nothing kept, nothing new
    list.paths.push_back("\\Vendor\\WhileAway");
    run();
    // Kept from the task files, now read from the task cache: taken silently.
    list = {TaskListSource::TaskCache, {"\\AtFirstStart", "\\Vendor\\WhileAway", "\\Cached"}};
    run();
    EXPECT_EQ(reported, std::vector<std::string>{"WhileAway"});
}

// Measured on 64-bit Wine 8: the machine's Run key is two keys, the policy
// keys one.
TEST(RegistryViews, RedirectedKeysAreTwoSharedAndMissingKeysUnderSharedOnesAreOne) {
    RealLocalMachine real;
    EXPECT_FALSE(SameKeyInBothViews(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
    EXPECT_TRUE(SameKeyInBothViews(HKEY_LOCAL_MACHINE, "SOFTWARE\\Policies\\VigiloTestMissing\\Forcelist"));
    const std::string missing = FullKeyName(HKEY_LOCAL_MACHINE, "Software\\VigiloTestMissing\\Key\\", RegistryView::k32Bit);
    EXPECT_NE(missing.find("\\Wow6432Node\\VigiloTestMissing\\Key"), std::string::npos) << missing;
}

// An uninstaller and an installer may both run while Vigilo is away, or
// within one round: only an entry sharing a lost one's display name or
// publisher is its upgrade.
TEST(NewPrograms, AnEntryLostInTheSameRoundHidesOnlyTheEntriesThatShareItsNameOrPublisher) {
    ScratchKey key("Programs");
    const PlaceSpec place{HKEY_CURRENT_USER, key.Path() + "\\"};
    const Listing previous{{{"Old", 0, "PHOTO EDITOR 2", "ACME"}, {"Kept", 0, "KEPT", "KEEPER"}}};
    Listing fresh{{{"Kept", 0, "KEPT", "KEEPER"},
                   {"Unrelated", 0, "TEXT TOOL", "OTHER"},
                   {"SameName", 0, "PHOTO EDITOR 2", "NEW OWNER"},
                   {"SamePublisher", 0, "PHOTO EDITOR 3", "ACME"},
                   {"Nameless", 0, "", "ACME CORP"}}};
    for (const ListedEntry& entry : fresh.entries) SetString(HKEY_CURRENT_USER, key.Path() + "\\" + entry.name, "DisplayIcon", "");
    const std::vector<Finding> found = NewPrograms({place, previous, fresh});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "TEXT TOOL");
    EXPECT_EQ(found[0].publisher, "OTHER");
    // With nothing lost, the same entries are all new programs (but the nameless one).
    EXPECT_EQ(NewPrograms({place, Listing{{{"Kept", 0, "KEPT", "KEEPER"}}}, fresh}).size(), 3u);
}

TEST(TaskDefinitions, TheCommandOfEachExecActionWithItsReferencesResolvedAndCommentsSkipped) {
    const char* xml =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Task version=\"1.2\">\r\n<Actions Context=\"Author\">\r\n"
        "<Exec>\r\n  <Command>  C:\\Up\\up.exe </Command>\r\n  <Arguments>/silent</Arguments>\r\n</Exec>\r\n"
        "<!-- <Exec><Command>C:\\Commented\\out.exe</Command></Exec> -->\r\n"
        "<ComHandler><ClassId>{00000000-0000-0000-0000-000000000000}</ClassId></ComHandler>\r\n"
        "<Exec id=\"second\"><Command>&quot;C:\\A &amp; B\\&#x62;.exe&quot; &unknown;</Command></Exec>\r\n"
        "<Exec><Command/></Exec><Executable><Command>C:\\NotAnAction.exe</Command></Executable>\r\n"
        "</Actions>\r\n</Task>\r\n";
    EXPECT_EQ(ExecCommandsOfTaskXml(xml),
              (std::vector<std::string>{"C:\\Up\\up.exe", "\"C:\\A & B\\b.exe\" &unknown;", ""}));
    EXPECT_TRUE(ExecCommandsOfTaskXml("<Exec><Command>C:\\Cut").empty());
}

TEST(ScheduledTaskCheck, ATaskWhoseProgramChangesIsReportedChangedButNotForItsArgumentsNorFromTheTaskCache) {
    TaskList list{TaskListSource::TaskFolder, {"\\Vendor\\Updater"}, {TaskActionsHash({"C:\\Up\\up.exe"})}};
    std::vector<std::string> reported;
    ScheduledTaskCheck check([&](const std::vector<Finding>& found) { AddNames(reported, found); }, [&] { return list; });
    check.Start();
    // Each tick with these actions: the same program spelt otherwise, another,
    // a definition that could not be read (which tells nothing), the first again.
    for (const std::uint64_t actions : {TaskActionsHash({"C:\\Up\\up.exe"}), TaskActionsHash({"\"c:\\UP\\UP.EXE\""}),
                                        TaskActionsHash({"C:\\Hijack\\up.exe"}), std::uint64_t{0},
                                        TaskActionsHash({"C:\\Up\\up.exe"})}) {
        list.actions = {actions};
        check.Run();
    }
    list = {TaskListSource::TaskCache, {"\\Vendor\\Updater"}};  // tells no programs
    check.Run();
    check.Run();
    EXPECT_EQ(reported, (std::vector<std::string>{"Updater (changed)"}));
}

TEST(ServiceImage, WindowsOwnPlacesAreInTheWindowsFolderOthersAreNot) {
    for (const char* own : {"C:\\WINDOWS\\system32\\svchost.exe", "\\SystemRoot\\System32\\drivers\\x.sys",
                            "System32\\drivers\\x.sys", "\\??\\C:\\Windows\\x.sys", ""})
        EXPECT_TRUE(InWindowsFolder(own, "C:\\Windows")) << own;
    for (const char* other : {"C:\\WindowsApps\\x.exe", "C:\\Program Files\\Vendor\\svc.exe", "\\??\\D:\\Drivers\\x.sys"})
        EXPECT_FALSE(InWindowsFolder(other, "C:\\Windows\\")) << other;
}

// Each check stands for one run of Vigilo; the services kept between them.
TEST(ServiceCheck, AServiceSwitchedToStartWithWindowsOrGivenAnotherProgramIsReportedButNotANewOneOrWindowsOwn) {
    ScratchKey keptKey("KeptServices");
    KeptListingStore store(HKEY_CURRENT_USER, keptKey.Path());
    std::vector<ServiceState> services{{"Demand", false}, {"Auto", true, "C:\\Vendor\\svc.exe"}, {"Own", false},
                                       {"Driver", false}, {"Away", false}};
    std::vector<std::string> reported;
    const auto check = [&] {
        return std::make_unique<ServiceCheck>([&](const std::vector<Finding>& found) { AddNames(reported, found); },
                                              [&] { return std::optional(services); }, &store, "C:\\Windows");
    };
    auto firstRun = check();
    firstRun->Run();  // not started: nothing listed
    EXPECT_TRUE(firstRun->Start());
    firstRun->Run();
    services[0] = {"Demand", true, "C:\\Vendor\\demand.exe"};
    services[1].program = "C:\\Hijack\\svc.exe";
    services[2] = {"Own", true, "C:\\Windows\\system32\\svchost.exe"};
    services[3] = {"Driver", true, "System32\\drivers\\x.sys"};
    services.push_back({"New", true, "C:\\Vendor\\new.exe"});
    firstRun->Run();
    EXPECT_EQ(reported, (std::vector<std::string>{"Demand", "Auto (changed)"}));
    services[4] = {"Away", true, "C:\\Vendor\\away.exe"};  // while Vigilo is not running
    auto secondRun = check();
    EXPECT_TRUE(secondRun->Start());
    secondRun->Run();
    secondRun->Run();
    EXPECT_EQ(reported, (std::vector<std::string>{"Demand", "Auto (changed)", "Away"}));

    // Made after a tick, seen by the services watch not starting with Windows, switched before the next tick.
    reported.clear();
    services.push_back({"Quiet", true, "C:\\Vendor\\quiet.exe"});
    RememberServiceAddedNotStartingWithWindows("quiet");
    // Seen so and still so at the tick: the ticks compare it from then on.
    services.push_back({"Later", false});
    RememberServiceAddedNotStartingWithWindows("Later");
    secondRun->Run();
    EXPECT_EQ(reported, (std::vector<std::string>{"Quiet"}));
    services.back() = {"Later", true, "C:\\Vendor\\later.exe"};
    secondRun->Run();
    secondRun->Run();
    EXPECT_EQ(reported, (std::vector<std::string>{"Quiet", "Later"}));
}
