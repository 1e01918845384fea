#include "tray/recent_findings_menu.h"

#include "core/companion.h"
#include "core/language_texts.h"
#include "platform/text.h"
#include "platform/window_text.h"

namespace vigilo {
namespace {

constexpr size_t kMostNameCharacters = 64;

const TextId& KindText(FindingKind kind) {
    switch (kind) {
        case FindingKind::Program:
            return texts::kTrayKindProgram;
        case FindingKind::Startup:
            return texts::kTrayKindStartup;
        case FindingKind::Extension:
            return texts::kTrayKindExtension;
        case FindingKind::Junk:
            return texts::kTrayKindJunk;
    }
    return texts::kTrayKindProgram;
}

std::string WithoutMnemonics(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        escaped += c;
        if (c == '&') escaped += '&';
    }
    return escaped;
}

// What the record names a finding by; an extension by its own name where it has one ("Google Chrome: Tab Saver").
std::string ShownName(const Finding& finding) {
    if (finding.kind != FindingKind::Extension || finding.ownName.empty()) return finding.name;
    const size_t browserEnd = finding.name.find(": ");
    return browserEnd == std::string::npos ? finding.ownName : finding.name.substr(0, browserEnd + 2) + finding.ownName;
}

}  // namespace

std::string CompanionParameters(FindingKind kind) {
    if (kind == FindingKind::Startup) return companion::kStartupArgument;
    if (kind == FindingKind::Junk) return companion::kCleanArgument;
    return "";
}

std::string RecentFindingItemText(const RecordedFinding& recorded) {
    const std::string shown = ShownName(recorded.finding);
    std::string name = FirstCharacters(shown, kMostNameCharacters);
    if (name.size() < shown.size()) name += "...";
    return WithoutMnemonics(FirstCharacters(Text(KindText(recorded.finding.kind)), kMostNameCharacters) + ": " + name) +
           "\t" + recorded.time;
}

void RecentFindingsMenu::Fill(HMENU submenu, const std::vector<RecordedFinding>& findings) {
    while (GetMenuItemCount(submenu) > 0) DeleteMenu(submenu, 0, MF_BYPOSITION);
    listed_.clear();
    if (findings.empty()) AppendMenuText(submenu, MF_STRING | MF_GRAYED, kFirstFindingItem, Text(texts::kTrayRecentNone));
    for (const RecordedFinding& recorded : findings) {
        if (listed_.size() == kMostListed) break;
        AppendMenuText(submenu, MF_STRING, kFirstFindingItem + listed_.size(), RecentFindingItemText(recorded));
        listed_.push_back(recorded.finding.kind);
    }
    AppendMenuText(submenu, MF_SEPARATOR, 0, "");
    if (!findings.empty()) AppendMenuText(submenu, MF_STRING, kClearItem, Text(texts::kTrayRecentClear));
    AppendMenuText(submenu, MF_STRING, kAllFindingsItem, Text(texts::kTrayAllFindings));
}

bool RecentFindingsMenu::Choose(UINT id) {
    if (id == kClearItem) {
        ClearFindings();
        return true;
    }
    if (id == kAllFindingsItem) {
        if (openAll_) openAll_();
        return true;
    }
    if (id < kFirstFindingItem || id >= kFirstFindingItem + listed_.size()) return false;
    launch_(CompanionParameters(listed_[id - kFirstFindingItem]));
    return true;
}

}  // namespace vigilo
