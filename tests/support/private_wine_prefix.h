#pragma once
// Whole-program tests start Vigilo.exe, which reads and rewrites the real
// HKEY_CURRENT_USER\Software\Purgeon, the settings shared with Purgeon. They
// run only under Wine, in the private prefix the scripts make and mark with
// C:\vigilo-private-prefix.txt (scripts/wine-env.sh): never on Windows, nor
// in a Wine prefix of one's own.
#include <string>

namespace vigilo::test {

inline constexpr char kPrivatePrefixMarker[] = "C:\\vigilo-private-prefix.txt";

// Empty inside the private prefix; otherwise why the tests may not run here.
std::string WhyNotInPrivateWinePrefix();

}  // namespace vigilo::test
