#pragma once
// Which new browser extensions are reported. One extension is never
// reported, in any browser; the Firefox and Chrome extensions folders also
// hold working folders of the browsers themselves, which are not extensions.
#include <string>

namespace vigilo {

// Whether a name (display name or folder entry) is that of the extension
// never reported: it contains "LOCKBOX-VAULTS" in any letter case (a to z).
bool IsExcludedExtension(const std::string& name);
// Whether a new entry of a Firefox or Chrome extensions folder is reported:
// not empty, not "TEMP" or "DEFAULT" in any letter case, and not excluded.
bool IsReportedFolderEntry(const std::string& entry);

}  // namespace vigilo
