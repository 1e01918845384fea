#include "platform/shell.h"

#include <shellapi.h>
#include <shlobj.h>

#include "platform/text.h"

namespace vigilo {

std::string ShellFolderPath(int csidl) {
    wchar_t buffer[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
    buffer[MAX_PATH - 1] = L'\0';
    return Utf8(buffer);
}

std::string SystemFolderPath() {
    wchar_t buffer[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return Utf8(std::wstring_view(buffer, length));
}

std::string WindowsFolderPath() {
    wchar_t buffer[MAX_PATH] = L"";
    const UINT length = GetSystemWindowsDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return Utf8(std::wstring_view(buffer, length));
}

void ShellOpen(HWND owner, const std::string& file, const std::string& parameters) {
    const std::wstring wideParameters = Utf16(parameters);
    ShellExecuteW(owner, L"open", Utf16(file).c_str(), parameters.empty() ? nullptr : wideParameters.c_str(), nullptr,
                  SW_SHOWNORMAL);
}

void ShowInFolder(HWND owner, const std::string& file) {
    // Explorer from the Windows folder by its full path, never one found beside the program.
    const std::string windows = WindowsFolderPath();
    if (windows.empty()) return;
    ShellOpen(owner, windows + "\\explorer.exe", "/select,\"" + file + "\"");
}

UniqueIcon FirstIconOf(const std::string& file, int size) {
    HICON icon = nullptr;
    // S_FALSE: the file holds no icon, and nothing was handed out.
    if (SHDefExtractIconW(Utf16(file).c_str(), 0, 0, &icon, nullptr, static_cast<UINT>(size)) != S_OK) return {};
    return UniqueIcon(icon);
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return MessageBoxW(owner, Utf16(text).c_str(), Utf16(caption).c_str(), flags);
}

}  // namespace vigilo
