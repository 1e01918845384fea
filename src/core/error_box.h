#pragma once
#include <string>

namespace vigilo {

// The application's error box: the text of an error that reached the main
// thread, titled "Vigilo". Blocks until the user dismisses it; meanwhile
// ErrorBoxUp() is true.
void ShowErrorBox(const std::string& text);
bool ErrorBoxUp();

// Shows text in the error box from the main thread's loop, never inside the
// caller (a finding's hand-off must not wait for the user): once a run for
// each text, and not while another box is up.
void ReportErrorOnce(const std::string& text);

}  // namespace vigilo
