#pragma once
// The tray menu's submenu "Recent findings": the last ten findings of the
// record (core/findings_record.h), newest first, listed afresh each time the
// menu opens. Choosing one starts Purgeon as that kind's window link does.
// After a separator, "Clear recent findings" empties the record and "All
// findings..." opens the findings window with the whole history. An empty
// record shows one greyed "(none)" item in place of the findings and of the
// clearing item.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/findings_record.h"

namespace vigilo {

// The parameters Purgeon is started with for a finding of kind, as its
// window's link starts it: " /STARTUP", " /CLEAN", or none.
std::string CompanionParameters(FindingKind kind);

// A finding's item text: "<kind>: <name>", a tab, then the time; the name
// cut to 64 characters (with "..."), every "&" doubled so that none becomes a
// mnemonic.
std::string RecentFindingItemText(const RecordedFinding& recorded);

class RecentFindingsMenu {
public:
    // Ids apart from the tray menu's own (1 and 3).
    static constexpr UINT kFirstFindingItem = 100;  // up to 109
    static constexpr UINT kClearItem = 110;
    static constexpr UINT kAllFindingsItem = 111;
    static constexpr size_t kMostListed = 10;

    using Launch = std::function<void(const std::string& parameters)>;
    // openAll opens the findings window.
    explicit RecentFindingsMenu(Launch launch, std::function<void()> openAll = {})
        : launch_(std::move(launch)), openAll_(std::move(openAll)) {}

    // Empties submenu and lists findings (newest first) in it.
    void Fill(HMENU submenu, const std::vector<RecordedFinding>& findings);
    // Carries out the submenu's item id; false when id is not one of its items.
    bool Choose(UINT id);

private:
    Launch launch_;
    std::function<void()> openAll_;
    std::vector<FindingKind> listed_;  // the kind of each finding item, by position
};

}  // namespace vigilo
