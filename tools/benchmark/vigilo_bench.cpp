// The Windows side of scripts/benchmark.sh: prepares every watched key and
// folder, reads a running program's threads and working set, and measures
// how long Vigilo takes from a change to the notification window existing.
//
//   vigilo_bench prepare             creates every watched key and folder but
//                                    three, which Vigilo then waits for
//   vigilo_bench threads CLASS       threads of the process owning window CLASS
//   vigilo_bench memory CLASS        its working set, in bytes
//   vigilo_bench latency KIND        ms from the change to the window, and the
//                                    change's moment in counter microseconds (KIND:
//                                    startup, new-program, extension-ie,
//                                    extension-chrome, extension-policy,
//                                    service, and startup-signed and
//                                    new-program-signed, which name
//                                    C:\VigiloBench\signed.exe), after which the window
//                                    is closed and gone
//   vigilo_bench notify N            N new-program notifications, each closed
//                                    as soon as it shows
//   vigilo_bench monitors            Vigilo's monitor threads: its threads with
//                                    every group running, less those with none
//   vigilo_bench close               the close request, as Purgeon sends it
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr REGSAM k64 = KEY_WOW64_64KEY, k32 = KEY_WOW64_32KEY;

void CreateKey(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &key, nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
}

void SetValue(HKEY root, const std::string& path, const char* name, const std::string& text, REGSAM view) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), text.size() + 1);
    RegCloseKey(key);
}

void DeleteTree(HKEY root, const std::string& path, REGSAM view) {
    HKEY parent = nullptr;
    const size_t slash = path.find_last_of('\\');
    if (RegOpenKeyExA(root, path.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS) return;
    RegDeleteTreeA(parent, path.substr(slash + 1).c_str());
    RegCloseKey(parent);
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return path;
}

void CreateFolders(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kChromeForcelist = "SOFTWARE\\Policies\\Google\\Chrome\\ExtensionInstallForcelist";

// A service that starts automatically, as an updater's does; deleted again
// with remove. The service manager is opened by the caller, before the
// change's moment is taken: opening it is a round trip to services.exe
// that precedes the change and is no part of Vigilo's time.
void BenchService(SC_HANDLE manager, const std::string& name, bool remove) {
    if (!manager) return;
    if (remove) {
        if (SC_HANDLE service = OpenServiceA(manager, name.c_str(), DELETE)) {
            DeleteService(service);
            CloseServiceHandle(service);
        }
    } else if (SC_HANDLE service = CreateServiceA(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                                  SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_IGNORE,
                                                  "C:\\windows\\system32\\notepad.exe", nullptr, nullptr, nullptr,
                                                  nullptr, nullptr)) {
        CloseServiceHandle(service);
    }
}
const char* const kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char* const kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const kIeKeys[] = {"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions",
                               "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects",
                               "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars"};

std::string ChromeExtensions() {
    return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Google\\Chrome\\User Data\\Default\\Extensions";
}

int Prepare() {
    for (const char* key : {kRun, kRunOnce}) {
        CreateKey(HKEY_CURRENT_USER, key, k64);
        CreateKey(HKEY_LOCAL_MACHINE, key, k64);
        CreateKey(HKEY_LOCAL_MACHINE, key, k32);
    }
    CreateKey(HKEY_CURRENT_USER, kUninstall, k64);
    CreateKey(HKEY_LOCAL_MACHINE, kUninstall, k64);
    CreateKey(HKEY_LOCAL_MACHINE, kUninstall, k32);
    for (const char* key : kIeKeys) {
        CreateKey(HKEY_LOCAL_MACHINE, key, k64);
        CreateKey(HKEY_LOCAL_MACHINE, key, k32);
    }
    // Two Firefox profiles, each with its extensions and its local cache.
    const std::string firefox = ShellFolder(CSIDL_APPDATA) + "\\Mozilla\\Firefox";
    for (const char* profile : {"bench.default", "bench.second"}) {
        CreateFolders(firefox + "\\Profiles\\" + profile + "\\extensions");
        CreateFolders(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Mozilla\\Firefox\\Profiles\\" + profile + "\\cache2");
    }
    HANDLE ini = CreateFileA((firefox + "\\profiles.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const char text[] =
        "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/bench.default\r\n\r\n"
        "[Profile1]\r\nName=second\r\nIsRelative=1\r\nPath=Profiles/bench.second\r\n";
    DWORD written = 0;
    WriteFile(ini, text, sizeof(text) - 1, &written, nullptr);
    CloseHandle(ini);
    CreateFolders(ChromeExtensions());
    // A second Chrome profile, Microsoft Edge and Brave, as on a machine of today.
    const std::string local = ShellFolder(CSIDL_LOCAL_APPDATA);
    for (const char* profile : {"Google\\Chrome\\User Data\\Profile 1", "Microsoft\\Edge\\User Data\\Default",
                                "BraveSoftware\\Brave-Browser\\User Data\\Default"}) {
        CreateFolders(local + "\\" + profile + "\\Extensions");
        CreateFolders(local + "\\" + profile + "\\Cache");
    }
    CreateFolders(ShellFolder(CSIDL_STARTUP));
    CreateFolders(ShellFolder(CSIDL_COMMON_STARTUP));
    // Some watches wait for their place, as on a fresh machine: the user's
    // RunOnce key, the 32-bit Explorer Bars key and Brave's extensions folder
    // are missing (their parents watched instead).
    DeleteTree(HKEY_CURRENT_USER, kRunOnce, k64);
    DeleteTree(HKEY_LOCAL_MACHINE, kIeKeys[2], k32);
    RemoveDirectoryA((local + "\\BraveSoftware\\Brave-Browser\\User Data\\Default\\Extensions").c_str());
    return 0;
}

DWORD ProcessOf(const char* windowClass) {
    HWND window = FindWindowA(windowClass, nullptr);
    DWORD pid = 0;
    if (window) GetWindowThreadProcessId(window, &pid);
    return pid;
}

int CountThreads(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{sizeof(entry)};
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == pid) ++count;
    CloseHandle(snapshot);
    return count;
}

int Threads(const char* windowClass) {
    const DWORD pid = ProcessOf(windowClass);
    std::printf("%d\n", CountThreads(pid));
    return pid ? 0 : 1;
}

void SetGroups(DWORD on) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Purgeon", 0, nullptr, 0, KEY_WRITE | k64, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    for (const char* name : {"NewAppNotifier", "NewToolbarNotifier", "StartupNotifier"})
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof(on));
    RegCloseKey(key);
    PostMessageA(FindWindowA("TForm1", "Vigilo"), 1135, 0, 0);
    Sleep(12000);  // a stopped monitor ends within its longest wait slice, 10 s
}

int Monitors() {
    const DWORD pid = ProcessOf("TForm1");
    SetGroups(0);
    const int without = CountThreads(pid);
    SetGroups(1);
    std::printf("%d\n", CountThreads(pid) - without);
    return pid ? 0 : 1;
}

int Close() {
    HWND main = FindWindowA("TForm1", "Vigilo");
    PostMessageA(main, RegisterWindowMessageA("Vigilo"), 1137, 0);
    return main ? 0 : 1;
}

int Memory(const char* windowClass) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ProcessOf(windowClass));
    PROCESS_MEMORY_COUNTERS counters{sizeof(counters)};
    const bool ok = process && K32GetProcessMemoryInfo(process, &counters, sizeof(counters));
    if (process) CloseHandle(process);
    std::printf("%lu\n", ok ? static_cast<unsigned long>(counters.WorkingSetSize) : 0ul);
    return ok ? 0 : 1;
}

// Milliseconds until a window of windowClass exists; -1 after timeoutMs.
long WaitForWindow(const char* windowClass, ULONGLONG start, DWORD timeoutMs) {
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (FindWindowA(windowClass, nullptr)) return static_cast<long>(now - start);
        if (now - start > timeoutMs) return -1;
        Sleep(2);
    }
}

bool WaitGone(const char* windowClass, DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    while (FindWindowA(windowClass, nullptr)) {
        if (GetTickCount64() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

// Microseconds on the system-wide performance counter, as Vigilo's timing trace gives them.
long long CounterMicros() {
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const long long perSecond = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
    return now.QuadPart / perSecond * 1000000 + now.QuadPart % perSecond * 1000000 / perSecond;
}

int Latency(const std::string& kind) {
    static int serial = 0;
    const std::string name = "VigiloBench" + std::to_string(GetTickCount64()) + std::to_string(++serial);
    const char* windowClass = nullptr;
    SC_HANDLE manager = kind == "service" ? OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS) : nullptr;
    const ULONGLONG start = GetTickCount64();
    const long long changed = CounterMicros();
    // The signed kinds name a program signed by a test root, whose signature is checked before the window.
    const std::string signedProgram = "C:\\VigiloBench\\signed.exe";
    if (kind == "startup" || kind == "startup-signed") {
        windowClass = "TForm2c";
        SetValue(HKEY_CURRENT_USER, kRun, name.c_str(), kind == "startup" ? "bench.exe" : signedProgram + " /bg", k64);
    } else if (kind == "new-program" || kind == "new-program-signed") {
        windowClass = "TForm2a";
        const std::string key = std::string(kUninstall) + "\\" + name;
        if (kind == "new-program-signed") SetValue(HKEY_LOCAL_MACHINE, key, "DisplayIcon", signedProgram + ",0", k64);
        SetValue(HKEY_LOCAL_MACHINE, key, "DisplayName", name, k64);
    } else if (kind == "extension-ie") {
        windowClass = "TForm2b";
        SetValue(HKEY_LOCAL_MACHINE, std::string(kIeKeys[0]) + "\\" + name, "ButtonText", name, k64);
    } else if (kind == "extension-chrome") {
        windowClass = "TForm2b";
        CreateDirectoryA((ChromeExtensions() + "\\" + name).c_str(), nullptr);
    } else if (kind == "extension-policy") {
        windowClass = "TForm2b";
        SetValue(HKEY_CURRENT_USER, kChromeForcelist, name.c_str(), name + ";https://update.example", k64);
    } else if (kind == "service") {
        windowClass = "TForm2c";
        BenchService(manager, name, false);
    } else {
        std::fprintf(stderr, "unknown kind %s\n", kind.c_str());
        return 2;
    }
    const long ms = WaitForWindow(windowClass, start, 30000);
    // The moment of the change too, to place Vigilo's timing trace against it.
    std::printf("%ld %lld\n", ms, changed);
    if (HWND window = FindWindowA(windowClass, nullptr)) PostMessageA(window, WM_CLOSE, 0, 0);
    // A timed window stays (hidden) until its 20 seconds are over.
    WaitGone(windowClass, 30000);
    if (kind == "startup" || kind == "startup-signed") {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kRun, 0, KEY_SET_VALUE | k64, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, name.c_str());
            RegCloseKey(key);
        }
    } else if (kind == "new-program" || kind == "new-program-signed") {
        DeleteTree(HKEY_LOCAL_MACHINE, std::string(kUninstall) + "\\" + name, k64);
    } else if (kind == "extension-ie") {
        DeleteTree(HKEY_LOCAL_MACHINE, std::string(kIeKeys[0]) + "\\" + name, k64);
    } else if (kind == "extension-policy") {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kChromeForcelist, 0, KEY_SET_VALUE | k64, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, name.c_str());
            RegCloseKey(key);
        }
    } else if (kind == "service") {
        BenchService(manager, name, true);
    } else {
        RemoveDirectoryA((ChromeExtensions() + "\\" + name).c_str());
    }
    if (manager) CloseServiceHandle(manager);
    // The removal wakes the watch too; the benchmark waits for that round's
    // end in Vigilo's timing trace before the next change.
    return ms < 0 ? 1 : 0;
}

// New programs on the three uninstall keys in turn, so that one monitor's
// settle delay overlaps the others' windows; each window is closed at once.
int Notify(int count) {
    const struct {
        HKEY root;
        REGSAM view;
    } keys[] = {{HKEY_LOCAL_MACHINE, k64}, {HKEY_LOCAL_MACHINE, k32}, {HKEY_CURRENT_USER, k64}};
    int shown = 0;
    for (int i = 0; shown < count && i < count * 3; ++i) {
        const auto& key = keys[i % 3];
        const std::string path = std::string(kUninstall) + "\\VigiloBenchNotify" + std::to_string(i);
        const ULONGLONG start = GetTickCount64();
        SetValue(key.root, path, "DisplayName", "Bench Program " + std::to_string(i), key.view);
        if (WaitForWindow("TForm2a", start, 15000) >= 0) {
            ++shown;
            PostMessageA(FindWindowA("TForm2a", nullptr), WM_CLOSE, 0, 0);
            WaitGone("TForm2a", 10000);
        }
        DeleteTree(key.root, path, key.view);
        Sleep(1200);
    }
    std::printf("%d\n", shown);
    return shown == count ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "prepare") return Prepare();
    if (command == "threads" && argc > 2) return Threads(argv[2]);
    if (command == "memory" && argc > 2) return Memory(argv[2]);
    if (command == "latency" && argc > 2) return Latency(argv[2]);
    if (command == "notify" && argc > 2) return Notify(std::atoi(argv[2]));
    if (command == "monitors") return Monitors();
    if (command == "close") return Close();
    std::fprintf(stderr, "usage: vigilo_bench prepare | threads CLASS | memory CLASS | latency KIND | notify N | monitors | close\n");
    return 2;
}
