#pragma once
// Window texts, window names and drawn texts in UTF-8. Every window of the
// program is a Unicode window, so its texts are kept in UTF-16 whole: a
// screen reader, or Purgeon, reads every character as it was set.
#include <windows.h>

#include <string>

namespace vigilo {

HWND FindTopLevelWindow(const std::string& className, const std::string& title);
std::string WindowTextUtf8(HWND hwnd);
void SetWindowTextUtf8(HWND hwnd, const std::string& text);
// The message number Windows gives name, the same in every process.
UINT RegisterMessageName(const std::string& name);
// The area a WM_SETTINGCHANGE names in its lParam ("Policy", "intl", ...), at
// most 64 characters of it; empty when it names none.
std::string SettingChangeArea(LPARAM lp);
// DrawText with text in UTF-8; returns the height drawn (or measured).
int DrawTextUtf8(HDC dc, const std::string& text, RECT& box, UINT format);
// Appends a text item (or a separator, with an empty text and MF_SEPARATOR) to menu.
bool AppendMenuText(HMENU menu, UINT flags, UINT_PTR id, const std::string& text);

}  // namespace vigilo
