#pragma once
// The history of findings: every finding the reporters are told of (shown,
// held or not shown; ignored ones never are), and what the user later did
// with one, kept for the findings window and for export in
//
//   %LOCALAPPDATA%\Purgeon\Vigilo\Findings.jsonl
//
// one JSON line each (core/history_line.h), oldest first. The folder is the
// user's own local one, as the shell names it, never a shared one, and the
// file gets the user's default permissions: it names the programs on their
// machine. The registry record (core/findings_record.h) stays beside it as
// Purgeon knows it.
//
// Each finding gets an id one above the file's last; a round's lines go in
// one write, each line whole. The writer learns the file's last id, its
// number of lines and whether it ends with a line end from the file itself,
// at its first write and again whenever the file changed behind its back. A
// last line cut off (the program ended in the middle of a write) is left
// out by readers, and the next line written starts on a line of its own.
// Past kHistoryRewriteLines lines the file is rewritten to a temporary file
// beside it, the newest kMostHistoryFindings findings and the actions on
// them, which then replaces it; readers share deleting, so an open reader
// keeps what it opened. A replacement that fails is tried again at the next
// finding. Only the main thread writes.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/finding_reporters.h"
#include "core/history_line.h"
#include "platform/text_file.h"

namespace vigilo {

inline constexpr const char* kFindingsHistoryFile = "Findings.jsonl";
inline constexpr size_t kMostHistoryFindings = 10000;
inline constexpr size_t kHistoryRewriteLines = 12000;
// Readers take at most the file's last 32 MiB (some 80,000 usual lines);
// a larger file is rewritten at the next finding.
inline constexpr std::int64_t kMostHistoryBytes = 32 << 20;
// A longer text of a finding is cut (in UTF-16 characters), so that a line
// stays bounded.
inline constexpr size_t kMostHistoryTextCharacters = 4096;

// "<local application data>\Purgeon\Vigilo\Findings.jsonl"; empty where
// the shell names no such folder.
std::string FindingsHistoryPath();

// What a history file holds: its good lines, in the file's order.
struct HistoryContents {
    std::vector<HistoryLine> entries;
    size_t lines = 0;            // every line, good or not, a cut-off last one too
    long long lastId = 0;        // the id of the last good finding line; 0 for none
    bool endsWithLineEnd = true;  // an empty file does too
};

// The good lines of bytes, a history file's contents; stopped() is asked
// now and then, and true ends the reading early with what was read.
HistoryContents ParseHistory(std::string_view bytes, const std::function<bool()>& stopped = {});
// The good lines of the file at path (its last kMostHistoryBytes); nothing
// when it is missing, and empty when it is there but cannot be read.
std::optional<HistoryContents> ReadFindingsHistory(const std::string& path,
                                                   const std::function<bool()>& stopped = {});

class FindingsHistory {
public:
    struct Seams {
        std::function<SYSTEMTIME()> clock;  // now, UTC
        // Moves replacement over path; false when it could not.
        std::function<bool(const std::string& replacement, const std::string& path)> replace;
    };
    // The history in the file at path (none: nothing is written).
    explicit FindingsHistory(std::string path);
    FindingsHistory(std::string path, Seams seams);

    const std::string& Path() const { return path_; }
    // Appends round's findings, in order, with their presentation, and gives
    // each its id; those that could not be written keep id 0. Returns them
    // as the history holds them.
    std::vector<HistoryFinding> Record(std::vector<ReportedFinding>& round);
    // Appends that the user did action with finding (one with an id).
    void RecordAction(const Finding& finding, UserAction action);

private:
    // Learns the file's state where it changed since this object last wrote; false when it cannot be written.
    bool Ready();
    // Appends bytes, after a line end where the file lacks its last.
    bool Append(std::string bytes, size_t lines);
    void RewriteIfDue();

    std::string path_;
    Seams seams_;
    std::optional<FileStamp> written_;  // the file as this object left it
    long long lastId_ = 0;
    size_t lines_ = 0;
    std::int64_t size_ = 0;
    bool endsWithLineEnd_ = true;
};

}  // namespace vigilo
