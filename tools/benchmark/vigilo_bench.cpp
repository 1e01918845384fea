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
//   vigilo_bench history N           writes a history of findings of N lines
//                                    (0: removes it)
//   vigilo_bench findings-window     opens the findings window as the tray
//                                    menu's "All findings..." does, and prints
//                                    "OPEN SLOWEST FILTER SORT" in ms: until
//                                    it lists every finding of the history;
//                                    the slowest answer of Vigilo's main
//                                    thread meanwhile and while a filter is
//                                    typed and the columns are sorted; the
//                                    slowest keystroke of the filter and the
//                                    slowest sort. Then it closes the window.
//   vigilo_bench tasks N             stores N task definitions in a folder of
//                                    the system's Tasks folder, in place of
//                                    those stored before (0: removes them),
//                                    and removes Vigilo's kept listing of the
//                                    tasks, so that a Vigilo started next
//                                    takes its own first listing
//   vigilo_bench task-check          one ten-minute check of the tasks by the
//                                    running Vigilo, once it keeps its first
//                                    listing of them: a task added, the tick
//                                    delivered, and its main window asked
//                                    with WM_NULL every 10 ms until the
//                                    startup window of the task exists, and
//                                    so is the hello-world window, if it
//                                    runs; prints "SLOWEST DURATION PROBES
//                                    TICK AT YARDSTICK": the slowest answer
//                                    and the time from the tick to the
//                                    window in ms, the answers counted, the
//                                    tick's moment in counter microseconds,
//                                    ms from the tick to the slowest answer's
//                                    question, and the hello-world window's
//                                    slowest answer meanwhile (-1: none
//                                    runs). Then it closes the window.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
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

std::string HistoryPath() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Purgeon\\Vigilo\\Findings.jsonl"; }

// A history as Vigilo writes it: the four kinds in turn, with places, programs and signers.
int History(int findings) {
    DeleteFileA(HistoryPath().c_str());
    if (findings <= 0) return 0;
    CreateFolders(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Purgeon\\Vigilo");
    std::string bytes;
    const char* const kinds[] = {"program", "startup", "extension", "junk"};
    for (int id = 1; id <= findings; ++id) {
        char time[32];
        std::snprintf(time, sizeof time, "2026-%02d-%02dT%02d:%02d:%02dZ", 1 + id / 40000 % 12, 1 + id / 1440 % 28,
                      id / 60 % 24, id % 60, id * 7 % 60);
        const std::string n = std::to_string(id);
        bytes += "{\"id\":" + n + ",\"time\":\"" + time + "\",\"kind\":\"" + kinds[id % 4] +
                 "\",\"event\":\"added\",\"name\":\"Bench Entry " + n + "\",\"storedName\":\"Bench Entry " + n +
                 "\",\"place\":\"HKEY_CURRENT_USER (64-bit view)\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run\"," +
                 "\"program\":\"C:\\\\Program Files\\\\Bench " + std::to_string(id % 97) + "\\\\tool.exe\"," +
                 "\"signer\":\"signed:Bench Publisher " + std::to_string(id % 13) + "\",\"signerLine\":\"Signed by Bench Publisher " +
                 std::to_string(id % 13) + "\",\"window\":\"not shown\"}\n";
    }
    HANDLE file = CreateFileA(HistoryPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE && WriteFile(file, bytes.data(), bytes.size(), &written, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return ok ? 0 : 1;
}

double CounterMs() { return static_cast<double>(CounterMicros()) / 1000.0; }

// Milliseconds until window answers a message, as a user's click waits for it; 5000 when it does not.
double Answer(HWND window, UINT msg = WM_NULL, WPARAM wp = 0, LPARAM lp = 0) {
    const double start = CounterMs();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, msg, wp, lp, SMTO_NORMAL, 5000, &result)) return 5000;
    return CounterMs() - start;
}

HWND ChildOfClass(HWND parent, const char* windowClass, bool visibleOnly) {
    for (HWND child = FindWindowExA(parent, nullptr, windowClass, nullptr); child;
         child = FindWindowExA(parent, child, windowClass, nullptr))
        if (!visibleOnly || IsWindowVisible(child)) return child;
    return nullptr;
}

// The status line once it says that every finding is listed ("N of N findings shown").
bool AllListed(HWND window) {
    for (HWND child = FindWindowExA(window, nullptr, "Static", nullptr); child;
         child = FindWindowExA(window, child, "Static", nullptr)) {
        char text[128] = "";
        GetWindowTextA(child, text, sizeof text);
        unsigned shown = 0, total = 0;
        if (std::sscanf(text, "%u of %u", &shown, &total) == 2) return shown == total && total > 0;
    }
    return false;
}

int FindingsWindow() {
    const HWND main = FindWindowA("TForm1", "Vigilo");
    if (!main) return 1;
    double slowest = 0;
    const double start = CounterMs();
    // The command of the tray menu's "All findings..." item.
    PostMessageA(main, WM_COMMAND, 111, 0);
    HWND window = nullptr;
    while (!window || !AllListed(window)) {
        if (CounterMs() - start > 60000) return 1;
        slowest = std::max(slowest, Answer(main));
        if (!window) window = FindWindowA("TVigiloFindings", nullptr);
    }
    const double open = CounterMs() - start;
    const HWND search = ChildOfClass(window, "Edit", true);
    const HWND list = ChildOfClass(window, "SysListView32", true);
    const HWND header = list ? FindWindowExA(list, nullptr, "SysHeader32", nullptr) : nullptr;
    // Each keystroke filters the ten thousand rows before the edit box answers.
    double filter = 0;
    for (const char c : std::string("bench entry 12")) filter = std::max(filter, Answer(search, WM_CHAR, c, 1));
    for (int i = 0; i < 14; ++i) filter = std::max(filter, Answer(search, WM_CHAR, VK_BACK, 1));
    slowest = std::max(slowest, filter);
    // A click on the headers of When, Kind and Name, twice each; the list answers once sorted.
    double sort = 0;
    for (const int x : {60, 200, 350, 60, 200, 350}) {
        PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 8));
        PostMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(x, 8));
        sort = std::max(sort, Answer(list));
        slowest = std::max(slowest, Answer(main));
    }
    slowest = std::max(slowest, sort);
    std::printf("%.0f %.0f %.0f %.0f\n", open, slowest, filter, sort);
    PostMessageA(window, WM_CLOSE, 0, 0);
    WaitGone("TVigiloFindings", 10000);
    return 0;
}

// The system's "Tasks" folder, where the Task Scheduler keeps a file per
// task: a 32-bit program on 64-bit Windows reaches the native one as "Sysnative".
std::string TasksFolder() {
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string sysnative = std::string(windows) + "\\Sysnative";
    const DWORD attributes = GetFileAttributesA(sysnative.c_str());
    const bool native = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return (native ? sysnative : std::string(windows) + "\\System32") + "\\Tasks";
}

std::string BenchTasksFolder() { return TasksFolder() + "\\VigiloBenchTasks"; }

// A task's definition as the Task Scheduler keeps it: UTF-16 XML after its
// byte-order mark, with one program to start. command is ASCII.
bool StoreTask(const std::string& file, const std::string& command) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
        "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
        "  <Actions Context=\"Author\">\r\n    <Exec>\r\n      <Command>" +
        command + "</Command>\r\n      <Arguments>/update</Arguments>\r\n    </Exec>\r\n  </Actions>\r\n</Task>\r\n";
    std::wstring xml = L"\xFEFF";
    for (const char c : text) xml += static_cast<wchar_t>(c);
    HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(xml.size() * sizeof(wchar_t));
    const bool ok = WriteFile(out, xml.data(), size, &written, nullptr) && written == size;
    CloseHandle(out);
    return ok;
}

constexpr const char* kKept = "Software\\Purgeon\\Vigilo\\Kept";
constexpr const char* kKeptTasks = "Scheduled tasks";

bool KeptTasks() {
    return RegGetValueA(HKEY_CURRENT_USER, kKept, kKeptTasks, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

int Tasks(int count) {
    const std::string folder = BenchTasksFolder();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
    HKEY kept = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKept, 0, KEY_SET_VALUE | k64, &kept) == ERROR_SUCCESS) {
        RegDeleteValueA(kept, kKeptTasks);
        RegCloseKey(kept);
    }
    if (count <= 0) return 0;
    CreateFolders(folder);
    for (int i = 0; i < count; ++i)
        if (!StoreTask(folder + "\\Task" + std::to_string(i), "C:\\VigiloBench\\many.exe")) return 1;
    return 0;
}

// Whether ready() comes true within timeoutMs; says what it waited for otherwise.
template <typename Ready>
bool WaitFor(Ready ready, DWORD timeoutMs, const char* what) {
    const ULONGLONG start = GetTickCount64();
    while (!ready()) {
        if (GetTickCount64() - start > timeoutMs) {
            std::fprintf(stderr, "task-check: no %s\n", what);
            return false;
        }
        Sleep(100);
    }
    return true;
}

int TaskCheck() {
    // A Vigilo just started may not have made its window yet.
    HWND main = nullptr;
    if (!WaitFor([&main] { return (main = FindWindowA("TForm1", "Vigilo")) != nullptr; }, 60000, "main window"))
        return 1;
    // No startup window from before, which would end the check at once.
    if (!WaitFor([] { return !FindWindowA("TForm2c", nullptr); }, 30000, "end of the startup window before"))
        return 1;
    // The check compares with Vigilo's first listing of the tasks, kept once taken.
    if (!WaitFor(KeptTasks, 120000, "kept listing of the tasks")) return 1;
    const std::string added = BenchTasksFolder() + "\\VigiloBenchAdded" + std::to_string(GetTickCount64());
    if (!StoreTask(added, "C:\\VigiloBench\\added.exe")) return 1;
    const long long tick = CounterMicros();
    const double ticked = CounterMs();
    // The ten-minute timer's tick, as Windows delivers it (the timer's id is 1).
    PostMessageA(main, WM_TIMER, 1, 0);
    // An idle window under the same Wine and load tells what is Vigilo's own in an answer.
    const HWND hello = FindWindowA("VigiloBenchHello", nullptr);
    double slowest = 0, slowestAt = 0, yardstick = hello ? 0 : -1;
    long probes = 0;
    for (;;) {
        const double asked = CounterMs();
        const double answer = Answer(main);
        // An answer that comes once the window exists may have waited for its making, after the check.
        if (FindWindowA("TForm2c", nullptr)) break;
        if (answer > slowest) {
            slowest = answer;
            slowestAt = asked - ticked;
        }
        if (hello) yardstick = std::max(yardstick, Answer(hello));
        ++probes;
        if (CounterMs() - ticked > 60000) {
            std::fprintf(stderr, "task-check: no startup window within a minute of the tick\n");
            return 1;
        }
        Sleep(10);
    }
    const double duration = CounterMs() - ticked;
    std::printf("%.1f %.0f %ld %lld %.0f %.1f\n", slowest, duration, probes, tick, slowestAt, yardstick);
    PostMessageA(FindWindowA("TForm2c", nullptr), WM_CLOSE, 0, 0);
    WaitGone("TForm2c", 30000);
    return 0;
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
    if (command == "history" && argc > 2) return History(std::atoi(argv[2]));
    if (command == "findings-window") return FindingsWindow();
    if (command == "tasks" && argc > 2) return Tasks(std::atoi(argv[2]));
    if (command == "task-check") return TaskCheck();
    std::fprintf(stderr, "usage: vigilo_bench prepare | threads CLASS | memory CLASS | latency KIND | notify N | monitors | close | history N | findings-window | tasks N | task-check\n");
    return 2;
}
