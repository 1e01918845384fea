#pragma once
// Which new startup entries are reported. The same rules hold for a value
// in a Run or RunOnce key and for an entry of a Startup folder; a folder
// entry is first turned into the name the user knows it by.
#include <string>

#include "core/exclusion_list.h"

namespace vigilo {

// The name to report for a new startup entry: empty when it is empty, on
// Purgeon's exclusion list (as taken in exclusions), or when Purgeon runs (it
// is the one changing startup entries). Switched-off startup notifications
// still report it: the hand-off records it without showing it.
std::string ReportedStartupEntry(const std::string& name, const ExclusionListSnapshot& exclusions);

// The name of entry, new in the Startup folder folder (ending in "\"), as
// a startup entry: a shortcut's name without its ".lnk" (any letter case),
// any other file's name as it stands. Empty for what the shell does not
// start at log-on or keeps out of sight: folders, hidden or system files,
// "desktop.ini", and an entry that is gone again.
std::string StartupFolderEntryName(const std::string& folder, const std::string& entry);

}  // namespace vigilo
