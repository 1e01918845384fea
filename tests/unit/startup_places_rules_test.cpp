// The rules of the startup places beyond the Run keys, at their edges:
// which services start with Windows, which tasks are Windows' own, what a
// forced extension's value names, the task check's ticks, and whether a
// machine key is one or two keys in the registry's views.
#include <gtest/gtest.h>

#include "core/settings_store.h"
#include "monitors/forced_extension_mon_thread.h"
#include "monitors/scheduled_task_check.h"
#include "monitors/service_mon_thread.h"
#include "platform/registry.h"
#include "platform/registry_views.h"
#include "platform/task_scheduler.h"
#include "platform/text.h"
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
    StringList listed;
    EXPECT_EQ(ListForcedExtensions(HKEY_CURRENT_USER, key.Path(), listed, RegistryView::k64Bit), 2);
    EXPECT_EQ(listed, (StringList{"secondextension", "thirdextension"}));
}

TEST(ScheduledTaskCheck, ReportsTasksNewSinceTheLastReadableListOnlyWhileStarted) {
    CleanSettings settings;
    WriteBool(kSettingsRoot, kSettingsKey, "StartupNotifier", true);
    TaskList list{TaskListSource::TaskFolder, {"\\Old"}};
    std::vector<std::string> reported;
    ScheduledTaskCheck check([&](const std::vector<std::string>& names) { reported.insert(reported.end(), names.begin(), names.end()); },
                             [&] { return list; });

    check.Run();  // not started: the tasks of a switched-off startup group are not compared
    check.Start();
    list.paths = {"\\Old", "\\Vendor\\First"};
    check.Run();
    list = {TaskListSource::None, {}};  // unreadable this tick: the last list stays
    check.Run();
    list = {TaskListSource::Scheduler, {"\\old", "\\Vendor\\First", "\\Microsoft\\Windows\\Own", "\\Second"}};
    check.Run();
    check.Run();
    check.Stop();
    list.paths.push_back("\\AfterStop");
    check.Run();
    EXPECT_EQ(reported, (std::vector<std::string>{"First", "Second"}));
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
    {
        KeptListingStore firstRun(HKEY_CURRENT_USER, keptKey.Path());
        ScheduledTaskCheck check(report, [&] { return list; }, &firstRun);
        EXPECT_FALSE(check.Start()) << "nothing kept: nothing to catch up on";
    }
    list.paths.push_back("\\Vendor\\WhileAway");
    KeptListingStore secondRun(HKEY_CURRENT_USER, keptKey.Path());
    ScheduledTaskCheck check(report, [&] { return list; }, &secondRun);
    ASSERT_TRUE(check.Start());
    check.Run();
    EXPECT_FALSE(check.Start()) << "a restart in the same run catches up no more";
    check.Run();
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
