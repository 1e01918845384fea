#include "core/checked_file.h"

#include <optional>

#include "core/command_program.h"
#include "platform/data_path.h"
#include "platform/environment_text.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/shortcut_file.h"
#include "platform/text.h"

namespace vigilo {
namespace {

bool HasExtension(const std::string& path, std::string_view extension) {
    const std::string name = FileNameOf(path);
    return name.size() > extension.size() &&
           SameIgnoringCase(std::string_view(name).substr(name.size() - extension.size()), extension);
}

// path full and normal, when the path rule accepts it and it is an existing file.
std::string ExistingFile(const std::string& path) {
    const std::optional<std::string> accepted = path.empty() ? std::nullopt : AcceptedDataPath(path);
    if (!accepted || !FileExists(*accepted)) return {};
    return *accepted;
}

// A DLL named without extension is loaded as "name.dll".
std::string LibraryFile(const std::string& library) {
    if (FileNameOf(library).find('.') == std::string::npos) {
        const std::string withExtension = ExistingFile(library + ".dll");
        if (!withExtension.empty()) return withExtension;
    }
    return ExistingFile(library);
}

// The file a started program stands for: the DLL a loader is told to load, else the program.
std::string FileOfStartedProgram(const CommandProgram& started) {
    const std::string library = LibraryLoadedBy(started);
    if (!library.empty()) return LibraryFile(library);
    return ExistingFile(started.program);
}

// "C:\App\app.exe,0", "\"C:\App\app.exe\",0", "\"C:\App\app.exe\"": the file alone.
std::string IconFile(const std::string& displayIcon) {
    std::string file = TrimControlAndBlanks(ExpandEnvironmentText(displayIcon));
    if (!file.empty() && file[0] == '"') {
        const size_t close = file.find('"', 1);
        return file.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    const size_t comma = file.rfind(',');
    if (comma != std::string::npos) {
        const std::string index = TrimControlAndBlanks(file.substr(comma + 1));
        const size_t digits = index.starts_with('-') ? 1 : 0;
        if (index.size() > digits && index.find_first_not_of("0123456789", digits) == std::string::npos)
            file = TrimControlAndBlanks(file.substr(0, comma));
    }
    return file;
}

}  // namespace

bool InWindowsFolder(const std::string& path) {
    const std::string windows = WindowsFolderPath();
    if (windows.empty()) return false;
    const std::string folder = WithTrailingBackslash(FullPath(windows));
    const std::string full = FullPath(path);
    return full.size() > folder.size() && SameIgnoringCase(std::string_view(full).substr(0, folder.size()), folder);
}

std::string UninstallEntryProgram(const std::string& displayIcon, const std::string& uninstallString) {
    const std::string icon = IconFile(displayIcon);
    if (!icon.empty() && !HasExtension(icon, ".ico")) {
        const std::string file = ExistingFile(icon);
        if (!file.empty()) return file;
    }
    const CommandProgram uninstaller = ProgramOfCommand(uninstallString);
    const std::string name = FileNameOf(uninstaller.program);
    if (SameIgnoringCase(name, "msiexec.exe") || SameIgnoringCase(name, "msiexec")) return {};
    return ExistingFile(uninstaller.program);
}

std::string StartupCommandProgram(const std::string& command) { return FileOfStartedProgram(ProgramOfCommand(command)); }

std::string ListedProgram(const std::string& path) { return ExistingFile(path); }

std::string FileToCheck(const std::string& program) { return InWindowsFolder(program) ? std::string() : program; }

std::string StartupFileProgram(const std::string& entryPath) {
    if (!HasExtension(entryPath, ".lnk")) return ExistingFile(entryPath);
    const std::optional<std::string> shortcut = AcceptedDataPath(entryPath);
    const std::optional<ShortcutTarget> target = shortcut ? ReadShortcutTarget(*shortcut) : std::nullopt;
    if (!target) return {};
    return FileOfStartedProgram({target->path, target->arguments});
}

}  // namespace vigilo
