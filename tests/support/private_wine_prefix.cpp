#include "support/private_wine_prefix.h"

#include <windows.h>

namespace vigilo::test {

std::string WhyNotInPrivateWinePrefix() {
    const std::string refusal =
        "Refusing to run: whole-program tests start Vigilo.exe, which rewrites "
        "HKEY_CURRENT_USER\\Software\\Purgeon, the settings shared with Purgeon. They run only under Wine in the "
        "private prefix of scripts/test.sh; ";
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return refusal + "this is not Wine.";
    if (GetFileAttributesA(kPrivatePrefixMarker) == INVALID_FILE_ATTRIBUTES)
        return refusal + "this Wine prefix is not it (it has no " + kPrivatePrefixMarker + ").";
    return {};
}

}  // namespace vigilo::test
