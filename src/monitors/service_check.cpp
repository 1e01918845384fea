#include "monitors/service_check.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/autostart_command.h"
#include "core/command_program.h"
#include "monitors/finding_rules.h"
#include "monitors/running_scope.h"
#include "monitors/services_added_quietly.h"
#include "monitors/startup_entry_rules.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services";
constexpr const char* kKeptPlace = "Services (ticks)";
// Kept for a service that does not start with Windows; no program hashes to
// it, as ProgramHash hashes upper-cased texts.
const std::uint64_t kNotStartingWithWindows = DataHash("does not start with windows");

std::optional<DWORD> StartValue(HKEY service) {
    DWORD start = 0, type = REG_NONE, size = 0;
    if (QueryFixedValue(service, "Start", &start, sizeof start, type, size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_DWORD || size != sizeof start) return std::nullopt;
    return start;
}

std::string ImagePath(HKEY service) {
    const std::optional<RegistryValue> value = QueryValue(service, "ImagePath");
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return {};
    return TextOfValue(*value);
}

std::uint64_t StateHash(const ServiceState& service) {
    return service.startsWithWindows ? ProgramHash(service.program) : kNotStartingWithWindows;
}

Listing ListingOf(const std::vector<ServiceState>& services) {
    Listing listing;
    for (const ServiceState& service : services) listing.entries.push_back({service.name, StateHash(service)});
    return listing;
}

// The name the Services console shows, else the key's.
std::string DisplayNameOf(const std::string& service) {
    const UniqueKey key = OpenKey(HKEY_LOCAL_MACHINE, std::string(kServicesKey) + "\\" + service, KEY_QUERY_VALUE);
    const std::string name = key ? TrimControlAndBlanks(LoadDisplayText(key.get(), "DisplayName")) : std::string();
    return name.empty() ? service : name;
}

bool StartsWithPrefix(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::optional<std::vector<ServiceState>> ListServices() {
    const UniqueKey services = OpenKey(HKEY_LOCAL_MACHINE, kServicesKey, KEY_READ);
    if (!services) return std::nullopt;
    std::vector<ServiceState> states;
    for (const std::string& name : SubkeyNames(services.get())) {
        const UniqueKey service = OpenKey(services.get(), name, KEY_QUERY_VALUE);
        if (!service) continue;
        ServiceState state{name, StartsWithWindows(StartValue(service.get()))};
        if (state.startsWithWindows) state.program = ProgramOfCommand(ImagePath(service.get())).program;
        states.push_back(std::move(state));
    }
    return states;
}

bool InWindowsFolder(const std::string& program, const std::string& windowsFolder) {
    std::string path = Utf8(UpperCaseOrdinal(TrimControlAndBlanks(program)));
    if (path.empty()) return true;
    for (const char* prefix : {"\\??\\", "\\\\?\\"})
        if (StartsWithPrefix(path, prefix)) path.erase(0, std::string(prefix).size());
    if (StartsWithPrefix(path, "\\SYSTEMROOT\\")) return true;
    const bool absolute = path[0] == '\\' || (path.size() > 1 && path[1] == ':');
    if (!absolute) return true;  // relative to the Windows folder, as drivers' are
    const std::string folder = Utf8(UpperCaseOrdinal(TrimControlAndBlanks(windowsFolder)));
    return !folder.empty() && StartsWithPrefix(path, folder.ends_with('\\') ? folder : folder + "\\");
}

std::string ServiceCheckPlaceName() { return kKeptPlace; }

ServiceCheck::ServiceCheck(Report report, Lister lister, KeptListingStore* kept, std::string windowsFolder)
    : report_(std::move(report)), lister_(std::move(lister)), kept_(kept),
      windowsFolder_(windowsFolder.empty() ? WindowsFolderPath() : std::move(windowsFolder)) {}

bool ServiceCheck::Start() {
    started_ = true;
    if (loaded_ || !kept_) return false;
    loaded_ = true;
    return true;
}

void ServiceCheck::Stop() { started_ = false; }

void ServiceCheck::Keep(const Listing& listing) {
    if (!kept_ || lastKept_ == listing) return;
    kept_->Save(kKeptPlace, {KeptListing::Kind::Listed, listing});
    lastKept_ = listing;
}

std::optional<Finding> ServiceCheck::FindingFor(const ServiceState& service, std::uint64_t before) const {
    if (!service.startsWithWindows || InWindowsFolder(service.program, windowsFolder_)) return std::nullopt;
    const bool switched = before == kNotStartingWithWindows;
    if (!switched && before == StateHash(service)) return std::nullopt;
    std::string name = ReportedStartupEntry(DisplayNameOf(service.name), ExclusionListSnapshot::Take());
    if (name.empty()) return std::nullopt;
    Finding finding{FindingKind::Startup, std::move(name)};
    if (!switched) finding.event = FindingEvent::Changed;
    return finding;
}

void ServiceCheck::Run() {
    if (!started_ || running_) return;
    const RunningScope running(running_);
    const std::optional<std::vector<ServiceState>> services = lister_();
    if (!services) return;
    // Taken at every tick: from now on the ticks' listings tell how each stood.
    std::unordered_set<std::wstring> cameQuietly;
    for (const ServiceState& service : *services)
        if (TakeServiceAddedNotStartingWithWindows(service.name)) cameQuietly.insert(UpperCaseOrdinal(service.name));
    Listing listing = ListingOf(*services);
    if (!previous_ && kept_) {
        KeptListing kept = kept_->Load(kKeptPlace);
        if (kept.kind == KeptListing::Kind::Listed) previous_ = std::move(kept.listing);
    }
    Keep(listing);
    const std::optional<Listing> previous = std::exchange(previous_, std::move(listing));
    if (!previous) return;  // the first list that could be read is taken silently
    std::unordered_map<std::wstring, std::uint64_t> before;
    for (const ListedEntry& entry : previous->entries) before.emplace(UpperCaseOrdinal(entry.name), entry.dataHash);
    std::vector<Finding> findings;
    for (const ServiceState& service : *services) {
        const std::wstring name = UpperCaseOrdinal(service.name);
        const auto it = before.find(name);
        // New since the last tick: the services watch told of it if it started
        // with Windows when it came; one it saw come without was switched since.
        const std::uint64_t was = it != before.end()          ? it->second
                                  : cameQuietly.contains(name) ? kNotStartingWithWindows
                                                               : 0;
        if (was == 0) continue;
        if (std::optional<Finding> finding = FindingFor(service, was)) findings.push_back(std::move(*finding));
    }
    if (!findings.empty()) report_(findings);
}

}  // namespace vigilo
