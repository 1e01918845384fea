#pragma once
#include <string>

namespace vigilo {

// The application's error box: the text of an error that reached the main
// thread, titled "Vigilo". Blocks until the user dismisses it.
void ShowErrorBox(const std::string& text);

}  // namespace vigilo
