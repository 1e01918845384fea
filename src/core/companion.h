#pragma once
// What is fixed about Purgeon, the uninstaller Vigilo serves, and what Vigilo
// offers it in return. Both programs rely on these names.
#include <string>

namespace vigilo::companion {

inline constexpr const char* kProductName = "Purgeon";
// Purgeon's main window exists exactly while it runs.
inline constexpr const char* kWindowClass = "TForm1a";
inline constexpr const char* kWindowTitle = "Purgeon";
// Arguments Purgeon is started with; each keeps its leading blank.
inline constexpr const char* kStartupArgument = " /STARTUP";
inline constexpr const char* kCleanArgument = " /CLEAN";
// Purgeon's files in the program folder.
inline constexpr const char* kExclusionListFile = "SList.txt";
inline constexpr const char* kExclusionSection = "OptFr";

// The executable's file name: the product name without blanks, plus ".exe".
std::string ExecutableName();

// Registered message that, posted with kCloseRequestParam, closes Vigilo.
inline constexpr const char* kCloseRequestMessageName = "Vigilo";

}  // namespace vigilo::companion
