#include "monitors/forced_extension_mon_thread.h"

#include "monitors/extension_filters.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace vigilo {
namespace {

constexpr DWORD kWaitSliceMs = 1000;

}  // namespace

std::string ForcedExtensionId(const std::string& valueText) {
    return TrimControlAndBlanks(valueText.substr(0, valueText.find(';')));
}

int ListForcedExtensions(HKEY root, const std::string& path, StringList& list, RegistryView view) {
    list.clear();
    const UniqueKey key = OpenKey(root, path, KEY_READ, view);
    if (!key) return 0;
    for (const std::string& name : ValueNames(key.get())) {
        const std::optional<RegistryValue> value = QueryValue(key.get(), name);
        if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) continue;
        std::string id = ForcedExtensionId(TextOfValue(*value));
        if (!id.empty()) list.push_back(std::move(id));
    }
    return static_cast<int>(list.size());
}

TForcedExtMonThread::TForcedExtMonThread() : TRegistryMonitorThread(&ListForcedExtensions, kWaitSliceMs) {}

void TForcedExtMonThread::Round() {
    StringList fresh;
    ListKey(fresh);
    ExtensionId = FindAdded(Snapshot, fresh);
    if (ExtensionId.empty() || IsExcludedExtension(ExtensionId)) return;
    HandOff([this] {
        if (OnFound) OnFound(*this);
    });
}

}  // namespace vigilo
