#include "core/command_program.h"

#include <windows.h>

#include <string_view>

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

// A character no path can hold: a file test of a prefix holding one would
// answer no, and so would the test of every longer prefix.
bool NeverInPath(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '<' || c == '>' || c == '|';
}

// The UTF-16 units the byte c of UTF-8 adds: none for a continuation byte,
// two for the lead of a four-byte sequence.
size_t Utf16UnitsOf(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0xF0 ? 2 : (byte & 0xC0) == 0x80 ? 0 : 1;
}

// Whether candidate may name a program: at most MAX_PATH characters, and
// none that no path holds.
bool MayBeProgram(const std::string& candidate) {
    size_t units = 0;
    for (const char c : candidate) {
        units += Utf16UnitsOf(c);
        if (units > MAX_PATH || NeverInPath(c)) return false;
    }
    return !candidate.empty();
}

// candidate as an existing file, or with ".exe" where it has no extension.
std::string ExistingProgram(const std::string& candidate, const FileTest& isFile) {
    if (!MayBeProgram(candidate)) return {};
    if (isFile(candidate)) return candidate;
    const std::string withExtension = candidate + ".exe";
    if (!HasExtension(candidate) && MayBeProgram(withExtension) && isFile(withExtension)) return withExtension;
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

std::string QuotedProgram(const std::string& program) {
    const std::string trimmed = TrimControlAndBlanks(program);
    return trimmed.empty() || trimmed.front() == '"' ? trimmed : "\"" + trimmed + "\"";
}

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
    // CreateProcess takes no longer command: such a one starts nothing, and is not expanded either.
    if (Utf16Length(command) > kLongestCommandLine) return {};
    const std::string expanded = ExpandEnvironmentText(command);
    if (Utf16Length(expanded) > kLongestCommandLine) return {};
    const std::string text = TrimBlanks(expanded);
    if (text.empty()) return {};
    if (text[0] == '"') {
        const size_t close = text.find('"', 1);
        const std::string quoted = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        const std::string found = ExistingProgram(quoted, isFile);
        return SplitAt(text, close == std::string::npos ? text.size() : close + 1, found.empty() ? quoted : found);
    }
    // Unquoted: each blank might be part of the path, as CreateProcess tries
    // them. The prefixes only grow, so once one is longer than MAX_PATH or
    // holds a character no path holds, no longer one is tried: the file
    // tests read at most MAX_PATH characters for each blank among the first
    // MAX_PATH characters, however long the command.
    size_t units = 0;
    for (size_t end = 0; end <= text.size(); ++end) {
        if ((end == text.size() || IsBlank(text[end])) && end > 0 && !IsBlank(text[end - 1])) {
            const std::string found = ExistingProgram(text.substr(0, end), isFile);
            if (!found.empty()) return SplitAt(text, end, found);
        }
        if (end == text.size() || NeverInPath(text[end])) break;
        units += Utf16UnitsOf(text[end]);
        if (units > MAX_PATH) break;
    }
    // A program gone from the disk keeps its name: the first ".exe" that a
    // blank or the end follows ends it.
    constexpr std::string_view kExe = ".exe";
    for (size_t end = kExe.size(); end <= text.size(); ++end) {
        if (end < text.size() && !IsBlank(text[end])) continue;
        if (SameIgnoringCase(std::string_view(text).substr(end - kExe.size(), kExe.size()), kExe))
            return SplitAt(text, end, text.substr(0, end));
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
