#include "platform/parent_console.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/text.h"
#include "platform/unique_handle.h"

namespace vigilo {
namespace {

// A handle a redirection gave: a file or a pipe, not a console.
bool IsRedirected(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(handle);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

}  // namespace

bool WriteToParentConsole(const std::string& text) {
    const std::string line = text + "\r\n";
    const HANDLE redirected = GetStdHandle(STD_ERROR_HANDLE);
    if (IsRedirected(redirected)) {
        DWORD written = 0;
        return WriteFile(redirected, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
               written == line.size();
    }
    // Attached once: a second call finds the console attached already.
    static const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED;
    if (!attached) return false;
    const HANDLE opened = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    const UniqueKernelHandle console(opened);
    const std::wstring wide = Utf16(line);
    DWORD written = 0;
    return WriteConsoleW(console.get(), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != FALSE;
}

std::vector<std::string> CommandLineArguments() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> split;
    for (int i = 1; arguments && i < count; ++i) split.push_back(Utf8(arguments[i]));
    LocalFree(arguments);
    return split;
}

}  // namespace vigilo
