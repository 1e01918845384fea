#include "monitors/startup_entry_rules.h"

#include <windows.h>

#include "core/companion_running.h"
#include "core/exclusion_list.h"
#include "platform/file_system.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr const char* kShortcutExtension = ".LNK";
constexpr DWORD kUnseenAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string ReportedStartupEntry(const std::string& name, const ExclusionListSnapshot& exclusions) {
    const std::string reported = exclusions.Apply(name);
    if (reported.empty() || IsCompanionRunning()) return {};
    return reported;
}

std::string StartupFolderEntryName(const std::string& folder, const std::string& entry) {
    if (entry.empty()) return {};
    const std::string upper = UpperCaseAscii(entry);
    if (upper == "DESKTOP.INI") return {};
    const DWORD attributes = FileAttributes(folder + entry);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kUnseenAttributes)) return {};
    // A file named only ".lnk" keeps its name: there would be nothing left to show.
    const size_t extension = std::string(kShortcutExtension).size();
    if (EndsWith(upper, kShortcutExtension) && entry.size() > extension) return entry.substr(0, entry.size() - extension);
    return entry;
}

}  // namespace vigilo
