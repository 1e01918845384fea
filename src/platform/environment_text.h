#pragma once
// Environment strings in texts others write ("%ProgramFiles%\App\app.exe").
#include <string>

namespace vigilo {

// text with every %NAME% of a variable the environment holds replaced by its
// value, as Windows expands a command; other "%" stay as written.
std::string ExpandEnvironmentText(const std::string& text);

}  // namespace vigilo
