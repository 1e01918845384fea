// Vigilo.exe started with its standard error in a file, for tests that read
// Wine's debug channels (WINEDEBUG) of Vigilo.
//
// Wine writes a process's debug output to its Unix standard error. A child,
// Windows or Unix program alike, gets its Unix standard input and output
// from the handles CreateProcess is given, but its standard error is always
// its parent's, whatever hStdError says. So Vigilo is started through the
// host's /bin/sh, given the file as its standard output: the shell makes
// that its standard error too, and runs Wine on Vigilo.exe. Vigilo is thus no
// child of the test: it is found by its main window, the only one of a
// test's session.
#include <windows.h>

#include "platform/text.h"
#include "support/test_support.h"

namespace vigilo::test {
namespace {

// This process's environment, with entries' variables replaced or added.
std::wstring EnvironmentBlock(const std::vector<std::string>& entries) {
    const auto nameOf = [](std::wstring_view entry) { return entry.substr(0, entry.find(L'=', 1)); };
    std::vector<std::wstring> replacing;
    for (const std::string& entry : entries) replacing.push_back(Utf16(entry));
    std::wstring block;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* entry = own; *entry; entry += wcslen(entry) + 1) {
        bool replaced = false;
        for (const std::wstring& replacement : replacing)
            replaced = replaced || CompareIgnoringCase(nameOf(entry), nameOf(replacement)) == 0;
        if (!replaced) block.append(entry).push_back(L'\0');
    }
    FreeEnvironmentStringsW(own);
    for (const std::wstring& replacement : replacing) block.append(replacement).push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

// The Windows path of a Unix file, as Wine maps it; empty outside Wine.
std::wstring DosPathOf(const char* unixPath) {
    using Mapper = LPWSTR(CDECL*)(LPCSTR);
    const auto map = reinterpret_cast<Mapper>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    LPWSTR mapped = map ? map(unixPath) : nullptr;
    if (!mapped) return {};
    std::wstring path(mapped);
    HeapFree(GetProcessHeap(), 0, mapped);
    return path;
}

}  // namespace

bool VigiloInstall::StartCapturingStandardError(const std::vector<std::string>& environment) {
    const std::wstring shell = DosPathOf("/bin/sh");
    if (shell.empty()) return false;
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    HANDLE output = CreateFileW(Utf16(StandardErrorFile()).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return false;
    STARTUPINFOW si{sizeof(si)};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = output;
    // Wine's 64-bit loader for a 64-bit build, as scripts/wine-env.sh finds it.
    const std::wstring loader = sizeof(void*) == 8 ? L"$(command -v wine64 || echo /usr/lib/wine/wine64)" : L"wine";
    std::wstring commandLine = L"sh -c \"exec 2>&1; exec " + loader + L" \\\"$0\\\"\" \"" + Utf16(Exe()) + L"\"";
    std::wstring block = EnvironmentBlock(environment);
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(shell.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT, block.data(), Utf16(Folder().Path()).c_str(), &si, &pi);
    CloseHandle(output);
    if (!started) return false;
    // Wine gives no handle of a Unix process.
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    HWND main = nullptr;
    if (!WaitUntil([&] { return (main = FindTopWindow("TForm1", "Vigilo")) != nullptr; }, 15000)) return false;
    GetWindowThreadProcessId(main, &pid_);
    if (process_) CloseHandle(process_);
    process_ = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid_);
    return process_ != nullptr;
}

}  // namespace vigilo::test
