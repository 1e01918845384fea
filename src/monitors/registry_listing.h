#pragma once
// Listings of a registry key for the monitors: the names directly under it,
// in enumeration order. The key is opened for reading in the given view; a
// key that does not open gives an empty list.
#include <windows.h>

#include <string>

#include "monitors/string_list.h"
#include "platform/registry.h"

namespace vigilo {

// Replaces list with the value names of root\path; returns their number.
int ListValueNames(HKEY root, const std::string& path, StringList& list,
                   RegistryView view = RegistryView::k64Bit);
// Replaces list with the subkey names of root\path; returns their number.
int ListSubkeyNames(HKEY root, const std::string& path, StringList& list,
                    RegistryView view = RegistryView::k64Bit);

// Either of the two, as a monitor's choice of listing.
using KeyListing = int (*)(HKEY root, const std::string& path, StringList& list, RegistryView view);

}  // namespace vigilo
