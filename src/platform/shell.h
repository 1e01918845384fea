#pragma once
// The shell's services the program uses, with UTF-8 names: known folders,
// starting a program, icons of files and the message box.
#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

namespace vigilo {

// The folder the shell keeps for csidl (SHGetFolderPath), as it gives it;
// empty when it gives none.
std::string ShellFolderPath(int csidl);
// The system folder ("C:\Windows\system32"); empty on failure.
std::string SystemFolderPath();
// The Windows folder ("C:\Windows"); empty on failure.
std::string WindowsFolderPath();
// Opens file with parameters (none when empty), as the shell's "open" verb does.
void ShellOpen(HWND owner, const std::string& file, const std::string& parameters);
// Opens file's folder in Explorer with file selected.
void ShowInFolder(HWND owner, const std::string& file);
// The first icon of an executable, DLL or icon file, size pixels square (the
// file's nearest size, scaled); empty when it has none.
UniqueIcon FirstIconOf(const std::string& file, int size);
// A modal message box; returns the button chosen.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

}  // namespace vigilo
