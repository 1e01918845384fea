#pragma once
// The name lists the monitors take of a key or folder: plain, unsorted, in
// the order the system enumerates them, duplicates allowed.
#include <string>
#include <vector>

namespace vigilo {

using StringList = std::vector<std::string>;

// Whole-name match that ignores letter case in every script, ordinally
// (never the locale's looser equality, which takes an invisible soft hyphen
// for nothing).
bool SameName(const std::string& a, const std::string& b);
// Whether list holds name (linear search with SameName).
bool ContainsName(const StringList& list, const std::string& name);

// The last entry of fresh that older lacks; empty when there is none.
std::string FindAdded(const StringList& older, const StringList& fresh);
// Every entry of fresh that older lacks, in fresh's order.
StringList AddedNames(const StringList& older, const StringList& fresh);
// The last entry of older that fresh lacks; empty when there is none.
std::string FindRemoved(const StringList& older, const StringList& fresh);

}  // namespace vigilo
