// The history of findings as its readers see the file: one JSON line per
// finding, an id that only grows, actions naming a finding's id; cut-off
// and damaged lines left out, names of any kind coming back whole, and the
// file kept to its newest 10,000 findings past 12,000 lines, an open reader
// keeping what it opened.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/findings_history.h"
#include "platform/appended_file.h"
#include "platform/file_system.h"
#include "platform/read_only_file.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

SYSTEMTIME At(WORD minute) {
    SYSTEMTIME at{};
    at.wYear = 2026;
    at.wMonth = 3;
    at.wDay = 7;
    at.wHour = 9;
    at.wMinute = minute;
    at.wSecond = 2;
    return at;
}

std::vector<ReportedFinding> Round(const std::vector<std::string>& names) {
    std::vector<ReportedFinding> round;
    for (const std::string& name : names) round.push_back({{FindingKind::Startup, name}, Presentation::Dropped});
    return round;
}

std::vector<HistoryFinding> Findings(const HistoryContents& contents) {
    std::vector<HistoryFinding> findings;
    for (const HistoryLine& line : contents.entries)
        if (const auto* finding = std::get_if<HistoryFinding>(&line)) findings.push_back(*finding);
    return findings;
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t from = 0; from < bytes.size();) {
        const size_t end = bytes.find('\n', from);
        lines.push_back(bytes.substr(from, end - from));
        from = end == std::string::npos ? bytes.size() : end + 1;
    }
    return lines;
}

// A finding's line as the format gives it, with only the fields every line has.
std::string PlainLine(long long id, const std::string& name) {
    return "{\"id\":" + std::to_string(id) + ",\"time\":\"2026-03-07T08:00:00Z\",\"kind\":\"startup\",\"event\":\"added\",\"name\":\"" +
           name + "\",\"window\":\"not shown\"}";
}

class History : public ::testing::Test {
protected:
    FindingsHistory Writer(std::function<bool(const std::string&, const std::string&)> replace = {}) const {
        return FindingsHistory(path_, {[] { return At(1); }, std::move(replace)});
    }
    HistoryContents Read() const { return ReadFindingsHistory(path_).value(); }

    TempFolder folder_;
    std::string path_ = folder_.File("Purgeon\\Vigilo\\Findings.jsonl");
};

}  // namespace

TEST_F(History, EachFindingIsOneLineWithAnIdThatOnlyGrowsAndAnActionNamesItsFinding) {
    std::vector<ReportedFinding> round = Round({"Updater", "Helper"});
    Finding& updater = round[0].finding;
    updater.storedName = "Updater.lnk";
    updater.place = "C:\\Users\\Ann\\Start Menu\\Programs\\Startup\\";
    updater.program = "C:\\Tools\\updater.exe";
    updater.signer = "signed:Example Ltd";
    updater.signerLine = "Signed by Example Ltd";
    updater.approved = StartupApprovedTarget{HKEY_CURRENT_USER, StartupApprovedList::StartupFolder, "Updater.lnk"};
    round[0].presentation = Presentation::Shown;
    round[1].finding.event = FindingEvent::Changed;
    round[1].presentation = Presentation::Held;
    const std::vector<HistoryFinding> recorded = Writer().Record(round);  // the folders are made too

    EXPECT_EQ(round[0].finding.historyId, 1);
    EXPECT_EQ(round[1].finding.historyId, 2);
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[1].time, "2026-03-07T09:01:02Z");
    EXPECT_EQ(Lines(ReadFile(path_)),
              (std::vector<std::string>{
                  "{\"id\":1,\"time\":\"2026-03-07T09:01:02Z\",\"kind\":\"startup\",\"event\":\"added\","
                  "\"name\":\"Updater\",\"storedName\":\"Updater.lnk\","
                  "\"place\":\"C:\\\\Users\\\\Ann\\\\Start Menu\\\\Programs\\\\Startup\\\\\","
                  "\"program\":\"C:\\\\Tools\\\\updater.exe\",\"signer\":\"signed:Example Ltd\","
                  "\"signerLine\":\"Signed by Example Ltd\","
                  "\"approved\":{\"root\":\"HKEY_CURRENT_USER\",\"list\":\"StartupFolder\",\"value\":\"Updater.lnk\"},"
                  "\"window\":\"shown\"}",
                  "{\"id\":2,\"time\":\"2026-03-07T09:01:02Z\",\"kind\":\"startup\",\"event\":\"changed\","
                  "\"name\":\"Helper\",\"window\":\"held\"}",
              }));

    // Another run of Vigilo goes on from the file's last id.
    FindingsHistory later = Writer();
    std::vector<ReportedFinding> next = Round({"Third"});
    later.Record(next);
    later.RecordAction(next[0].finding, UserAction::Disabled);
    later.RecordAction(Finding{FindingKind::Startup, "never recorded"}, UserAction::Ignored);
    const std::vector<std::string> lines = Lines(ReadFile(path_));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "{\"time\":\"2026-03-07T09:01:02Z\",\"action\":\"disabled\",\"finding\":3}");

    const HistoryContents contents = Read();
    ASSERT_EQ(Findings(contents).size(), 3u);
    EXPECT_EQ(Findings(contents)[2].finding.historyId, 3);
    EXPECT_EQ(Findings(contents)[0].finding.approved->valueName, "Updater.lnk");
    EXPECT_EQ(Findings(contents)[1].presentation, Presentation::Held);
    const auto* action = std::get_if<HistoryAction>(&contents.entries.back());
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->findingId, 3);
    EXPECT_EQ(action->action, UserAction::Disabled);
}

TEST_F(History, ALastLineCutOffAtAnyByteIsLeftOutAndTheNextLineStartsOnALineOfItsOwn) {
    const std::string first = PlainLine(1, "First") + "\n";
    const std::string cut = PlainLine(7, "Cut \xE4\xB8\xAD\xE6\x96\x87");
    for (size_t length = 0; length <= cut.size(); ++length) {
        const bool whole = length == cut.size();
        MakeFolders(folder_.File("Purgeon\\Vigilo"));
        WriteFile(path_, first + cut.substr(0, length));
        ASSERT_EQ(Findings(Read()).size(), whole ? 2u : 1u) << length;

        std::vector<ReportedFinding> round = Round({"Next"});
        Writer().Record(round);
        EXPECT_EQ(round[0].finding.historyId, whole ? 8 : 2) << length;
        const HistoryContents contents = Read();
        const std::vector<HistoryFinding> findings = Findings(contents);
        ASSERT_EQ(findings.size(), whole ? 3u : 2u) << length;
        EXPECT_EQ(findings.back().finding.name, "Next") << length;
        EXPECT_TRUE(contents.endsWithLineEnd);
        // Nothing cut: the new line follows at once; cut: the part stays a line of its own.
        EXPECT_EQ(contents.lines, length == 0 ? 2u : 3u) << length;
    }
}

TEST_F(History, ALineThatIsNoJsonObjectOrHasAFieldOfAnotherTypeIsLeftOut) {
    const std::string time = "\"time\":\"2026-03-07T08:00:00Z\"";
    const std::string rest = "\"kind\":\"startup\",\"event\":\"added\",\"name\":\"A\",\"window\":\"shown\"";
    const std::vector<std::string> bad{
        "",
        "not json",
        "[1,2]",
        "{\"id\":1," + time + "," + rest,  // no closing brace
        "{\"id\":\"1\"," + time + "," + rest + "}",
        "{\"id\":0," + time + "," + rest + "}",
        "{\"id\":-4," + time + "," + rest + "}",
        "{\"id\":1.5," + time + "," + rest + "}",
        "{\"id\":1," + rest + "}",
        "{\"id\":1,\"time\":\"2026-02-30T08:00:00Z\"," + rest + "}",
        "{\"id\":1,\"time\":\"2026-03-07 08:00:00\"," + rest + "}",
        "{\"id\":1," + time + ",\"kind\":\"printer\",\"event\":\"added\",\"name\":\"A\",\"window\":\"shown\"}",
        "{\"id\":1," + time + ",\"kind\":\"startup\",\"event\":\"added\",\"name\":7,\"window\":\"shown\"}",
        "{\"id\":1," + time + ",\"kind\":\"startup\",\"event\":\"added\",\"window\":\"shown\"}",
        "{\"id\":1," + time + ",\"kind\":\"startup\",\"event\":\"moved\",\"name\":\"A\",\"window\":\"shown\"}",
        "{\"id\":1," + time + ",\"kind\":\"startup\",\"event\":\"added\",\"name\":\"A\",\"window\":true}",
        "{\"id\":1," + time + "," + rest + ",\"program\":[\"C:\\\\x.exe\"]}",
        "{\"id\":1," + time + "," + rest + ",\"approved\":\"Run\"}",
        "{\"id\":1," + time + "," + rest + ",\"approved\":{\"root\":\"HKEY_USERS\",\"list\":\"Run\",\"value\":\"A\"}}",
        "{\"id\":1," + time + "," + rest + ",\"approved\":{\"root\":\"HKEY_CURRENT_USER\",\"list\":\"Run\"}}",
        "{" + time + ",\"action\":\"deleted\",\"finding\":1}",
        "{" + time + ",\"action\":\"disabled\",\"finding\":\"1\"}",
        "{" + time + ",\"action\":\"disabled\"}",
        "{\"id\":1," + time + "," + rest + "} {}",
        std::string(10000, '[') + std::string(10000, ']'),
    };
    std::string file;
    for (const std::string& line : bad) {
        EXPECT_FALSE(ParseHistoryLine(line)) << line.substr(0, 200);
        file += line + "\n" + PlainLine(2, "Good") + "\n";
    }
    MakeFolders(folder_.File("Purgeon\\Vigilo"));
    WriteFile(path_, file);
    const HistoryContents contents = Read();
    EXPECT_EQ(contents.entries.size(), bad.size());
    EXPECT_EQ(contents.lines, 2 * bad.size());
    EXPECT_EQ(contents.lastId, 2);
}

TEST_F(History, NamesInAnyScriptWithQuotesBackslashesTabsAndNulComeBackAsTheyWere) {
    const std::string names[] = {
        "\xC3\x84pfel \xE4\xB8\xAD\xE6\x96\x87 \xD0\xA0\xD1\x83\xD1\x81 \xD7\xA2\xD7\x91 \xF0\x9F\x98\x80",
        "\"quoted\" back\\slash\\\\ \\u0041",
        std::string("tab\there nul\0there\r\nline \x01\x1F\x7F", 28),
    };
    std::vector<ReportedFinding> round = Round({names[0], names[1], names[2]});
    round[2].finding.program = names[0];
    round[2].finding.storedName = names[2];
    Writer().Record(round);
    const std::vector<HistoryFinding> findings = Findings(Read());
    ASSERT_EQ(findings.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(findings[i].finding.name, names[i]);
    EXPECT_EQ(findings[2].finding.storedName, names[2]);
    EXPECT_EQ(findings[2].finding.program, names[0]);
    EXPECT_EQ(Lines(ReadFile(path_)).size(), 3u) << "every line end in a name is escaped";

    // A lone surrogate (a registry name no Unicode text holds) is kept as U+FFFD.
    std::vector<ReportedFinding> lone = Round({"a\xED\xA0\x80z"});
    Writer().Record(lone);
    EXPECT_EQ(Findings(Read()).back().finding.name, "a\xEF\xBF\xBDz");
}

TEST_F(History, PastTwelveThousandLinesTheNewestTenThousandFindingsStayAndAnOpenReaderKeepsWhatItOpened) {
    // 11,998 findings and two actions, on the oldest and on the newest but one.
    std::string file;
    for (long long id = 1; id <= 11998; ++id) file += PlainLine(id, "Entry") + "\n";
    file += "{\"time\":\"2026-03-07T08:00:00Z\",\"action\":\"ignored\",\"finding\":1}\n";
    file += "{\"time\":\"2026-03-07T08:00:00Z\",\"action\":\"enabled\",\"finding\":11997}\n";
    MakeFolders(folder_.File("Purgeon\\Vigilo"));
    WriteFile(path_, file);

    // The 12,001st line: the replacement fails (a reader that does not share deleting holds the file).
    bool replaceFails = true;
    FindingsHistory history = Writer([&](const std::string& replacement, const std::string& path) {
        return !replaceFails && MoveFileOver(replacement, path);
    });
    std::vector<ReportedFinding> round = Round({"Over the mark"});
    history.Record(round);
    EXPECT_EQ(Read().lines, 12001u);
    EXPECT_FALSE(FileExists(path_ + ".tmp")) << "the replacement made is removed";

    // At the next finding it is tried again, while a reader sharing deleting
    // has the file open: the reader keeps what it opened, whether the system
    // let the replacement through or not.
    std::optional<ReadOnlyFile> reader = ReadOnlyFile::Open(path_);
    ASSERT_TRUE(reader);
    const std::int64_t openedSize = reader->Size();
    replaceFails = false;
    round = Round({"While read"});
    history.Record(round);
    const std::optional<std::string> old = reader->ReadAt(0, static_cast<size_t>(openedSize));
    ASSERT_TRUE(old);
    EXPECT_EQ(Lines(*old).size(), 12001u);
    EXPECT_EQ(Lines(*old).front(), PlainLine(1, "Entry"));
    reader.reset();

    // Without a reader, the next finding's rewrite leaves the newest 10,000 (and any finding since).
    round = Round({"Newest"});
    history.Record(round);
    EXPECT_EQ(round[0].finding.historyId, 12001);
    const HistoryContents contents = Read();
    const std::vector<HistoryFinding> findings = Findings(contents);
    ASSERT_GE(findings.size(), 10000u);
    ASSERT_LE(findings.size(), 10001u);
    EXPECT_EQ(findings.front().finding.historyId, 12002 - static_cast<long long>(findings.size()));
    EXPECT_EQ(findings.back().finding.name, "Newest");
    EXPECT_EQ(contents.entries.size(), findings.size() + 1) << "the action on a finding that went, went with it";
    const auto kept = std::find_if(contents.entries.begin(), contents.entries.end(),
                                   [](const HistoryLine& line) { return std::holds_alternative<HistoryAction>(line); });
    ASSERT_NE(kept, contents.entries.end());
    EXPECT_EQ(std::get<HistoryAction>(*kept).findingId, 11997);

    // The rewritten file goes on from its own last id, and is not rewritten again.
    const size_t lines = contents.lines;
    round = Round({"After"});
    Writer().Record(round);
    EXPECT_EQ(round[0].finding.historyId, 12002);
    EXPECT_EQ(Read().lines, lines + 1);
}
