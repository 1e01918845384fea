// Times the junk check's walk over a folder tree and how long the main
// thread takes to answer meanwhile. Prints one "key=value" line per run, for
// scripts/bench-junk.sh.
//
//   bench_junk.exe FOLDER\ RUNS   the walk as Vigilo runs it, on a worker
//                                 thread that posts its end, while this
//                                 program's main thread runs its message loop
//   bench_junk.exe --vigilo       the running Vigilo.exe: its check made due,
//                                 the timer's tick posted, until the junk
//                                 window exists; then Vigilo is asked to close
//
// Both measure the main thread the same way: another thread sends it WM_NULL
// every 2 ms (SendMessageTimeout, as a program checks that another one still
// answers) and notes the longest time to the answer.
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "monitors/junk_check.h"
#include "platform/worker_thread.h"

namespace {

constexpr DWORD kProbeEveryMs = 2;
constexpr UINT kWalkEnded = WM_APP + 1;

LARGE_INTEGER g_frequency;

long long NowUs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000000 / g_frequency.QuadPart;
}

HWND WindowOf(const wchar_t* className, DWORD pid);

// Sends WM_NULL to a window every 2 ms until stopped; the longest answer and
// when it was asked. Given endsWithWindowOf, it stops by itself at the
// first answer that comes when that process has a junk window: that probe
// may have waited for the window's making, which follows the walk.
struct Prober {
    HWND window = nullptr;
    DWORD endsWithWindowOf = 0;
    long long since = 0;
    std::atomic<bool> probing{true};
    long long longestUs = 0;
    long long longestAtUs = 0;  // when the longest was asked, from since
    long probes = 0;
    long unanswered = 0;  // no answer within a second

    static DWORD WINAPI Run(void* self) {
        auto& p = *static_cast<Prober*>(self);
        while (p.probing) {
            const long long sent = NowUs();
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(p.window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) ++p.unanswered;
            const long long answer = NowUs() - sent;
            if (p.endsWithWindowOf && WindowOf(L"TForm2d", p.endsWithWindowOf)) break;
            if (answer > p.longestUs) {
                p.longestUs = answer;
                p.longestAtUs = sent - p.since;
            }
            ++p.probes;
            Sleep(kProbeEveryMs);
        }
        return 0;
    }
};

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kWalkEnded) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int WalkHere(const std::string& folder, int runs) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = L"BenchJunkMain";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    for (int run = 0; run < runs; ++run) {
        Prober prober;
        prober.window = window;
        HANDLE probing = CreateThread(nullptr, 0, &Prober::Run, &prober, 0, nullptr);
        std::atomic<bool> stop{false};
        std::int64_t bytes = 0;
        long long walkUs = 0;
        vigilo::WorkerThread walker;
        const long long start = NowUs();
        walker.Start([&] {
            bytes = vigilo::MeasureJunk({folder}, stop);
            walkUs = NowUs() - start;
            PostMessageW(window, kWalkEnded, 0, 0);
        });
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        walker.Join();
        // The last probe is still answered: messages are served until the prober has ended.
        prober.probing = false;
        while (MsgWaitForMultipleObjects(1, &probing, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        CloseHandle(probing);
        std::printf("walk_us=%lld bytes=%lld longest_answer_us=%lld probes=%ld\n", walkUs,
                    static_cast<long long>(bytes), prober.longestUs, prober.probes);
        std::fflush(stdout);
    }
    DestroyWindow(window);
    return 0;
}

// Days since 30 December 1899, local time: how Vigilo stores a date-time.
double LocalDays(double hoursAgo) {
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME file;
    SystemTimeToFileTime(&local, &file);
    const double units = static_cast<double>((static_cast<unsigned long long>(file.dwHighDateTime) << 32) |
                                             file.dwLowDateTime);
    constexpr double kUnitsPerDay = 864000000000.0, kDaysFrom1601To1899 = 109205.0;
    return units / kUnitsPerDay - kDaysFrom1601To1899 - hoursAgo / 24;
}

// A window of class className of process pid, shown or not.
HWND WindowOf(const wchar_t* className, DWORD pid) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid) return w;
    }
    return nullptr;
}

int MeasureVigilo() {
    HWND main = nullptr;
    for (int i = 0; i < 300 && !(main = FindWindowW(L"TForm1", L"Vigilo")); ++i) Sleep(100);
    if (!main) {
        std::fprintf(stderr, "bench_junk: no Vigilo window\n");
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HKEY settings = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Purgeon", 0, nullptr, 0, KEY_WRITE, nullptr, &settings, nullptr);
    const DWORD on = 1;
    const double stale = LocalDays(7);
    RegSetValueExW(settings, L"CacheNotifier", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof(on));
    RegSetValueExW(settings, L"LastCacheNotification", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&stale),
                   sizeof(stale));
    RegCloseKey(settings);
    Sleep(3000);  // the monitors' start settles

    Prober prober;
    prober.window = main;
    prober.endsWithWindowOf = pid;
    prober.since = NowUs();
    HANDLE probing = CreateThread(nullptr, 0, &Prober::Run, &prober, 0, nullptr);
    PostMessageW(main, WM_TIMER, 1, 0);
    HWND junk = nullptr;
    for (int i = 0; i < 60000 && !(junk = WindowOf(L"TForm2d", pid)); ++i) Sleep(1);
    const long long untilWindowUs = NowUs() - prober.since;
    prober.probing = false;
    WaitForSingleObject(probing, INFINITE);
    CloseHandle(probing);
    std::printf("until_window_us=%lld shown=%d longest_answer_us=%lld longest_at_us=%lld probes=%ld unanswered=%ld\n",
                untilWindowUs, junk != nullptr, prober.longestUs, prober.longestAtUs, prober.probes, prober.unanswered);
    std::fflush(stdout);
    PostMessageW(main, RegisterWindowMessageW(L"Vigilo"), 1137, 0);  // the close request, as Purgeon sends it
    return junk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QueryPerformanceFrequency(&g_frequency);
    timeBeginPeriod(1);  // probes every 2 ms, not every 16
    int result = 2;
    if (argc >= 2 && std::string(argv[1]) == "--vigilo")
        result = MeasureVigilo();
    else if (argc >= 2)
        result = WalkHere(argv[1], argc > 2 ? std::atoi(argv[2]) : 3);
    else
        std::fprintf(stderr, "usage: bench_junk FOLDER\\ [RUNS] | bench_junk --vigilo\n");
    timeEndPeriod(1);
    return result;
}
