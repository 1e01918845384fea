#include "core/command_program.h"

#include "platform/data_path.h"
#include "platform/environment_text.h"
#include "platform/file_system.h"
#include "platform/text.h"

namespace vigilo {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return {};
    return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

bool HasExtension(const std::string& path) { return FileNameOf(path).find('.') != std::string::npos; }

bool EndsWithIgnoringCase(const std::string& text, std::string_view end) {
    return text.size() >= end.size() && SameIgnoringCase(std::string_view(text).substr(text.size() - end.size()), end);
}

// candidate as an existing file, or with ".exe" where it has no extension.
std::string ExistingProgram(const std::string& candidate, const FileTest& isFile) {
    if (candidate.empty()) return {};
    if (isFile(candidate)) return candidate;
    if (!HasExtension(candidate) && isFile(candidate + ".exe")) return candidate + ".exe";
    return {};
}

CommandProgram SplitAt(const std::string& text, size_t end, const std::string& program) {
    return {program, end >= text.size() ? std::string() : TrimBlanks(text.substr(end))};
}

bool IsProgramNamed(const std::string& program, std::string_view name) {
    const std::string file = FileNameOf(program);
    return SameIgnoringCase(file, name) || SameIgnoringCase(file, std::string(name) + ".exe");
}

}  // namespace

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

CommandProgram ProgramOfCommand(const std::string& command) {
    return ProgramOfCommand(command, [](const std::string& path) {
        const std::optional<std::string> accepted = AcceptedDataPath(path);
        return accepted && FileExists(*accepted);
    });
}

CommandProgram ProgramOfCommand(const std::string& command, const FileTest& isFile) {
    const std::string text = TrimBlanks(ExpandEnvironmentText(command));
    if (text.empty()) return {};
    if (text[0] == '"') {
        const size_t close = text.find('"', 1);
        const std::string quoted = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        const std::string found = ExistingProgram(quoted, isFile);
        return SplitAt(text, close == std::string::npos ? text.size() : close + 1, found.empty() ? quoted : found);
    }
    // Unquoted: each blank might be part of the path, as CreateProcess tries them.
    for (size_t end = 0; end <= text.size(); ++end) {
        if (end < text.size() && !IsBlank(text[end])) continue;
        if (end > 0 && IsBlank(text[end - 1])) continue;
        const std::string found = ExistingProgram(text.substr(0, end), isFile);
        if (!found.empty()) return SplitAt(text, end, found);
    }
    // A program gone from the disk keeps its name: the first ".exe" that a
    // blank or the end follows ends it.
    for (size_t end = 0; end <= text.size(); ++end) {
        if (end < text.size() && !IsBlank(text[end])) continue;
        if (EndsWithIgnoringCase(text.substr(0, end), ".exe")) return SplitAt(text, end, text.substr(0, end));
    }
    const size_t blank = text.find_first_of(" \t");
    return SplitAt(text, blank, text.substr(0, blank));
}

std::vector<std::string> SplitArguments(const std::string& arguments) {
    std::vector<std::string> split;
    std::string current;
    bool quoted = false;
    bool inArgument = false;
    for (const char c : arguments) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (IsBlank(c) && !quoted) {
            if (inArgument) split.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) split.push_back(current);
    return split;
}

std::string LibraryLoadedBy(const CommandProgram& command) {
    if (IsProgramNamed(command.program, "rundll32")) {
        // "rundll32 "C:\A B\x.dll",Entry" and "rundll32 C:\A B\x.dll,Entry": the DLL ends at
        // the comma, or at the first blank where there is none.
        const std::string first = TrimBlanks(command.arguments);
        std::string library;
        if (!first.empty() && first[0] == '"') {
            const size_t close = first.find('"', 1);
            library = first.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        } else {
            const size_t comma = first.find(',');
            library = first.substr(0, comma != std::string::npos ? comma : first.find_first_of(" \t"));
        }
        library = TrimBlanks(library);
        return library.starts_with('-') ? std::string() : library;  // "-sta {class}" names no file
    }
    if (IsProgramNamed(command.program, "regsvr32")) {
        for (const std::string& argument : SplitArguments(command.arguments))
            if (!argument.empty() && argument[0] != '/' && argument[0] != '-') return argument;
    }
    return {};
}

}  // namespace vigilo
