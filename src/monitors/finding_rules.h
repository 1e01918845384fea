#pragma once
// The rules of the Run keys, the Startup folders, the uninstall keys and the
// extensions' places (watch_kinds.cpp names which row takes which; the
// other places where a program can make itself start have theirs in
// autostart_rules.h, services.h and scheduled_tasks.h): each addition
// that passes the kind's filters is a finding, in listing order.
#include <optional>
#include <string>
#include <vector>

#include "core/finding.h"
#include "monitors/watch.h"
#include "platform/registry.h"

namespace vigilo {

// A new value of a Run key (or a policy Run key), or one whose program
// changed (its listing hashes each value's program), by its name.
std::vector<Finding> NewStartupValues(const RoundSight& sight);
// A new entry of a Startup folder, by the name the user knows it by.
std::vector<Finding> NewStartupFolderEntries(const RoundSight& sight);
// A new uninstall entry that is no update or hotfix, by its display name.
// One that shares with an entry gone in the same round (or while no watch
// looked) its display name, versions and tags aside, or its non-empty
// InstallLocation is an upgrade, not a new program.
std::vector<Finding> NewPrograms(const RoundSight& sight);
// A new Internet Explorer add-on, named by its key: an extension (a toolbar
// button or menu item), or a browser helper object or Explorer bar.
std::vector<Finding> NewInternetExplorerExtensions(const RoundSight& sight);
std::vector<Finding> NewInternetExplorerHelpers(const RoundSight& sight);
// A new extension forced in by policy, named by its id.
std::vector<Finding> NewForcedExtensions(const RoundSight& sight);
// A new entry of a browser profile's extensions folder.
std::vector<Finding> NewExtensionFolderEntries(const RoundSight& sight);

// The name of entry, new in the Startup folder folder (ending in "\"), as
// a startup entry: a shortcut's name without its ".lnk" (any letter case),
// any other file's name as it stands. Empty for what the shell does not
// start at log-on or keeps out of sight: folders, hidden or system files,
// "desktop.ini", and an entry that is gone again.
std::string StartupFolderEntryName(const std::string& folder, const std::string& entry);
// Whether a name (display name or folder entry) is that of the extension
// never reported, in any browser: it contains "LOCKBOX-VAULTS" in any letter
// case (a to z).
bool IsExcludedExtension(const std::string& name);
// Whether a new entry of a browser's extensions folder is reported: not
// empty, not "TEMP" or "DEFAULT" in any letter case (the browsers' own
// working folders), and not excluded.
bool IsReportedFolderEntry(const std::string& entry);
// displayName without its version-like tokens (digits and dots, with an
// optional leading "v": "2", "10.0.1", "v3.2") and the tags "x64", "x86",
// "64-bit", "32-bit", "(64-bit)" and "(32-bit)", its other words one blank apart.
std::string ProgramNameWithoutVersion(const std::string& displayName);
// Whether an upper-cased display name and release type describe an update
// or hotfix rather than a program.
bool IsUpdateOrHotfix(const std::string& programName, const std::string& releaseType);
// The display name of the add-on registered as subkey `added` (trimmed), from
// the first of these that has one, all read in view: the add-on's ButtonText
// under the Extensions key; the class registration of its CLSID value; the
// class registration of `added` itself; the approved shell extension named by
// its CLSID value; else `added` as it is. Names read from the registry are
// upper-cased.
std::string ResolveExtensionName(const std::string& added, RegistryView view);

}  // namespace vigilo
