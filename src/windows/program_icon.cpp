#include "windows/program_icon.h"

#include "core/path_set.h"
#include "platform/data_path.h"
#include "platform/file_system.h"
#include "platform/shell.h"

namespace vigilo {
namespace {
constexpr const char* kFallbackIconFile = "msiexec.exe";
}  // namespace

HICON FirstIcon(const std::string& file, int size) {
    if (file.empty()) return nullptr;
    return FirstIconOf(file, size).release();
}

std::string ProgramIconFile(const std::string& iconPath) {
    // "C:\Dir\App.exe,0" names no file: an icon index is not honoured. An
    // installer's entry is not trusted to send Vigilo onto the network.
    if (const std::optional<std::string> file = AcceptedDataPath(iconPath); file && FileExists(*file)) return *file;
    // No system folder known: no icon rather than a file looked for in the current folder.
    if (Paths().systemFolder.empty()) return {};
    return Paths().systemFolder + kFallbackIconFile;
}

}  // namespace vigilo
