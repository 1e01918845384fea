// Times the junk check's walk over a folder tree and how long messages wait
// meanwhile: another thread posts a message stamped with its time every 2 ms
// to a window of the walking thread, which notes the longest wait from post
// to handling. Prints one "key=value" line per run, for scripts/bench-junk.sh.
//   bench_junk.exe FOLDER\ RUNS
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "monitors/junk_check.h"

namespace {

constexpr UINT kStamp = WM_APP + 1;
constexpr DWORD kPostEveryMs = 2;

LARGE_INTEGER g_frequency;
long long g_longestWaitUs = 0;
long g_handled = 0;
std::atomic<bool> g_posting{true};

long long NowUs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000000 / g_frequency.QuadPart;
}

LRESULT CALLBACK StampProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != kStamp) return DefWindowProcA(hwnd, msg, wp, lp);
    const long long posted = (static_cast<long long>(wp) << 32) | static_cast<unsigned long>(lp);
    const long long wait = NowUs() - posted;
    if (wait > g_longestWaitUs) g_longestWaitUs = wait;
    ++g_handled;
    return 0;
}

DWORD WINAPI PostStamps(void* window) {
    while (g_posting) {
        const long long now = NowUs();
        PostMessageA(static_cast<HWND>(window), kStamp, static_cast<WPARAM>(now >> 32),
                     static_cast<LPARAM>(now & 0xFFFFFFFF));
        Sleep(kPostEveryMs);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_junk FOLDER\\ [RUNS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    QueryPerformanceFrequency(&g_frequency);
    timeBeginPeriod(1);  // posts every 2 ms, not every 16

    WNDCLASSA wc{};
    wc.lpfnWndProc = StampProc;
    wc.lpszClassName = "BenchJunkStamps";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);

    for (int run = 0; run < runs; ++run) {
        g_longestWaitUs = 0;
        g_handled = 0;
        g_posting = true;
        HANDLE poster = CreateThread(nullptr, 0, PostStamps, window, 0, nullptr);
        const long long start = NowUs();
        const std::int64_t bytes = vigilo::MeasureJunk({folder});
        const long long seconds = NowUs() - start;
        g_posting = false;
        WaitForSingleObject(poster, INFINITE);
        CloseHandle(poster);
        std::printf("walk_us=%lld bytes=%lld longest_wait_us=%lld messages=%ld\n", seconds,
                    static_cast<long long>(bytes), g_longestWaitUs, g_handled);
        std::fflush(stdout);
        MSG msg;  // what was posted after the walk
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    DestroyWindow(window);
    timeEndPeriod(1);
    return 0;
}
