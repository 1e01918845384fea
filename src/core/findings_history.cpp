#include "core/findings_history.h"

#include <shlobj.h>

#include <algorithm>

#include "platform/appended_file.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/utc_time.h"

namespace vigilo {
namespace {

constexpr size_t kLinesBetweenStopChecks = 256;
constexpr const char* kReplacementSuffix = ".tmp";

// Each line of bytes, without its line end ("\n", or "\r\n" where a hand edited it), in order.
template <typename Each>
void ForEachLine(std::string_view bytes, Each each) {
    size_t from = 0;
    while (from < bytes.size()) {
        const size_t end = std::min(bytes.find('\n', from), bytes.size());
        std::string_view line = bytes.substr(from, end - from);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (!each(line)) return;
        from = end + 1;
    }
}

std::string Folder(const std::string& path) {
    const size_t end = path.find_last_of('\\');
    return end == std::string::npos ? std::string() : path.substr(0, end);
}

Finding Bounded(Finding finding) {
    for (std::string* text : {&finding.name, &finding.storedName, &finding.place, &finding.program, &finding.signer,
                              &finding.signerLine, &finding.ownName})
        *text = FirstCharacters(*text, kMostHistoryTextCharacters);
    return finding;
}

}  // namespace

std::string FindingsHistoryPath() {
    const std::string local = ShellFolderPath(CSIDL_LOCAL_APPDATA);
    if (local.empty()) return {};
    return WithTrailingBackslash(local) + "Purgeon\\Vigilo\\" + kFindingsHistoryFile;
}

HistoryContents ParseHistory(std::string_view bytes, const std::function<bool()>& stopped) {
    HistoryContents contents;
    contents.endsWithLineEnd = bytes.empty() || bytes.back() == '\n';
    ForEachLine(bytes, [&](std::string_view line) {
        if (++contents.lines % kLinesBetweenStopChecks == 0 && stopped && stopped()) return false;
        std::optional<HistoryLine> parsed = ParseHistoryLine(line);
        if (!parsed) return true;
        if (const auto* finding = std::get_if<HistoryFinding>(&*parsed)) contents.lastId = finding->finding.historyId;
        contents.entries.push_back(std::move(*parsed));
        return true;
    });
    return contents;
}

std::optional<HistoryContents> ReadFindingsHistory(const std::string& path, const std::function<bool()>& stopped) {
    if (path.empty()) return HistoryContents{};
    const std::optional<FileTail> tail = ReadFileTail(path, kMostHistoryBytes);
    if (!tail) return std::nullopt;
    return ParseHistory(tail->bytes, stopped);
}

FindingsHistory::FindingsHistory(std::string path) : FindingsHistory(std::move(path), {}) {}

FindingsHistory::FindingsHistory(std::string path, Seams seams) : path_(std::move(path)), seams_(std::move(seams)) {
    if (!seams_.clock) seams_.clock = UtcNow;
    if (!seams_.replace) seams_.replace = MoveFileOver;
}

std::vector<HistoryFinding> FindingsHistory::Record(std::vector<ReportedFinding>& round) {
    std::vector<HistoryFinding> entries;
    if (round.empty() || !Ready()) return entries;
    const std::string time = IsoUtcText(seams_.clock());
    std::string bytes;
    for (const ReportedFinding& reported : round) {
        HistoryFinding entry{Bounded(reported.finding), time, reported.presentation};
        entry.finding.historyId = lastId_ + static_cast<long long>(entries.size()) + 1;
        bytes += HistoryFindingLine(entry) + '\n';
        entries.push_back(std::move(entry));
    }
    if (!Append(std::move(bytes), entries.size())) return {};
    lastId_ += static_cast<long long>(entries.size());
    for (size_t i = 0; i < round.size(); ++i) round[i].finding.historyId = entries[i].finding.historyId;
    RewriteIfDue();
    return entries;
}

void FindingsHistory::RecordAction(const Finding& finding, UserAction action) {
    if (finding.historyId <= 0 || !Ready()) return;
    const HistoryAction entry{finding.historyId, action, IsoUtcText(seams_.clock())};
    Append(HistoryActionLine(entry) + '\n', 1);
}

bool FindingsHistory::Ready() {
    if (path_.empty()) return false;
    if (written_ && *written_ == StampOfFile(path_)) return true;
    // First use, or another wrote, replaced or removed the file: learn it again.
    if (!MakeFolderPath(Folder(path_))) return false;
    const std::optional<FileTail> tail = ReadFileTail(path_, kMostHistoryBytes);
    if (!tail) return false;
    lines_ = static_cast<size_t>(std::count(tail->bytes.begin(), tail->bytes.end(), '\n'));
    endsWithLineEnd_ = tail->bytes.empty() || tail->bytes.back() == '\n';
    if (!endsWithLineEnd_) ++lines_;
    size_ = tail->size;
    // Ids only grow: the last good finding line holds the largest. Looked for from the end.
    lastId_ = 0;
    std::string_view rest = tail->bytes;
    while (!rest.empty() && lastId_ == 0) {
        if (rest.back() == '\n') rest.remove_suffix(1);
        const size_t start = rest.find_last_of('\n');
        const std::string_view line = start == std::string_view::npos ? rest : rest.substr(start + 1);
        if (const std::optional<HistoryLine> parsed = ParseHistoryLine(line))
            if (const auto* finding = std::get_if<HistoryFinding>(&*parsed)) lastId_ = finding->finding.historyId;
        rest.remove_suffix(line.size());
    }
    written_ = StampOfFile(path_);
    return true;
}

bool FindingsHistory::Append(std::string bytes, size_t lines) {
    if (!endsWithLineEnd_) bytes.insert(bytes.begin(), '\n');
    if (!AppendToFile(path_, bytes)) {
        written_.reset();  // maybe part of it: learn the file again
        return false;
    }
    lines_ += lines;
    endsWithLineEnd_ = true;
    written_ = StampOfFile(path_);
    size_ = static_cast<std::int64_t>(written_->size);
    return true;
}

void FindingsHistory::RewriteIfDue() {
    if (lines_ <= kHistoryRewriteLines && size_ <= kMostHistoryBytes) return;
    const std::optional<HistoryContents> read = ReadFindingsHistory(path_);
    if (!read) return;  // tried again at the next finding
    // The newest findings are the last; the actions kept are those on a finding kept.
    std::vector<long long> kept;
    for (const HistoryLine& line : read->entries)
        if (const auto* finding = std::get_if<HistoryFinding>(&line)) kept.push_back(finding->finding.historyId);
    const size_t dropped = kept.size() > kMostHistoryFindings ? kept.size() - kMostHistoryFindings : 0;
    kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(dropped));
    std::sort(kept.begin(), kept.end());
    std::string bytes;
    size_t lines = 0, findingsSeen = 0;
    for (const HistoryLine& line : read->entries) {
        if (const auto* finding = std::get_if<HistoryFinding>(&line)) {
            if (findingsSeen++ < dropped) continue;
            bytes += HistoryFindingLine(*finding) + '\n';
        } else {
            const HistoryAction& action = std::get<HistoryAction>(line);
            if (!std::binary_search(kept.begin(), kept.end(), action.findingId)) continue;
            bytes += HistoryActionLine(action) + '\n';
        }
        ++lines;
    }
    const std::string replacement = path_ + kReplacementSuffix;
    if (!WriteWholeFile(replacement, bytes) || !seams_.replace(replacement, path_)) {
        RemoveFile(replacement);
        return;  // lines_ stays above the mark: tried again at the next finding
    }
    lines_ = lines;
    endsWithLineEnd_ = true;
    written_ = StampOfFile(path_);
    size_ = static_cast<std::int64_t>(written_->size);
}

}  // namespace vigilo
