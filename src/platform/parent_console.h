#pragma once
// Messages for whoever started Vigilo from a script or a prompt. Vigilo is a
// GUI program, so Windows gives it no console of its own: a message goes to
// the standard error it was handed (a redirection, "2> file"), else to the
// console of the process that started it (AttachConsole), else nowhere.
#include <string>
#include <vector>

namespace vigilo {

// Writes text and a line end; false where there is nowhere to write.
bool WriteToParentConsole(const std::string& text);

// The program's arguments after its own name, split as Windows splits a
// command line (CommandLineToArgvW).
std::vector<std::string> CommandLineArguments();

}  // namespace vigilo
