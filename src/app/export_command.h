#pragma once
// "Vigilo.exe /export-findings FILE": the whole history of findings saved
// as CSV (core/findings_export.h), for scripts, without a window.
#include <string>
#include <vector>

namespace vigilo {

// arguments: the file to write. 0 when it was written; 1, with the reason
// on the console Vigilo was started from, when the history could not be
// read or the file not written.
int ExportFindingsCommand(const std::vector<std::string>& arguments);

}  // namespace vigilo
