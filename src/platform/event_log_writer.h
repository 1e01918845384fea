#pragma once
// Events for a Windows event log, written under a source name with
// RegisterEventSourceW and ReportEventW. Windows writes them whether the
// source is registered or not; a registered source only lets Event Viewer
// render them as sentences from its message file. Everything above reaches
// a log through an EventWriter, so that tests can take the events instead.
#include <functional>
#include <string>
#include <vector>

namespace vigilo {

enum class EventType { Information, Warning };

struct LoggedEvent {
    unsigned id = 0;  // as the source's message file numbers it
    EventType type = EventType::Information;
    std::vector<std::string> strings;  // the insertion strings, %1 onwards
};

// Takes one event to its log. A failure is not reported: the log is a
// bystander, and nothing the program does waits on it.
using EventWriter = std::function<void(const LoggedEvent& event)>;

// A writer to the Application log under source. The source is opened at the
// first event (tried again at the next one where that failed) and held as
// long as the writer or a copy of it lives.
EventWriter ApplicationLogWriter(const std::string& source);

}  // namespace vigilo
