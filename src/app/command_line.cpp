#include "app/command_line.h"

#include <windows.h>

#include "core/event_source_registration.h"
#include "core/findings_export.h"
#include "core/findings_history.h"
#include "platform/appended_file.h"
#include "platform/file_system.h"
#include "platform/parent_console.h"
#include "platform/text.h"

namespace vigilo {
namespace {

struct Command {
    const char* name;  // as typed, letter case aside
    size_t arguments;  // how many follow it
    int (*run)(const std::vector<std::string>& arguments);
};

// Tells the console what a command did; its exit code.
int Told(const CommandOutcome& outcome) {
    WriteToParentConsole(outcome.message);
    return outcome.exitCode;
}

// The whole history of findings saved as CSV to the file named, for scripts.
int ExportFindings(const std::vector<std::string>& arguments) {
    const std::string& file = arguments.at(0);
    const std::string history = FindingsHistoryPath();
    const std::optional<std::string> csv = HistoryAsCsv(history);
    if (!csv) {
        WriteToParentConsole("Vigilo: the history of findings " + history +
                             " could not be read: " + SystemErrorText(GetLastError()));
        return 1;
    }
    if (!WriteWholeFile(file, *csv)) {
        WriteToParentConsole("Vigilo: the findings could not be saved to " + file + ": " +
                             SystemErrorText(GetLastError()));
        return 1;
    }
    return 0;
}

// One row per command.
const std::vector<Command>& Commands() {
    static const std::vector<Command> commands{
        {"/register-event-source", 0,
         [](const std::vector<std::string>&) { return Told(RegisterVigiloEventSource(ProgramPath())); }},
        {"/unregister-event-source", 0,
         [](const std::vector<std::string>&) { return Told(UnregisterVigiloEventSource()); }},
        {"/export-findings", 1, &ExportFindings},
    };
    return commands;
}

}  // namespace

std::optional<int> RunCommandLineCommand(const std::vector<std::string>& arguments) {
    if (arguments.empty() || !arguments[0].starts_with('/')) return std::nullopt;
    for (const Command& command : Commands()) {
        if (!SameIgnoringCase(arguments[0], command.name)) continue;
        if (arguments.size() != command.arguments + 1) {
            WriteToParentConsole("Vigilo: " + arguments[0] + " takes " + std::to_string(command.arguments) +
                                 " argument(s).");
            return 2;
        }
        return command.run({arguments.begin() + 1, arguments.end()});
    }
    return std::nullopt;
}

}  // namespace vigilo
