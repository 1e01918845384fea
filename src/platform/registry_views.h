#pragma once
// Whether a key path names one key in both registry views or two. On 64-bit
// Windows most of the machine's software keys are split (the 32-bit view
// lives under Wow6432Node) but some are shared by both views, and which ones
// differs between Windows versions and Wine; asking the registry for the
// full name of what each view opens settles it on every system.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/registry.h"

namespace vigilo {

// The registry's full name of root\path as view opens it (under
// "\REGISTRY\Machine\Software\Wow6432Node" for a redirected key). A missing key is named by
// its nearest existing ancestor's full name followed by the rest of path, so
// that a key that does not exist yet is placed all the same. Empty when not
// even root could be named.
std::string FullKeyName(HKEY root, const std::string& path, RegistryView view);

// Whether both views reach the same key at root\path (letter case ignored).
// When a view's name cannot be told, they count as two: watched twice rather
// than missed.
bool SameKeyInBothViews(HKEY root, const std::string& path);
// The rule SameKeyInBothViews follows instead of asking the registry, while
// one is set: a test's own system (a 32-bit Windows has one view only).
std::function<bool(HKEY root, const std::string& path)>& SameKeyInBothViewsRule();

}  // namespace vigilo
