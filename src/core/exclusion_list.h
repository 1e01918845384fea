#pragma once
// Purgeon's exclusion list: the key names of section [OptFr] of "SList.txt"
// in the program folder name programs and startup entries not to report.
#include <string>

namespace vigilo {

// The name, or empty when a key name of the list occurs in it (both
// upper-cased, a to z only). A missing file excludes nothing.
std::string ApplyExclusionList(const std::string& name);

}  // namespace vigilo
