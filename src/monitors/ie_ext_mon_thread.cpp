#include "monitors/ie_ext_mon_thread.h"

#include "core/settings_store.h"
#include "monitors/extension_filters.h"
#include "platform/text.h"

namespace vigilo {
namespace {

// Installers write an add-on's values just after its key: give them time.
constexpr int kSettleSeconds = 6;
constexpr DWORD kWaitSliceMs = 10000;

// Whichever of the three keys is watched, an add-on's own values are looked
// up under this one.
constexpr const char* kExtensionsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
constexpr const char* kMachineClassesKey = "SOFTWARE\\Classes\\CLSID\\";
constexpr const char* kMergedClassesKey = "CLSID\\";
constexpr const char* kApprovedKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

// The name a class is registered under: the machine's registration first,
// then the merged class view.
std::string ClassDisplayName(const std::string& classId, RegistryView view) {
    std::string name = ReadString(HKEY_LOCAL_MACHINE, kMachineClassesKey + classId, "", view);
    if (name.empty()) name = ReadString(HKEY_CLASSES_ROOT, kMergedClassesKey + classId, "", view);
    return name;
}

}  // namespace

std::string ResolveExtensionName(const std::string& added, RegistryView view) {
    const std::string extension = kExtensionsKey + added;
    std::string name = ReadString(HKEY_LOCAL_MACHINE, extension, "ButtonText", view);
    if (!name.empty()) return name;
    const std::string classId = ReadString(HKEY_LOCAL_MACHINE, extension, "CLSID", view);
    if (!classId.empty()) name = ClassDisplayName(classId, view);
    if (name.empty()) name = ClassDisplayName(added, view);
    // With no class id this reads the key's default value.
    if (name.empty()) name = ReadString(HKEY_LOCAL_MACHINE, kApprovedKey, classId, view);
    return name.empty() ? added : name;
}

TIEExtMonThread::TIEExtMonThread() : TRegistryMonitorThread(&ListSubkeyNames, kWaitSliceMs) {}

void TIEExtMonThread::Round() {
    if (WaitTerminated(kSettleSeconds)) return;
    StringList fresh;
    ListKey(fresh);
    AddedName = TrimControlAndBlanks(FindAdded(Snapshot, fresh));
    ExtensionName = AddedName.empty() ? std::string() : ResolveExtensionName(AddedName, View);
    if (ExtensionName.empty() || IsExcludedExtension(ExtensionName)) return;
    HandOff([this] {
        if (OnFound) OnFound(*this);
    });
}

}  // namespace vigilo
