#pragma once
// The findings window: every finding of the history (core/findings_history.h)
// at hand, and the ignore rules without the registry. A normal, resizable
// top-level window of class "TVigiloFindings" with a taskbar button, sized
// and scaled for its screen's DPI; one at a time, a second request brings it
// to the front.
//
// Two tabs. "Findings": a search box, a virtual list view (the rows of a
// core/findings_table.h table, newest first, sorted by a header click,
// filtered as the user types), buttons under it and a status line "N of M
// findings shown". The history is read on a worker thread, and findings
// recorded meanwhile or later are added as they come. A row's actions, from
// the buttons, the context menu (right click, the menu key, Shift+F10) or
// Ctrl+C: Disable at start-up / Enable again (where the entry has a
// StartupApproved value and is still there), Don't show this again (the
// exact rule, core/ignore_rule_edits.h), Open file location (a local path
// the path rule accepts), Copy (the row's cells, TAB-separated); Export…
// saves the rows shown as CSV. "Ignored": the lines of "Ignore" with their
// fields, the default ones and the policy's marked, lines that are no rule
// with the reason; Remove deletes the selected lines of the user's.
//
// Everything works from the keyboard (Tab, the arrow keys, Alt and a
// button's letter, Esc closes), and screen readers hear every control by
// its name. The user's actions are told to the action reporters
// (core/finding_reporters.h). Main thread only.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/history_line.h"
#include "core/startup_approved.h"
#include "platform/save_file_dialog.h"

namespace vigilo {

// What the window asks of the system, so that tests can answer instead.
struct FindingsWindowSeams {
    std::string historyPath;  // the history file; none: the user's own
    // The ignore rules an administrator set by policy, TAB-separated as the user's.
    std::function<std::vector<std::string>()> policyIgnoreLines;
    StartupApproval approval;
    std::function<void(HWND owner, const std::string& program)> showInFolder;
    std::function<std::optional<std::string>(HWND owner, const SaveFileQuestion& question)> askWhereToSave;
};

// Opens the window, or brings the open one to the front (seams then unused).
void ShowFindingsWindow(FindingsWindowSeams seams = {});
// Adds findings just recorded to the open window; nothing when none is open.
void AddToFindingsWindow(const std::vector<HistoryFinding>& recorded);
// Closes the open window (the program ends).
void CloseFindingsWindow();
// The open window; null when none is open.
HWND FindingsWindowHandle();

}  // namespace vigilo
