#pragma once
// Listings of a registry key for the monitors: the names directly under it,
// in enumeration order. The key is opened for reading in the 64-bit view
// (ignored on 32-bit Windows); a key that does not open gives an empty list.
#include <windows.h>

#include <string>

#include "monitors/string_list.h"

namespace vigilo {

// Replaces list with the value names of root\path; returns their number.
int ListValueNames(HKEY root, const std::string& path, StringList& list);
// Replaces list with the subkey names of root\path; returns their number.
int ListSubkeyNames(HKEY root, const std::string& path, StringList& list);

// Either of the two, as a monitor's choice of listing.
using KeyListing = int (*)(HKEY root, const std::string& path, StringList& list);

}  // namespace vigilo
