#pragma once
// The record of findings: every finding, shown or not, newest first, at most
// fifty, kept for Purgeon and the tray menu as the REG_MULTI_SZ value
// "Recent" under HKCU\Software\Purgeon\Vigilo, one line per finding:
//
//   YYYY-MM-DD HH:MM:SS<TAB>kind<TAB>name
//
// in local time, kind being "program", "startup", "extension" or "junk"
// (core/finding.h). Beside it, "RecentDetails", line for line with "Recent",
// holds what else is known of each finding:
//
//   signer<TAB>own name
//
// the signer's state ("signed:<name>", "untrusted:<name>", "unsigned",
// "broken", or empty) and an extension's own name (or empty). Only the main
// thread writes them. A damaged value is read as far as its lines are whole
// and in this format; details missing for a line are empty.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/finding.h"

namespace vigilo {

inline constexpr const char* kVigiloSettingsKey = "Software\\Purgeon\\Vigilo";
inline constexpr const char* kRecentFindingsValue = "Recent";
inline constexpr const char* kRecentDetailsValue = "RecentDetails";
inline constexpr size_t kMostRecordedFindings = 50;
// A longer name is cut (in UTF-16 characters), so the value stays bounded.
inline constexpr size_t kMostRecordedNameCharacters = 260;

struct RecordedFinding {
    std::string time;  // "YYYY-MM-DD HH:MM:SS", local time
    Finding finding;   // kind and name; its signer and own name from the details
};

// The line of finding made at local time at: its name with every TAB, CR, LF
// and NUL turned into a blank and cut to kMostRecordedNameCharacters.
std::string FindingLine(const Finding& finding, const SYSTEMTIME& at);
// The finding of a line in the record's format; empty for any other line.
std::optional<RecordedFinding> ParseFindingLine(const std::string& line);

// The recorded findings, newest first; the good lines of a damaged value,
// none for a value of another type or of an unreasonable size.
std::vector<RecordedFinding> ReadFindings();
// Puts finding first in the record, made now (or at at), dropping the oldest beyond fifty.
void AddFinding(const Finding& finding);
void AddFinding(const Finding& finding, const SYSTEMTIME& at);
// Puts findings first, the last of them newest, in one write; of a flood
// only the last fifty stay.
void AddFindings(const std::vector<Finding>& findings);
void AddFindings(const std::vector<Finding>& findings, const SYSTEMTIME& at);
// Empties the record.
void ClearFindings();

}  // namespace vigilo
