#pragma once
// Text helpers for the 8-bit texts of the system code page.
#include <string>

namespace vigilo {

// Capitals of the letters a to z only; every other byte is kept.
std::string UpperCaseAscii(std::string text);
// Without every character of code 32 or less at both ends.
std::string TrimControlAndBlanks(const std::string& text);

}  // namespace vigilo
