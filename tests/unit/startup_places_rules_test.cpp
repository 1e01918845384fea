// The rules of the places beyond the Run keys, at their edges: which
// services start with Windows, which tasks are Windows' own, what a forced
// extension's value names, what the tasks' and the services' listings make
// findings of, whether a machine key is one or two keys in the registry's
// views, and when a new uninstall entry is an upgrade.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "core/settings_store.h"
#include "monitors/finding_rules.h"
#include "monitors/place.h"
#include "monitors/scheduled_tasks.h"
#include "monitors/services.h"
#include "monitors/services.h"
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
    EXPECT_EQ(ListedNames(HKEY_CURRENT_USER, key.Path(), KeyListing::ForcedExtensionIds),
              (std::vector<std::string>{"secondextension", "thirdextension"}));
}

namespace {
RegisteredTask Task(std::string path, std::vector<std::string> commands = {"C:\\Up\\up.exe"}) {
    return {std::move(path), std::move(commands)};
}
// The names the tasks' rule reports from one listing to the next.
std::vector<std::string> TaskRound(const Listing& previous, const Listing& fresh) {
    std::vector<std::string> names;
    AddNames(names, NewOrChangedTasks({{nullptr, "Scheduled tasks"}, previous, fresh}));
    return names;
}
}  // namespace

TEST(ScheduledTasks, NewTasksOfTheSameSourceAreReportedButNotWindowsOwnNorAnotherSourcesFirstList) {
    const Listing first = TaskListing(TaskSource::TaskFolder, {Task("\\Old")});
    const Listing second = TaskListing(TaskSource::TaskFolder, {Task("\\old"), Task("\\Vendor\\First"),
                                                                Task("\\Microsoft\\Windows\\Own")});
    EXPECT_EQ(TaskRound(first, second), (std::vector<std::string>{"First"}));
    const Listing other = TaskListing(TaskSource::Scheduler, {Task("\\Hidden"), Task("\\Vendor\\First")});
    EXPECT_TRUE(TaskRound(second, other).empty()) << "another source holds what it holds";
    EXPECT_EQ(TaskRound(other, TaskListing(TaskSource::Scheduler, {Task("\\Hidden"), Task("\\Third")})),
              (std::vector<std::string>{"Third"}));
    // A listing kept by an earlier Vigilo names no source: it is the task folder's.
    EXPECT_EQ(TaskRound(ListingOf({"\\Old"}), first), std::vector<std::string>{});
}

// Measured on Wine 8: its scheduler's interface cannot list, the task files can be read.
TEST(ScheduledTasks, UnderWineTheListComesFromTheTaskFiles) {
    EXPECT_FALSE(TasksFromScheduler());
    EXPECT_TRUE(TasksFromTaskFolder());
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
// within one round: an entry was taken for the lost one's upgrade by its
// publisher alone, so any program of that publisher went unseen.
TEST(NewPrograms, AnEntryLostInTheSameRoundHidesOnlyItsUpgradeByNameOrInstallFolder) {
    ScratchKey key("Programs");
    const PlaceSpec place{HKEY_CURRENT_USER, key.Path() + "\\"};
    const Listing previous{{{"Old", 0, "ACC ALPHA VIEWER 2.1 (64-BIT)", "ACC"},
                            {"Tool", 0, "TOOL", "T", "C:\\PROGRAM FILES\\TOOL\\"}}};
    Listing fresh{{{"Other", 0, "ACC BETA BACKUP SUITE", "ACC"},
                   {"Upgrade", 0, "ACC ALPHA VIEWER V3.0 X64", "ACC"},
                   {"Moved", 0, "TOOL NEXT", "T", "\"C:\\Program Files\\Tool\""}}};
    for (const ListedEntry& entry : fresh.entries) SetString(HKEY_CURRENT_USER, key.Path() + "\\" + entry.name, "DisplayIcon", "");
    const std::vector<Finding> found = NewPrograms({place, previous, fresh});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "ACC BETA BACKUP SUITE");
}

TEST(NewPrograms, VersionsAndTagsAreLeftOutOfTheNameComparedAndNothingElse) {
    EXPECT_EQ(ProgramNameWithoutVersion(" Editor  10.0.1 v3.2 2 x64 (32-bit) 64-BIT "), "Editor");
    EXPECT_EQ(ProgramNameWithoutVersion("7-Zip 22.01 (x64)"), "7-Zip (x64)");
    EXPECT_EQ(ProgramNameWithoutVersion("Tool v 1.2b version2 .."), "Tool v 1.2b version2 ..");
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

TEST(ScheduledTasks, ATaskWhoseProgramChangesIsReportedChangedButNotForItsArgumentsNorFromTheTaskCache) {
    std::vector<std::string> reported;
    Listing before = TaskListing(TaskSource::TaskFolder, {Task("\\Vendor\\Updater", {"C:\\Up\\up.exe"})});
    // The same program spelt otherwise, another, a definition that could not be read (which tells nothing), the first again.
    for (const std::optional<std::vector<std::string>>& commands :
         {std::optional<std::vector<std::string>>{{"\"c:\\UP\\UP.EXE\""}}, std::optional<std::vector<std::string>>{{"C:\\Hijack\\up.exe"}},
          std::optional<std::vector<std::string>>{}, std::optional<std::vector<std::string>>{{"C:\\Up\\up.exe"}}}) {
        const Listing now = TaskListing(TaskSource::TaskFolder, {{"\\Vendor\\Updater", commands}});
        for (const std::string& name : TaskRound(before, now)) reported.push_back(name);
        before = now;
    }
    const Listing cache = TaskListing(TaskSource::TaskCache, {{"\\Vendor\\Updater"}});  // tells no programs
    EXPECT_TRUE(TaskRound(cache, cache).empty());
    EXPECT_EQ(reported, (std::vector<std::string>{"Updater (changed)"}));
}

TEST(ServiceImage, WindowsOwnPlacesAreInTheWindowsFolderOthersAreNot) {
    for (const char* own : {"C:\\WINDOWS\\system32\\svchost.exe", "\\SystemRoot\\System32\\drivers\\x.sys",
                            "System32\\drivers\\x.sys", "\\??\\C:\\Windows\\x.sys", ""})
        EXPECT_TRUE(InWindowsFolder(own, "C:\\Windows")) << own;
    for (const char* other : {"C:\\WindowsApps\\x.exe", "C:\\Program Files\\Vendor\\svc.exe", "\\??\\D:\\Drivers\\x.sys"})
        EXPECT_FALSE(InWindowsFolder(other, "C:\\Windows\\")) << other;
}

// Services in a key of the test's own, listed as the services' place lists them.
TEST(Services, AServiceNewOrSwitchedToStartWithWindowsOrGivenAnotherProgramIsReportedButNotWindowsOwn) {
    ScratchKey key("Services");
    const PlaceSpec place{HKEY_CURRENT_USER, key.Path() + "\\"};
    const auto service = [&](const std::string& name, DWORD start, const std::string& image = {}) {
        SetDword(HKEY_CURRENT_USER, key.Path() + "\\" + name, "Start", start);
        if (!image.empty()) SetString(HKEY_CURRENT_USER, key.Path() + "\\" + name, "ImagePath", image, REG_EXPAND_SZ);
    };
    const auto list = [&] { return MakeKeyPlace(place, KeyListing::ServiceStates, KeyChanges::SubkeyNamesAndTicks)->List({}); };
    service("Demand", 3);
    service("Auto", 2, "C:\\Vendor\\svc.exe");
    service("Own", 3);
    service("Driver", 3);
    const Listing before = list();
    service("Demand", 2, "C:\\Vendor\\demand.exe");
    service("Auto", 2, "C:\\Hijack\\svc.exe -k");
    service("Own", 2, "%SystemRoot%\\system32\\svchost.exe -k netsvcs");
    service("Driver", 1, "System32\\drivers\\x.sys");
    service("New", 2, "C:\\Vendor\\new.exe");
    service("NewOnDemand", 3, "C:\\Vendor\\later.exe");
    std::vector<std::string> reported;
    AddNames(reported, NewOrSwitchedServices({place, before, list()}));
    EXPECT_EQ(reported, (std::vector<std::string>{"Auto (changed)", "Demand", "New"}));
}
