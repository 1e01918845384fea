#pragma once
// What Vigilo does when started with a command: a script or an installer
// runs "Vigilo.exe /<command> [argument]", and Vigilo carries it out instead
// of its usual start, before the single-instance check, so it works while
// Vigilo runs. It exits 0 on success, and otherwise non-zero, saying why on
// the console it was started from (platform/parent_console.h).
#include <optional>
#include <string>
#include <vector>

namespace vigilo {

// The exit code of the command that arguments name; empty when they name
// none (Vigilo then starts as usual).
std::optional<int> RunCommandLineCommand(const std::vector<std::string>& arguments);

}  // namespace vigilo
