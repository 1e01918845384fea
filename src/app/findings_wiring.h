#pragma once
// The history of findings wired into the program: every round of findings
// is appended to the user's history file and added to the findings window
// where it is open, and what the user does with a finding is appended too.
namespace vigilo {

// Registers the history as a finding reporter and a user action reporter
// (core/finding_reporters.h); once, at the main window's start.
void StartFindingsHistory();
// Opens the findings window over the user's history, or brings it to the front.
void OpenFindingsWindow();

}  // namespace vigilo
