#include "support/test_support.h"

#include <winioctl.h>

#include <cstdio>

#include "platform/text.h"

namespace vigilo::test {

bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start >= timeoutMs) return cond();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::string BinFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::string folder = Utf8(path);
    return folder.substr(0, folder.find_last_of('\\'));
}

void DeleteKeyTree(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, Utf16(path).c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        RegDeleteTreeW(key, nullptr);
        RegCloseKey(key);
    }
    RegDeleteKeyExW(root, Utf16(path).c_str(), KEY_WOW64_64KEY, 0);
}

void SetRaw(HKEY root, const std::string& keyPath, const std::string& name, DWORD type, const void* data,
            DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, Utf16(keyPath).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, Utf16(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void SetString(HKEY root, const std::string& key, const std::string& name, const std::string& value, DWORD type) {
    const std::wstring wide = Utf16(value);
    SetRaw(root, key, name, type, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

void SetDword(HKEY root, const std::string& key, const std::string& name, DWORD value) {
    SetRaw(root, key, name, REG_DWORD, &value, sizeof(value));
}

bool GetValueInfo(HKEY root, const std::string& keyPath, const std::string& name, DWORD& type, DWORD& size) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, Utf16(keyPath).c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return false;
    size = 0;
    LONG rc = RegQueryValueExW(key, Utf16(name).c_str(), nullptr, &type, nullptr, &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool GetDword(HKEY root, const std::string& keyPath, const std::string& name, DWORD& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, Utf16(keyPath).c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = sizeof(value);
    LONG rc = RegQueryValueExW(key, Utf16(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_DWORD;
}

std::string SettingsValues() {
    std::string all;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Purgeon", 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return all;
    char name[256];
    BYTE data[64];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof(name), type = 0, size = sizeof(data);
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        all += std::string(name) + "=" + std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), size) +
               ";";
    }
    RegCloseKey(key);
    return all;
}

ScratchKey::ScratchKey(const std::string& name) : path_("Software\\VigiloTests\\" + name) {
    DeleteKeyTree(HKEY_CURRENT_USER, path_);
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                    &key, nullptr);
    if (key) RegCloseKey(key);
}

ScratchKey::~ScratchKey() { DeleteKeyTree(HKEY_CURRENT_USER, path_); }

CleanSettings::CleanSettings() { DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Purgeon"); }
CleanSettings::~CleanSettings() { DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Purgeon"); }

TempFolder::TempFolder(const std::string& nameSuffix) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    static LONG counter = 0;
    for (;;) {
        char name[64];
        std::snprintf(name, sizeof(name), "vigilo-test-%lu-%ld", GetCurrentProcessId(),
                      InterlockedIncrement(&counter));
        path_ = Utf8(temp) + name + nameSuffix;
        if (CreateDirectoryW(Utf16(path_).c_str(), nullptr)) break;
    }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

void TempFolder::Write(const std::string& name, const std::string& content) const { WriteFile(File(name), content); }

void WriteFile(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileW(Utf16(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadFile(const std::string& path) {
    HANDLE file = CreateFileW(Utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) content.append(buffer, got);
    CloseHandle(file);
    return content;
}

bool WriteSparseFile(const std::string& path, long long size, DWORD attributes) {
    HANDLE file = CreateFileW(Utf16(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);  // not everywhere
    LARGE_INTEGER end;
    end.QuadPart = size;
    const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return sized;
}

bool MakeFolders(const std::string& folder) {
    for (size_t at = folder.find('\\', 3); at != std::string::npos; at = folder.find('\\', at + 1))
        CreateDirectoryW(Utf16(folder.substr(0, at)).c_str(), nullptr);
    CreateDirectoryW(Utf16(folder).c_str(), nullptr);
    const DWORD attributes = GetFileAttributesW(Utf16(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Utf16(path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = Utf8(data.cFileName);
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else {
                SetFileAttributesW(Utf16(full).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(Utf16(full).c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(Utf16(path).c_str());
}

VigiloInstall::VigiloInstall(bool withPurgeon, const std::string& folderSuffix) : folder_(folderSuffix) {
    CopyFileW(Utf16(BinFolder() + "\\Vigilo.exe").c_str(), Utf16(Exe()).c_str(), FALSE);
    if (withPurgeon)
        CopyFileW(Utf16(BinFolder() + "\\Purgeon.exe").c_str(), Utf16(folder_.File("Purgeon.exe")).c_str(), FALSE);
}

void VigiloInstall::Resume() {
    if (!thread_) return;
    ResumeThread(thread_);
    CloseHandle(thread_);
    thread_ = nullptr;
}

VigiloInstall::~VigiloInstall() {
    Resume();
    Stop();
    EndPurgeons();
}

bool VigiloInstall::Start(bool suspended) {
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = Utf16("\"" + Exe() + "\"");
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, suspended ? CREATE_SUSPENDED : 0,
                        nullptr, Utf16(folder_.Path()).c_str(), &si, &pi))
        return false;
    Resume();  // a copy started before
    if (suspended)
        thread_ = pi.hThread;
    else
        CloseHandle(pi.hThread);
    if (process_) CloseHandle(process_);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    return true;
}

HWND VigiloInstall::MainWindow() const { return FindTopWindow("TForm1", "Vigilo", pid_); }

bool VigiloInstall::WaitForMainWindow(DWORD timeoutMs) {
    return WaitUntil([&] { return MainWindow() != nullptr; }, timeoutMs);
}

bool VigiloInstall::WaitForExit(DWORD timeoutMs) {
    return !process_ || WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD VigiloInstall::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
}

bool VigiloInstall::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

void VigiloInstall::Stop() {
    if (!Running()) return;
    if (HWND main = MainWindow()) PostCloseRequest(main, 1137);
    if (!WaitForExit(10000)) Kill();
}

void VigiloInstall::Kill() {
    if (!Running()) return;
    TerminateProcess(process_, 1);
    WaitForExit(5000);
}

std::vector<std::string> VigiloInstall::PurgeonCalls() const { return PurgeonCallsIn(folder_.Path()); }

namespace {
const char* const kVigiloWineSettings = "Software\\Wine\\AppDefaults\\Vigilo.exe";
}  // namespace

UnmanagedVigiloWindows::UnmanagedVigiloWindows() {
    SetString(HKEY_CURRENT_USER, std::string(kVigiloWineSettings) + "\\X11 Driver", "Managed", "N");
}

UnmanagedVigiloWindows::~UnmanagedVigiloWindows() {
    DeleteKeyTree(HKEY_CURRENT_USER, std::string(kVigiloWineSettings) + "\\X11 Driver");
}

VigiloOnWindows10::VigiloOnWindows10() { SetString(HKEY_CURRENT_USER, kVigiloWineSettings, "Version", "win10"); }

VigiloOnWindows10::~VigiloOnWindows10() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kVigiloWineSettings, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, "Version");
    RegCloseKey(key);
}

std::vector<std::string> PurgeonCallsIn(const std::string& folder) {
    std::vector<std::string> lines;
    const std::string content = ReadFile(folder + "\\Purgeon-calls.log");
    for (size_t start = 0, end; start < content.size(); start = end + 2) {
        end = content.find("\r\n", start);
        if (end == std::string::npos) end = content.size();
        lines.push_back(content.substr(start, end - start));
    }
    return lines;
}

void EndPurgeons() {
    while (HWND purgeon = FindWindowA("TForm1a", "Purgeon")) {
        DWORD pid = 0;
        GetWindowThreadProcessId(purgeon, &pid);
        if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid)) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
        WaitUntil([&] { return !IsWindow(purgeon); }, 5000);
    }
}

HWND FindTopWindow(const char* className, const char* title, DWORD pid) {
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExA(nullptr, hwnd, className, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (pid == 0 || owner == pid) return hwnd;
    }
    return nullptr;
}

std::vector<std::string> RegistryTexts(HKEY root, const std::string& key, const std::string& name) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, Utf16(key).c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &k) != ERROR_SUCCESS) return {};
    const std::wstring wideName = Utf16(name);
    DWORD type = 0, size = 0;
    const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
    std::wstring data;
    if (RegGetValueW(k, nullptr, wideName.c_str(), flags, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_MULTI_SZ) {
        data.assign(size / sizeof(wchar_t) + 1, L'\0');
        if (RegGetValueW(k, nullptr, wideName.c_str(), flags, &type, data.data(), &size) != ERROR_SUCCESS) data.clear();
    }
    RegCloseKey(k);
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = data.find(L'\0', start)) != std::wstring::npos && end > start; start = end + 1)
        lines.push_back(Utf8(std::wstring_view(data).substr(start, end - start)));
    return lines;
}

void SetRegistryTexts(HKEY root, const std::string& key, const std::string& name, const std::vector<std::string>& texts) {
    std::wstring data;
    for (const std::string& text : texts) data += Utf16(text) + L'\0';
    data += L'\0';
    SetRaw(root, key, name, REG_MULTI_SZ, data.data(), static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

std::vector<std::string> RecentFindingLines() { return RegistryTexts(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "Recent"); }

std::string WindowText(HWND hwnd) {
    wchar_t buffer[4096] = L"";
    // With a time-out: under load Wine can leave a message sent to a window
    // of another process unanswered when that window is destroyed meanwhile.
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &n))
        return {};
    return Utf8(std::wstring_view(buffer, n < 4096 ? static_cast<size_t>(n) : 0));
}

std::string ClassName(HWND hwnd) {
    char buffer[256] = "";
    GetClassNameA(hwnd, buffer, sizeof(buffer));
    return buffer;
}

namespace {
BOOL CALLBACK CollectChild(HWND child, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(child);
    return TRUE;
}
}  // namespace

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND FindChildByText(HWND parent, const std::string& text) {
    for (HWND child : ChildWindows(parent))
        if (WindowText(child) == text) return child;
    return nullptr;
}

void PostCloseRequest(HWND hwnd, WPARAM wParam) {
    PostMessageA(hwnd, RegisterWindowMessageA("Vigilo"), wParam, 0);
}

}  // namespace vigilo::test
