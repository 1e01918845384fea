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

// path full and normal, when the path rule accepts it and it is an existing
// file outside the Windows folder.
std::string CheckableFile(const std::string& path) {
    const std::optional<std::string> accepted = path.empty() ? std::nullopt : AcceptedDataPath(path);
    if (!accepted || !FileExists(*accepted) || InWindowsFolder(*accepted)) return {};
    return *accepted;
}

// A DLL named without extension is loaded as "name.dll".
std::string LibraryFile(const std::string& library) {
    if (FileNameOf(library).find('.') == std::string::npos) {
        const std::string withExtension = CheckableFile(library + ".dll");
        if (!withExtension.empty()) return withExtension;
    }
    return CheckableFile(library);
}

// The file a started program stands for: the DLL a loader is told to load, else the program.
std::string FileOfStartedProgram(const CommandProgram& started) {
    const std::string library = LibraryLoadedBy(started);
    if (!library.empty()) return LibraryFile(library);
    return CheckableFile(started.program);
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

std::string ProgramFileToCheck(const std::string& displayIcon, const std::string& uninstallString) {
    const std::string icon = IconFile(displayIcon);
    if (!icon.empty() && !HasExtension(icon, ".ico")) {
        // Present, but in the Windows folder: nothing to say, whatever the uninstaller is.
        const std::optional<std::string> accepted = AcceptedDataPath(icon);
        if (accepted && FileExists(*accepted)) return CheckableFile(*accepted);
    }
    const CommandProgram uninstaller = ProgramOfCommand(uninstallString);
    const std::string name = FileNameOf(uninstaller.program);
    if (SameIgnoringCase(name, "msiexec.exe") || SameIgnoringCase(name, "msiexec")) return {};
    return CheckableFile(uninstaller.program);
}

std::string StartupCommandFileToCheck(const std::string& command) {
    return FileOfStartedProgram(ProgramOfCommand(command));
}

std::string StartupFolderFileToCheck(const std::string& entryPath) {
    if (!HasExtension(entryPath, ".lnk")) return CheckableFile(entryPath);
    const std::optional<std::string> shortcut = AcceptedDataPath(entryPath);
    const std::optional<ShortcutTarget> target = shortcut ? ReadShortcutTarget(*shortcut) : std::nullopt;
    if (!target) return {};
    return FileOfStartedProgram({target->path, target->arguments});
}

}  // namespace vigilo
