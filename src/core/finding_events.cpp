#include "core/finding_events.h"

#include <windows.h>

#include <string>

#include "event_messages.h"  // generated from assets/event_messages.mc
#include "platform/text.h"

namespace vigilo {
namespace {

struct EventKind {
    unsigned id;
    EventType type;
};

// One row per kind of finding's event. A startup finding's event says what
// happened to its entry; for the other kinds the first row of the kind
// stands for whatever happened.
constexpr struct {
    FindingKind kind;
    FindingEvent event;
    EventKind eventKind;
} kFindingEvents[] = {
    {FindingKind::Program, FindingEvent::Added, {VIGILO_EVENT_NEW_PROGRAM, EventType::Information}},
    {FindingKind::Startup, FindingEvent::Added, {VIGILO_EVENT_NEW_STARTUP_ENTRY, EventType::Warning}},
    {FindingKind::Startup, FindingEvent::Changed, {VIGILO_EVENT_STARTUP_PROGRAM_CHANGED, EventType::Warning}},
    {FindingKind::Startup, FindingEvent::TurnedBackOn, {VIGILO_EVENT_STARTUP_TURNED_BACK_ON, EventType::Warning}},
    {FindingKind::Extension, FindingEvent::Added, {VIGILO_EVENT_NEW_EXTENSION, EventType::Warning}},
    {FindingKind::Junk, FindingEvent::Added, {VIGILO_EVENT_TOO_MUCH_JUNK, EventType::Information}},
};

// The user's actions the log tells, with the word of their %7.
constexpr struct {
    UserAction action;
    unsigned id;
    const char* word;
} kUserActionEvents[] = {
    {UserAction::Disabled, VIGILO_EVENT_USER_DISABLED_ENTRY, "disabled"},
    {UserAction::Enabled, VIGILO_EVENT_USER_ENABLED_ENTRY, "enabled"},
};

EventKind KindOf(const Finding& finding) {
    const EventKind* first = nullptr;
    for (const auto& row : kFindingEvents) {
        if (row.kind != finding.kind) continue;
        if (row.event == finding.event) return row.eventKind;
        if (!first) first = &row.eventKind;
    }
    return first ? *first : kFindingEvents[0].eventKind;
}

const char* PresentationWord(Presentation presentation) {
    switch (presentation) {
        case Presentation::Shown:
            return "shown";
        case Presentation::Held:
            return "held";
        case Presentation::Dropped:
            break;
    }
    return "not shown";
}

// The insertion strings of a finding, with last as %7.
std::vector<std::string> StringsOf(const Finding& finding, const char* last) {
    std::vector<std::string> strings{FindingKindWord(finding.kind), finding.name, finding.storedName, finding.place,
                                     finding.program, finding.signerLine, last};
    for (std::string& text : strings) text = FirstCharacters(text, kMostEventStringCharacters);
    return strings;
}

}  // namespace

LoggedEvent EventOfFinding(const Finding& finding, Presentation presentation) {
    const EventKind kind = KindOf(finding);
    return {kind.id, kind.type, StringsOf(finding, PresentationWord(presentation))};
}

std::vector<LoggedEvent> EventsOfRound(const std::vector<ReportedFinding>& round) {
    std::vector<LoggedEvent> events;
    for (size_t i = 0; i < round.size() && i < kMostEventsPerRound; ++i)
        events.push_back(EventOfFinding(round[i].finding, round[i].presentation));
    if (round.size() > kMostEventsPerRound)
        events.push_back({VIGILO_EVENT_FINDINGS_LEFT_OUT, EventType::Warning,
                          {std::to_string(round.size() - kMostEventsPerRound), std::to_string(round.size())}});
    return events;
}

std::optional<LoggedEvent> EventOfUserAction(const Finding& finding, UserAction action) {
    for (const auto& row : kUserActionEvents)
        if (row.action == action) return LoggedEvent{row.id, EventType::Information, StringsOf(finding, row.word)};
    return std::nullopt;
}

}  // namespace vigilo
