#include "platform/process_image.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/unique_handle.h"

namespace vigilo {

std::vector<DWORD> ProcessesWithWindow(const std::string& className, const std::string& title) {
    const std::wstring wideClass = Utf16(className), wideTitle = Utf16(title);
    std::vector<DWORD> processes;
    // Any process may make such a window; every one is looked at, not only the first.
    for (HWND window = FindWindowExW(nullptr, nullptr, wideClass.c_str(), wideTitle.c_str()); window;
         window = FindWindowExW(nullptr, window, wideClass.c_str(), wideTitle.c_str())) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid && std::find(processes.begin(), processes.end(), pid) == processes.end()) processes.push_back(pid);
    }
    return processes;
}

std::optional<FileIdentity> ProcessImageIdentity(DWORD pid) {
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return std::nullopt;
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &length)) return std::nullopt;
    path.resize(length);
    return FileIdentityOf(Utf8(path));
}

std::optional<FileIdentity> FileIdentityOf(const std::string& path) {
    const HANDLE raw = CreateFileW(Utf16(path).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return std::nullopt;
    const UniqueKernelHandle file(raw);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace vigilo
