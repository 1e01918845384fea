#pragma once
// Windows' own words for its error codes, for messages to the user.
#include <windows.h>

#include <string>

namespace vigilo {

// The system's text for a Windows error code, without its line end; the
// code in figures where the system has none.
std::string SystemErrorText(LONG error);

}  // namespace vigilo
