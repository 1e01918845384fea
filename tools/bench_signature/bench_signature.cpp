// Times the signature check a finding's window would make (the path rule,
// opening the file, the checker thread and WinVerifyTrust) on a copy of
// FILE in the temporary folder, and the working set it adds to this
// process. With CHILD (Vigilo.exe) the check runs as Vigilo runs it, in a
// child process started from CHILD; without, in this process, where the
// first check loads wintrust.dll and crypt32.dll for good. Prints
// "key=value" lines for scripts/bench-signature.sh.
//   bench_signature.exe FILE RUNS [CHILD]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/signer_check.h"
#include "platform/text.h"

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

SIZE_T WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

const char* StateWord(vigilo::SignatureState state) {
    switch (state) {
        case vigilo::SignatureState::Signed: return "signed";
        case vigilo::SignatureState::NotSigned: return "unsigned";
        case vigilo::SignatureState::Broken: return "broken";
        case vigilo::SignatureState::Untrusted: return "untrusted";
        case vigilo::SignatureState::Unknown: break;
    }
    return "unknown";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_signature FILE RUNS [CHILD]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[2]));
    if (argc > 3) vigilo::VerifySignaturesInChildProcesses(argv[3]);
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::string copy = vigilo::Utf8(temp) + "vigilo-bench-signature.exe";
    if (!CopyFileW(vigilo::Utf16(argv[1]).c_str(), vigilo::Utf16(copy).c_str(), FALSE)) {
        std::fprintf(stderr, "bench_signature: cannot copy %s\n", argv[1]);
        return 1;
    }
    const SIZE_T before = WorkingSet();
    double start = NowMs();
    vigilo::FileSignature signature = vigilo::CheckFileSignature(copy);
    const double firstMs = NowMs() - start;
    const SIZE_T after = WorkingSet();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        start = NowMs();
        signature = vigilo::CheckFileSignature(copy);
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("state=%s signer=%s\n", StateWord(signature.state), signature.signer.c_str());
    std::printf("first_ms=%.1f median_ms=%.1f slowest_ms=%.1f runs=%d\n", firstMs, times[times.size() / 2],
                times.back(), runs);
    std::printf("working_set_before_kib=%lu working_set_after_first_kib=%lu working_set_end_kib=%lu\n",
                static_cast<unsigned long>(before / 1024), static_cast<unsigned long>(after / 1024),
                static_cast<unsigned long>(WorkingSet() / 1024));
    DeleteFileW(vigilo::Utf16(copy).c_str());
    return 0;
}
