#include "app/export_command.h"

#include <windows.h>

#include "core/findings_export.h"
#include "core/findings_history.h"
#include "platform/appended_file.h"
#include "platform/parent_console.h"

namespace vigilo {

int ExportFindingsCommand(const std::vector<std::string>& arguments) {
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

}  // namespace vigilo
