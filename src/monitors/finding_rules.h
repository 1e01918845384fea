#pragma once
// The rules that turn what a round saw into findings, one per kind of watch
// (watch_kinds.cpp names which): each addition that passes the kind's
// filters is a finding, in listing order.
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
// A new service or driver that starts with Windows, by its display name.
std::vector<Finding> NewStartupServices(const RoundSight& sight);
// A new entry of a Startup folder, by the name the user knows it by.
std::vector<Finding> NewStartupFolderEntries(const RoundSight& sight);
// A new uninstall entry that is no update or hotfix, by its display name.
// One whose display name or publisher an entry lost in the same round
// shares is an upgrade, not a new program.
std::vector<Finding> NewPrograms(const RoundSight& sight);
// A new Internet Explorer add-on, named by its key.
std::vector<Finding> NewInternetExplorerAddOns(const RoundSight& sight);
// A new extension forced in by policy, named by its id.
std::vector<Finding> NewForcedExtensions(const RoundSight& sight);
// A new entry of a browser profile's extensions folder.
std::vector<Finding> NewExtensionFolderEntries(const RoundSight& sight);

// Whether an upper-cased display name and release type describe an update
// or hotfix rather than a program.
bool IsUpdateOrHotfix(const std::string& programName, const std::string& releaseType);
// Whether a service's Start value makes it start with Windows: boot (0),
// system (1) or automatic (2); a missing Start, or one of another type, does not.
bool StartsWithWindows(std::optional<DWORD> start);
// The display name of the add-on registered as subkey `added` (trimmed), from
// the first of these that has one, all read in view: the add-on's ButtonText
// under the Extensions key; the class registration of its CLSID value; the
// class registration of `added` itself; the approved shell extension named by
// its CLSID value; else `added` as it is. Names read from the registry are
// upper-cased.
std::string ResolveExtensionName(const std::string& added, RegistryView view);
// "Google Chrome" when folder, upper-cased, contains "GOOGLE"; else "Mozilla Firefox".
std::string BrowserNameForFolder(const std::string& folder);

}  // namespace vigilo
