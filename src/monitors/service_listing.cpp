#include "monitors/service_listing.h"

#include "core/autostart_command.h"
#include "platform/registry.h"

namespace vigilo {
namespace {

constexpr DWORD kLastStartWithWindows = 2;  // SERVICE_AUTO_START

}  // namespace

const std::uint64_t kNotStartingWithWindows = DataHash("does not start with windows");

Listing ServiceStates(HKEY services) {
    Listing listing;
    for (const std::string& name : SubkeyNames(services)) {
        const UniqueKey service = OpenKey(services, name, KEY_QUERY_VALUE);
        if (!service) continue;
        ListedEntry entry{name, kNotStartingWithWindows};
        if (StartsWithWindows(DwordValue(service.get(), "Start"))) {
            entry.command = StringValue(service.get(), "ImagePath");
            entry.dataHash = CommandProgramHash(entry.command);
        }
        listing.entries.push_back(std::move(entry));
    }
    return listing;
}

bool StartsWithWindows(std::optional<DWORD> start) { return start && *start <= kLastStartWithWindows; }

}  // namespace vigilo
