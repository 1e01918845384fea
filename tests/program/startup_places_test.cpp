// Where programs make themselves start besides the Run keys: services and
// drivers, scheduled tasks (listed at each tick of the ten-minute timer,
// which is delivered here), and the policy Run key. Each shows the startup
// window under the startup entries' rules.
#include <gtest/gtest.h>

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
    TestService(const wchar_t* name, const wchar_t* displayName, DWORD startType) : name_(name) {
        Delete(name);
        SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = CreateServiceW(manager, name, displayName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                           startType, SERVICE_ERROR_IGNORE, L"C:\\windows\\system32\\notepad.exe",
                                           nullptr, nullptr, nullptr, nullptr, nullptr);
        created_ = service != nullptr;
        if (service) CloseServiceHandle(service);
        if (manager) CloseServiceHandle(manager);
    }
    ~TestService() { Delete(name_); }
    bool Created() const { return created_; }

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
        const TempFolder& folder = vigilo_->Folder();
        folder.Write("task.xml",
                     "<?xml version=\"1.0\"?>\r\n"
                     "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
                     "<Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>\r\n"
                     "<Actions Context=\"Author\"><Exec><Command>C:\\windows\\notepad.exe</Command></Exec></Actions>\r\n"
                     "</Task>\r\n");
        tasks_.push_back(path);
        const std::string xml = folder.File("task.xml");
        return RunProcess("schtasks.exe /create /f /xml \"" + xml + "\" /tn \"" + path + "\"", 60000) == 0;
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

// One start for every case that shows nothing.
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
    SetDword(HKEY_CURRENT_USER, "Software\\Purgeon", "StartupNotifier", 1);
    ASSERT_TRUE(StartPurgeon());
    expectSilent(L"VigiloTestPurgeonSvc", SERVICE_AUTO_START, "VigiloTestTaskWhilePurgeon");
    EndPurgeons();
}
