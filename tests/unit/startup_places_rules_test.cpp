// The rules of the places beyond the Run keys, at their edges: which
// services start with Windows, which tasks are Windows' own, what a forced
// extension's value names, the task check's ticks, whether a machine key is
// one or two keys in the registry's views, and when a new uninstall entry is
// an upgrade.
#include <gtest/gtest.h>

#include "core/settings_store.h"
#include "monitors/finding_rules.h"
#include "monitors/scheduled_task_check.h"
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
    ScheduledTaskCheck check([&](const std::vector<std::string>& names) { reported.insert(reported.end(), names.begin(), names.end()); },
                             [&] { return list; });

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
    EXPECT_FALSE(TaskPathsFromScheduler());
    EXPECT_EQ(ListScheduledTasks().source, TaskListSource::TaskFolder);
}

// Each store stands for one run of Vigilo.
TEST(ScheduledTaskCheck, ATaskRegisteredWhileVigiloWasAwayIsReportedAtTheNextStartButNotOnTheFirstEver) {
    CleanSettings settings;
    WriteBool(kSettingsRoot, kSettingsKey, "StartupNotifier", true);
    ScratchKey keptKey("KeptTasks");
    TaskList list{TaskListSource::TaskFolder, {"\\AtFirstStart"}};
    std::vector<std::string> reported;
    const auto report = [&](const std::vector<std::string>& names) { reported.insert(reported.end(), names.begin(), names.end()); };
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
