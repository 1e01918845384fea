#include "core/autostart_command.h"

#include "core/command_program.h"
#include "core/listing.h"
#include "platform/environment_text.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr const char* kListSeparator = ": ";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The items of text between separators outside quotes, quotes kept.
std::vector<std::string> SplitOutsideQuotes(const std::string& text, bool blanksSeparate) {
    std::vector<std::string> items(1);
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (!quoted && (c == ',' || (blanksSeparate && IsBlank(c)))) {
            items.emplace_back();
            continue;
        }
        items.back() += c;
    }
    return items;
}

std::string WithoutQuotes(const std::string& text) {
    std::string bare;
    for (const char c : text)
        if (c != '"') bare += c;
    return bare;
}

}  // namespace

std::uint64_t ProgramHash(const std::string& program) {
    std::string compared = Utf8(UpperCaseOrdinal(ExpandEnvironmentText(TrimControlAndBlanks(program))));
    if (compared.size() > 4 && compared.ends_with(".EXE")) compared.resize(compared.size() - 4);
    return DataHash(compared);
}

std::uint64_t CommandProgramHash(const std::string& command) { return ProgramHash(ProgramOfCommand(command).program); }

std::vector<std::string> ProgramsOfList(const std::string& value, ListItems items) {
    std::vector<std::string> programs;
    for (const std::string& item : SplitOutsideQuotes(value, items == ListItems::Files)) {
        std::string program = items == ListItems::Commands
                                   ? ProgramOfCommand(item).program
                                   : ExpandEnvironmentText(TrimControlAndBlanks(WithoutQuotes(item)));
        program = TrimControlAndBlanks(program);
        if (!program.empty()) programs.push_back(std::move(program));
    }
    return programs;
}

std::string ListEntryName(const std::string& valueName, const std::string& program) {
    return valueName + kListSeparator + program;
}

std::string NameWithProgram(const std::string& name, const std::string& program) {
    const std::string file = FileNameOf(TrimControlAndBlanks(program));
    return file.empty() ? name : name + kListSeparator + file;
}

std::string ShownListEntryName(const std::string& entryName) {
    const size_t separator = entryName.find(kListSeparator);
    if (separator == std::string::npos) return entryName;
    return NameWithProgram(entryName.substr(0, separator), entryName.substr(separator + 2));
}

}  // namespace vigilo
