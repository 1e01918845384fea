#include "platform/data_path.h"

#include <windows.h>

#include "platform/text.h"

namespace vigilo {

std::optional<std::string> AcceptedDataPath(const std::string& path) {
    const bool driveLetter = path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') &&
                             path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    if (!driveLetter) return std::nullopt;
    const std::wstring wide = Utf16(path);
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length + 1);
        length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    if (length == 0 || length >= full.size()) return std::nullopt;
    full.resize(length);
    // A device name ("C:\x\CON") comes back in the device namespace.
    if (full.size() < 3 || full[1] != L':') return std::nullopt;
    const UINT type = GetDriveTypeW((full.substr(0, 2) + L"\\").c_str());
    if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) return std::nullopt;
    return Utf8(full);
}

}  // namespace vigilo
