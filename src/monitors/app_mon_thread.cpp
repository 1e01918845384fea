#include "monitors/app_mon_thread.h"

#include "core/settings_store.h"
#include "core/exclusion_list.h"

namespace vigilo {
namespace {

// Installers write a program's values just after its key: give them time.
constexpr int kSettleSeconds = 5;

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

}  // namespace

bool IsUpdateOrHotfix(const std::string& programName, const std::string& releaseType) {
    return Contains(releaseType, "HOTFIX") || Contains(releaseType, "UPDATE") || Contains(programName, "(KB") ||
           Contains(programName, "UPDATE FOR");
}

void TAppMonThread::Round() {
    if (WaitTerminated(kSettleSeconds)) return;
    ProgramName.clear();
    StringList fresh;
    ListKey(fresh);
    const std::string added = FindAdded(Snapshot, fresh);
    const std::string removed = FindRemoved(Snapshot, fresh);

    if (!added.empty()) {
        IsRemoval = false;
        const std::string subkey = KeyPath + added;
        ProgramName = ReadString(RootKey, subkey, "DisplayName", View);
        const std::string releaseType = ReadString(RootKey, subkey, "ReleaseType", View);
        Publisher = ReadString(RootKey, subkey, "Publisher", View);
        IconPath = ReadString(RootKey, subkey, "DisplayIcon", View);
        if (IsUpdateOrHotfix(ProgramName, releaseType)) ProgramName.clear();
    }
    // A round that also lost a subkey is an uninstall (or a rename): nothing is shown.
    if (!removed.empty()) IsRemoval = true;
    ProgramName = ApplyExclusionList(ProgramName);

    // Reported whatever the notifier settings: the hand-off records it, and shows it only where they allow.
    if (ProgramName.empty() || IsRemoval) return;
    HandOff([this] {
        if (OnFound) OnFound(*this);
    });
}

}  // namespace vigilo
