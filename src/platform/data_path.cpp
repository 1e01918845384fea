#include "platform/data_path.h"

#include <atomic>

#include "platform/text.h"

namespace vigilo {
namespace {

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
// The longest path Windows holds, in UTF-16 units.
constexpr size_t kLongestPath = 32767;

UINT SystemDriveType(char letter) {
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    return GetDriveTypeW(root);
}

std::atomic<DriveTypeQuery> g_driveType{&SystemDriveType};

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The drive letter of "X:\..." (or "X:/..." while not yet normal), or of
// "\\?\X:\..."; 0 for every other shape. Only these two name a drive letter
// and an absolute place on it: "X:" and "X:x" are relative to the drive's
// current folder, and "\\.\X:", "\??\X:" and the rest are device and
// object-manager paths, which may reach anything.
char DriveLetterOf(std::wstring_view path, bool slashToo) {
    if (path.substr(0, kLongPrefix.size()) == kLongPrefix) {
        path.remove_prefix(kLongPrefix.size());
        slashToo = false;  // Windows takes a long path as it is written
    }
    if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != L':') return 0;
    if (path[2] != L'\\' && !(slashToo && path[2] == L'/')) return 0;
    return static_cast<char>(path[0] & ~0x20);  // upper case
}

// The path made full and normal by Windows; empty when it cannot be.
std::wstring FullPathName(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return {};
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length + 1);
    }
    return {};
}

}  // namespace

std::optional<std::string> AcceptedDataPath(const std::string& path) {
    if (path.find('\0') != std::string::npos) return std::nullopt;  // Windows would see less than was checked
    const std::wstring written = Utf16(path);
    if (written.size() > kLongestPath || !DriveLetterOf(written, true)) return std::nullopt;
    // Normal form first: "C:\x\..\..\" stays on C:, and a device name the
    // system maps ("C:\x\CON" on older Windows) leaves the drive-letter shape.
    const std::wstring full = FullPathName(written);
    const char letter = DriveLetterOf(full, false);
    if (!letter || full.size() > kLongestPath) return std::nullopt;
    const UINT type = g_driveType.load()(letter);
    if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) return std::nullopt;
    return Utf8(full);
}

DriveTypeQuery SetDriveTypeQuery(DriveTypeQuery query) { return g_driveType.exchange(query ? query : &SystemDriveType); }

}  // namespace vigilo
