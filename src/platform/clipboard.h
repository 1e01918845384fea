#pragma once
// Text put on the clipboard as Unicode text, for any program to paste.
#include <windows.h>

#include <string>

namespace vigilo {

// Puts text on the clipboard in place of what was there, owned by owner;
// false when the clipboard could not be opened (another program holds it).
[[nodiscard]] bool SetClipboardText(HWND owner, const std::string& text);
// The clipboard's Unicode text; empty when it holds none.
std::string ClipboardText();

}  // namespace vigilo
