#pragma once
// The system's Save As dialog, asking where a file goes. comdlg32.dll is
// loaded from the system folder at the first request, never from beside the
// program.
#include <windows.h>

#include <optional>
#include <string>

namespace vigilo {

struct SaveFileQuestion {
    std::string typeName;   // "CSV files (*.csv)"
    std::string pattern;    // "*.csv"
    std::string extension;  // added where the user typed none: "csv"
    std::string fileName;   // proposed
};

// The path the user chose; empty when they cancelled or the dialog could not show.
std::optional<std::string> AskWhereToSave(HWND owner, const SaveFileQuestion& question);

}  // namespace vigilo
