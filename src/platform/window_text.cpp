#include "platform/window_text.h"

#include "platform/text.h"

namespace vigilo {

HWND FindTopLevelWindow(const std::string& className, const std::string& title) {
    return FindWindowW(Utf16(className).c_str(), Utf16(title).c_str());
}

std::string WindowTextUtf8(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return Utf8(text);
}

void SetWindowTextUtf8(HWND hwnd, const std::string& text) { SetWindowTextW(hwnd, Utf16(text).c_str()); }

UINT RegisterMessageName(const std::string& name) { return RegisterWindowMessageW(Utf16(name).c_str()); }

int DrawTextUtf8(HDC dc, const std::string& text, RECT& box, UINT format) {
    const std::wstring wide = Utf16(text);
    return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, format);
}

bool AppendMenuText(HMENU menu, UINT flags, UINT_PTR id, const std::string& text) {
    if (flags & MF_SEPARATOR) return AppendMenuW(menu, flags, id, nullptr) != FALSE;
    return AppendMenuW(menu, flags, id, Utf16(text).c_str()) != FALSE;
}

std::string SettingChangeArea(LPARAM lp) {
    if (lp == 0) return {};
    const auto* area = reinterpret_cast<const wchar_t*>(lp);
    return Utf8(std::wstring(area, wcsnlen(area, 64)));
}

}  // namespace vigilo
