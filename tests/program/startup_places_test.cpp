// Where programs make themselves start besides the Run keys: services and
// drivers, scheduled tasks (listed at each tick of the ten-minute timer,
// which is delivered here), and the policy Run key. Each shows the startup
// window under the startup entries' rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "platform/file_system.h"
#include "platform/text.h"
#include "support/monitors_support.h"
#include "support/notification_program.h"
#include "support/notification_support.h"
#include "support/test_support.h"

using namespace vigilo::test;

namespace {

// A service is read after the installer's five seconds.
constexpr DWORD kServiceShownMs = 9000;
constexpr DWORD kServiceSilentMs = 7000;
constexpr DWORD kTickSilentMs = 2000;
const char* kPolicyRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";

// A service registered with the service manager, deleted afterwards.
class TestService {
public:
    TestService(const wchar_t* name, const wchar_t* displayName, DWORD startType, const wchar_t* program = L"C:\\windows\\system32\\notepad.exe") : name_(name) {
        Delete(name);
        SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = CreateServiceW(manager, name, displayName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                           startType, SERVICE_ERROR_IGNORE, program,
                                           nullptr, nullptr, nullptr, nullptr, nullptr);
        created_ = service != nullptr;
        if (service) CloseServiceHandle(service);
        if (manager) CloseServiceHandle(manager);
    }
    ~TestService() { Delete(name_); }
    bool Created() const { return created_; }
    // Switches it to start with Windows, as an installer might after its set-up.
    bool SwitchToAutomatic() const {
        SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = OpenServiceW(manager, name_, SERVICE_CHANGE_CONFIG);
        const bool changed = service && ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_AUTO_START,
                                                              SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                                              nullptr, nullptr, nullptr);
        if (service) CloseServiceHandle(service);
        if (manager) CloseServiceHandle(manager);
        return changed;
    }

private:
    static void Delete(const wchar_t* name) {
        SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        if (SC_HANDLE service = OpenServiceW(manager, name, DELETE)) {
            DeleteService(service);
            CloseServiceHandle(service);
        }
        if (manager) CloseServiceHandle(manager);
    }
    const wchar_t* name_;
    bool created_ = false;
};

class StartupPlaces : public NotificationProgram {
protected:
    StartupPlaces() : NotificationProgram("TForm2c", "StartupNotifier") {}
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, kPolicyRunKey); }
    void TearDown() override {
        vigilo_.reset();
        DeleteKeyTree(HKEY_CURRENT_USER, kPolicyRunKey);
        for (const std::string& task : tasks_) RunProcess("schtasks.exe /delete /f /tn \"" + task + "\"");
    }
    // Registers a task that starts at log-on, as updaters do, with schtasks.
    bool RegisterTask(const std::string& path) {
        taskFolder_.Write("task.xml",
                          "<?xml version=\"1.0\"?>\r\n"
                          "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
                          "<Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>\r\n"
                          "<Actions Context=\"Author\"><Exec><Command>C:\\windows\\notepad.exe</Command></Exec></Actions>\r\n"
                          "</Task>\r\n");
        tasks_.push_back(path);
        const std::string xml = taskFolder_.File("task.xml");
        return RunProcess("schtasks.exe /create /f /xml \"" + xml + "\" /tn \"" + path + "\"", 60000) == 0;
    }
    // Stores a task's definition with command, in UTF-16 as the Task
    // Scheduler of Windows keeps it in the system's "Tasks" folder (Wine's
    // schtasks stores every Exec action without its command).
    static bool StoreTaskDefinition(const std::string& path, const std::string& command) {
        const std::wstring xml = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
                                 L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
                                 L"  <Actions Context=\"Author\">\r\n    <Exec>\r\n      <Command>" +
                                 vigilo::Utf16(command) +
                                 L"</Command>\r\n      <Arguments>/update</Arguments>\r\n    </Exec>\r\n  </Actions>\r\n"
                                 L"</Task>\r\n";
        std::string bytes = "\xFF\xFE";
        bytes.append(reinterpret_cast<const char*>(xml.data()), xml.size() * sizeof(wchar_t));
        const std::string file = TasksFolder() + path;
        WriteFile(file, bytes);
        return vigilo::FileExists(file);
    }
    // The native system folder's "Tasks": a 32-bit test reaches it as "Sysnative".
    static std::string TasksFolder() {
        wchar_t windows[MAX_PATH] = L"";
        GetWindowsDirectoryW(windows, MAX_PATH);
        const std::string sysnative = vigilo::Utf8(windows) + "\\Sysnative";
        return (vigilo::DirectoryExists(sysnative) ? sysnative : vigilo::Utf8(windows) + "\\System32") + "\\Tasks";
    }
    void Tick() const { PostMessageW(vigilo_->MainWindow(), WM_TIMER, 1, 0); }
    HWND ExpectShownNaming(const std::string& name, DWORD timeoutMs) {
        HWND form = WaitForWindow(timeoutMs);
        EXPECT_NE(form, nullptr) << name;
        if (form) {
            EXPECT_NE(FindChildByText(form, name), nullptr) << name;
        }
        return form;
    }

    std::vector<std::string> tasks_;
    TempFolder taskFolder_;
};

}  // namespace

TEST_F(StartupPlaces, AServiceThatStartsWithWindowsShowsItsDisplayName) {
    StartVigilo();
    TestService service(L"VigiloTestAutoSvc", L"Vigilo Test Updater Service", SERVICE_AUTO_START);
    ASSERT_TRUE(service.Created());
    ExpectShownNaming("Vigilo Test Updater Service", kServiceShownMs);
}

TEST_F(StartupPlaces, ATaskRegisteredWhileVigiloRunsShowsItsNameAtTheNextTick) {
    StartVigilo();
    ASSERT_TRUE(RegisterTask("\\Vigilo Tests\\VigiloTestTaskUpdater"));
    EXPECT_TRUE(NoWindowFor(kTickSilentMs)) << "tasks are compared at the timer's ticks only";
    Tick();
    ExpectShownNaming("VigiloTestTaskUpdater", 5000);
}

TEST_F(StartupPlaces, AValueUnderThePolicyRunKeyMadeAfterTheStartShowsTheWindow) {
    StartVigilo();
    SetString(HKEY_CURRENT_USER, kPolicyRunKey, "VigiloTestPolicyEntry", "C:\\updater.exe");
    ExpectShownNaming("VigiloTestPolicyEntry", 5000);
}

// One start for every case that shows nothing. (While Purgeon runs, only the
// Run keys' and the Startup folders' windows are held back: startup_entry_test.)
TEST_F(StartupPlaces, OnDemandServicesWindowsOwnTasksAndEntriesSilencedByTheSettingOrByPurgeonShowNothing) {
    // A service and a task, then a tick, and no window for the service's settle delay and more.
    const auto expectSilent = [&](const wchar_t* service, DWORD startType, const std::string& task) {
        TestService made(service, L"Vigilo Test Silent", startType);
        ASSERT_TRUE(made.Created());
        ASSERT_TRUE(RegisterTask(task));
        Tick();
        EXPECT_TRUE(NoWindowFor(kServiceSilentMs)) << task;
    };
    StartVigilo();
    expectSilent(L"VigiloTestDemandSvc", SERVICE_DEMAND_START, "\\Microsoft\\Windows\\VigiloTestWindowsOwn");
    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 0);
    expectSilent(L"VigiloTestOffSvc", SERVICE_AUTO_START, "VigiloTestTaskSwitchedOff");
}

// Both are compared at the timer's ticks: the tasks first, whose window
// shows, then the services, whose finding is recorded while it is up.
TEST_F(StartupPlaces, ADemandStartServiceSwitchedToAutomaticAndATaskGivenAnotherProgramShowAtTheNextTick) {
    TestService service(L"VigiloTestSwitchedSvc", L"Vigilo Test Switched Service", SERVICE_DEMAND_START,
                        L"C:\\VigiloTest\\switched.exe");
    ASSERT_TRUE(service.Created());
    const std::string task = "\\Vigilo Tests\\VigiloTestTaskHijacked";
    ASSERT_TRUE(RegisterTask(task));
    ASSERT_TRUE(StoreTaskDefinition(task, "%SystemDrive%\\VigiloTest\\updater.exe"));
    StartVigilo();  // the first tick, right after the start, lists them

    ASSERT_TRUE(StoreTaskDefinition(task, "&quot;C:\\VigiloTest\\UPDATER.exe&quot;"));
    Tick();
    EXPECT_TRUE(NoWindowFor(kTickSilentMs)) << "the same program";

    ASSERT_TRUE(service.SwitchToAutomatic());
    ASSERT_TRUE(StoreTaskDefinition(task, "C:\\VigiloTest\\hijacker.exe"));
    EXPECT_TRUE(NoWindowFor(kTickSilentMs)) << "compared at the timer's ticks only";
    Tick();
    HWND form = ExpectShownNaming("VigiloTestTaskHijacked", 5000);
    if (form) {
        EXPECT_NE(FindChildByText(form, "changed what it starts with Windows."), nullptr);
    }
    EXPECT_TRUE(WaitUntil(
        [] {
            const std::vector<std::string> lines = RecentFindingLines();
            return !lines.empty() && lines[0].ends_with("\tstartup\tVigilo Test Switched Service");
        },
        10000))
        << "the service's finding, recorded while the task's window is up";
}

// The tasks are listed on their watch's own thread: during a check of 5,000
// task files the main window answers WM_NULL, asked every 10 ms as another
// program checks that a window still answers, within 50 ms each time. The
// check ends with the window of the task added last.
TEST_F(StartupPlaces, TheMainWindowAnswersWithinFiftyMillisecondsThroughoutACheckOfFiveThousandTasks) {
    const std::string folder = TasksFolder() + "\\VigiloTestMany";
    struct Removed {
        std::string folder;
        ~Removed() { RemoveTree(folder); }
    } removed{folder};
    ASSERT_TRUE(MakeFolders(folder));
    for (int i = 0; i < 5000; ++i)
        ASSERT_TRUE(StoreTaskDefinition("\\VigiloTestMany\\Task" + std::to_string(i), "C:\\VigiloTest\\many.exe"));
    StartVigilo();
    // The tasks' watch has kept its first listing of the 5,000 (the baseline) before the last one comes.
    DWORD type = 0, size = 0;
    ASSERT_TRUE(WaitUntil([&] { return GetValueInfo(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo\\Kept", "Scheduled tasks", type, size); },
                          60000));
    ASSERT_TRUE(StoreTaskDefinition("\\VigiloTestMany\\VigiloTestLastOfMany", "C:\\VigiloTest\\last.exe"));

    using namespace std::chrono;
    milliseconds longest{};
    int probes = 0;
    Tick();
    for (;;) {
        const steady_clock::time_point sent = steady_clock::now();
        DWORD_PTR result = 0;
        ASSERT_NE(SendMessageTimeoutA(vigilo_->MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result), 0);
        const milliseconds waited = duration_cast<milliseconds>(steady_clock::now() - sent);
        if (FindTopWindow("TForm2c", nullptr, Pid())) break;
        longest = std::max(longest, waited);
        ++probes;
        ASSERT_LT(probes, 6000) << "no window within a minute";
        Sleep(10);
    }
    EXPECT_LT(longest, milliseconds(50)) << probes << " probes";
    EXPECT_GE(probes, 5);  // the check took a while: this measured it
}
