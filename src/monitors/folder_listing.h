#pragma once
// The listing a folder monitor takes: the names of the direct entries of a
// folder, files and folders alike (hidden and system ones too), in the
// order the file system returns them.
#include <string>

#include "monitors/string_list.h"

namespace vigilo {

// Replaces list with the entry names of folder (which ends in "\"), less
// "." and ".."; a folder that does not exist gives an empty list. Returns
// their number.
int ListFolderNames(const std::string& folder, StringList& list);

}  // namespace vigilo
