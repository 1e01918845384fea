#pragma once
// The one way the program opens registry keys. On 64-bit Windows the
// machine's software keys exist twice (the 64-bit view and the 32-bit view
// under Wow6432Node); every open names the view it means. A leading "\" of a
// key path is ignored, as RegOpenKeyA does.
#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

namespace vigilo {

// Which half of the registry a 32-bit program sees on 64-bit Windows; both
// are the same on 32-bit Windows.
enum class RegistryView { k64Bit, k32Bit };

REGSAM ViewFlag(RegistryView view);

// root\path opened with access in view; empty when it does not open.
UniqueKey OpenKey(HKEY root, const std::string& path, REGSAM access, RegistryView view = RegistryView::k64Bit);
// root\path opened with access in view, created when missing; empty on failure.
UniqueKey CreateKey(HKEY root, const std::string& path, REGSAM access, RegistryView view = RegistryView::k64Bit);

}  // namespace vigilo
