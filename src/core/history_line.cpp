#include "core/history_line.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "platform/utc_time.h"

namespace vigilo {
namespace {

template <typename Value>
struct Word {
    Value value;
    const char* word;
};

constexpr Word<FindingEvent> kEvents[] = {
    {FindingEvent::Added, "added"}, {FindingEvent::Changed, "changed"}, {FindingEvent::TurnedBackOn, "turned back on"}};
constexpr Word<Presentation> kWindows[] = {
    {Presentation::Shown, "shown"}, {Presentation::Held, "held"}, {Presentation::Dropped, "not shown"}};
constexpr Word<UserAction> kActions[] = {
    {UserAction::Disabled, "disabled"}, {UserAction::Enabled, "enabled"}, {UserAction::Ignored, "ignored"}};
constexpr Word<StartupApprovedList> kLists[] = {{StartupApprovedList::Run, "Run"},
                                                {StartupApprovedList::Run32, "Run32"},
                                                {StartupApprovedList::StartupFolder, "StartupFolder"}};
const Word<HKEY> kRoots[] = {{HKEY_CURRENT_USER, "HKEY_CURRENT_USER"}, {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"}};

template <typename Value, size_t N>
const char* WordOf(const Word<Value> (&words)[N], Value value) {
    for (const auto& entry : words)
        if (entry.value == value) return entry.word;
    return words[0].word;
}

template <typename Value, size_t N>
std::optional<Value> ValueOf(const Word<Value> (&words)[N], std::string_view word) {
    for (const auto& entry : words)
        if (word == entry.word) return entry.value;
    return std::nullopt;
}

// The texts of a finding a line keeps, by their keys, in the order written.
constexpr std::pair<const char*, std::string Finding::*> kTexts[] = {
    {"name", &Finding::name},           {"storedName", &Finding::storedName}, {"place", &Finding::place},
    {"program", &Finding::program},     {"signer", &Finding::signer},         {"signerLine", &Finding::signerLine},
    {"ownName", &Finding::ownName},
};

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;

void Key(Writer& writer, const char* key) { writer.Key(key); }
// A lone surrogate, which Vigilo's UTF-8 carries as its own three bytes
// (platform/text.h) but no JSON reader takes, is written as U+FFFD.
void Text(Writer& writer, std::string_view text) {
    std::string valid(text);
    for (size_t i = 0; i + 2 < valid.size(); ++i)
        if (static_cast<unsigned char>(valid[i]) == 0xED && static_cast<unsigned char>(valid[i + 1]) >= 0xA0)
            valid.replace(i, 3, "\xEF\xBF\xBD");
    writer.String(valid.data(), static_cast<rapidjson::SizeType>(valid.size()));
}
void Member(Writer& writer, const char* key, std::string_view text) {
    Key(writer, key);
    Text(writer, text);
}

std::string Written(const rapidjson::StringBuffer& buffer) { return {buffer.GetString(), buffer.GetSize()}; }

// Reads an object's members; any member of another type than its own, or a
// required one missing, makes the object bad.
class Reader {
public:
    explicit Reader(const rapidjson::Value& object) : object_(object) {}
    bool Bad() const { return bad_; }

    // A text member; empty when missing (required: then the line is bad).
    std::optional<std::string> Text(const char* key, bool required) {
        const auto member = object_.FindMember(key);
        if (member == object_.MemberEnd()) {
            bad_ |= required;
            return std::nullopt;
        }
        if (!member->value.IsString()) {
            bad_ = true;
            return std::nullopt;
        }
        return std::string(member->value.GetString(), member->value.GetStringLength());
    }
    long long Id(const char* key) {
        const auto member = object_.FindMember(key);
        if (member == object_.MemberEnd() || !member->value.IsInt64() || member->value.GetInt64() <= 0) {
            bad_ = true;
            return 0;
        }
        return member->value.GetInt64();
    }
    template <typename Value, size_t N>
    Value Of(const Word<Value> (&words)[N], const char* key) {
        const std::optional<std::string> word = Text(key, true);
        const std::optional<Value> value = word ? ValueOf(words, *word) : std::nullopt;
        bad_ |= !value;
        return value.value_or(words[0].value);
    }
    std::string Time() {
        std::optional<std::string> time = Text("time", true);
        if (time && !ParseIsoUtcText(*time)) bad_ = true;
        return time.value_or("");
    }
    std::optional<StartupApprovedTarget> Approved() {
        const auto member = object_.FindMember("approved");
        if (member == object_.MemberEnd()) return std::nullopt;
        if (!member->value.IsObject()) {
            bad_ = true;
            return std::nullopt;
        }
        Reader inner(member->value);
        StartupApprovedTarget target{inner.Of(kRoots, "root"), inner.Of(kLists, "list"),
                                     inner.Text("value", true).value_or("")};
        bad_ |= inner.Bad();
        return target;
    }

private:
    const rapidjson::Value& object_;
    bool bad_ = false;
};

std::optional<HistoryLine> ActionOf(Reader& reader) {
    HistoryAction action;
    action.time = reader.Time();
    action.action = reader.Of(kActions, "action");
    action.findingId = reader.Id("finding");
    if (reader.Bad()) return std::nullopt;
    return action;
}

std::optional<HistoryLine> FindingOf(Reader& reader) {
    HistoryFinding entry;
    Finding& finding = entry.finding;
    finding.historyId = reader.Id("id");
    entry.time = reader.Time();
    const std::optional<std::string> kindWord = reader.Text("kind", true);
    const std::optional<FindingKind> kind = kindWord ? FindingKindOfWord(*kindWord) : std::nullopt;
    if (!kind) return std::nullopt;
    finding.kind = *kind;
    finding.event = reader.Of(kEvents, "event");
    entry.presentation = reader.Of(kWindows, "window");
    for (const auto& [key, text] : kTexts)
        finding.*text = reader.Text(key, text == &Finding::name).value_or("");
    finding.approved = reader.Approved();
    if (reader.Bad()) return std::nullopt;
    return entry;
}

}  // namespace

std::string HistoryFindingLine(const HistoryFinding& entry) {
    const Finding& finding = entry.finding;
    rapidjson::StringBuffer buffer;
    Writer writer(buffer);
    writer.StartObject();
    Key(writer, "id");
    writer.Int64(finding.historyId);
    Member(writer, "time", entry.time);
    Member(writer, "kind", FindingKindWord(finding.kind));
    Member(writer, "event", WordOf(kEvents, finding.event));
    for (const auto& [key, text] : kTexts)
        if (!(finding.*text).empty() || text == &Finding::name) Member(writer, key, finding.*text);
    if (finding.approved) {
        Key(writer, "approved");
        writer.StartObject();
        Member(writer, "root", WordOf(kRoots, finding.approved->root));
        Member(writer, "list", WordOf(kLists, finding.approved->list));
        Member(writer, "value", finding.approved->valueName);
        writer.EndObject();
    }
    Member(writer, "window", WordOf(kWindows, entry.presentation));
    writer.EndObject();
    return Written(buffer);
}

std::string HistoryActionLine(const HistoryAction& entry) {
    rapidjson::StringBuffer buffer;
    Writer writer(buffer);
    writer.StartObject();
    Member(writer, "time", entry.time);
    Member(writer, "action", WordOf(kActions, entry.action));
    Key(writer, "finding");
    writer.Int64(entry.findingId);
    writer.EndObject();
    return Written(buffer);
}

std::optional<HistoryLine> ParseHistoryLine(std::string_view line) {
    // Iterative: a line of ten thousand "[" costs memory in proportion, never
    // the stack. The same flags as every other JSON Vigilo reads, so that
    // one reader serves them all (comments are never written).
    constexpr unsigned kFlags =
        rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag | rapidjson::kParseCommentsFlag;
    rapidjson::Document document;
    document.Parse<kFlags>(line.data(), line.size());
    if (document.HasParseError() || !document.IsObject()) return std::nullopt;
    Reader reader(document);
    return document.HasMember("action") ? ActionOf(reader) : FindingOf(reader);
}

}  // namespace vigilo
