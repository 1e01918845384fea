#include "windows/program_icon.h"

#include <shellapi.h>

#include "core/path_set.h"
#include "platform/file_system.h"

namespace vigilo {
namespace {
constexpr const char* kFallbackIconFile = "msiexec.exe";
}  // namespace

HICON FirstIcon(const std::string& file) {
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), file.c_str(), 0);
    // 1 means "not an executable": no icon either, and no handle to destroy.
    if (reinterpret_cast<UINT_PTR>(icon) == 1) return nullptr;
    return icon;
}

std::string ProgramIconFile(const std::string& iconPath) {
    // "C:\Dir\App.exe,0" names no file: an icon index is not honoured.
    if (!iconPath.empty() && FileExists(iconPath)) return iconPath;
    return Paths().systemFolder + kFallbackIconFile;
}

}  // namespace vigilo
