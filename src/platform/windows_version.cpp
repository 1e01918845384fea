#include "platform/windows_version.h"

namespace vigilo {

bool WindowsIsAtLeast(DWORD major, DWORD minor) {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof(wanted);
    wanted.dwMajorVersion = major;
    wanted.dwMinorVersion = minor;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    // Major and minor together compare as one version: 10.0 passes for 6.2.
    return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, condition) != FALSE;
}

}  // namespace vigilo
