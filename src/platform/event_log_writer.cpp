#include "platform/event_log_writer.h"

#include <windows.h>

#include <memory>

#include "platform/text.h"

namespace vigilo {
namespace {

struct EventSourceCloser {
    void operator()(HANDLE source) const { DeregisterEventSource(source); }
};
using UniqueEventSource = std::unique_ptr<void, EventSourceCloser>;

WORD ReportedType(EventType type) {
    return type == EventType::Warning ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE;
}

class ApplicationLog {
public:
    explicit ApplicationLog(const std::string& source) : source_(Utf16(source)) {}

    void Write(const LoggedEvent& event) {
        if (!handle_) handle_.reset(RegisterEventSourceW(nullptr, source_.c_str()));
        if (!handle_) return;
        std::vector<std::wstring> wide;
        for (const std::string& text : event.strings) wide.push_back(Utf16(text));
        std::vector<LPCWSTR> strings;
        for (const std::wstring& text : wide) strings.push_back(text.c_str());
        ReportEventW(handle_.get(), ReportedType(event.type), 0, event.id, nullptr, static_cast<WORD>(strings.size()),
                     0, strings.empty() ? nullptr : strings.data(), nullptr);
    }

private:
    std::wstring source_;
    UniqueEventSource handle_;
};

}  // namespace

EventWriter ApplicationLogWriter(const std::string& source) {
    auto log = std::make_shared<ApplicationLog>(source);
    return [log](const LoggedEvent& event) { log->Write(event); };
}

}  // namespace vigilo
