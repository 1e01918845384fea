#include "app/monitor_groups.h"

#include <algorithm>
#include <utility>

#include "app/path_set.h"
#include "app/settings_store.h"
#include "monitors/monitor_factories.h"
#include "monitors/thread.h"

namespace vigilo {
namespace {

const char* SettingOf(MonitorGroup group) {
    switch (group) {
        case MonitorGroup::Startup: return "StartupNotifier";
        case MonitorGroup::NewProgram: return "NewAppNotifier";
        default: return "NewToolbarNotifier";
    }
}

}  // namespace

std::vector<MonitorSlot> MonitorSlots() {
    using G = MonitorGroup;
    const HKEY cu = HKEY_CURRENT_USER, lm = HKEY_LOCAL_MACHINE;
    const MonitorFactories& f = Factories();
    return {
        {G::Startup, cu, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", f.startup},
        {G::Startup, cu, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", f.startup},
        {G::Startup, lm, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", f.startup},
        {G::Startup, lm, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", f.startup},
        {G::NewProgram, cu, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", f.newProgram},
        {G::NewProgram, lm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", f.newProgram},
        {G::NewProgram, lm, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", f.newProgram},
        {G::Extension, lm, "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\", f.internetExplorer},
        {G::Extension, lm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\",
         f.internetExplorer},
        {G::Extension, lm, "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars\\", f.internetExplorer},
        {G::Extension, nullptr, Paths().firefoxExtensionsFolder, f.folder},
        {G::Extension, nullptr, Paths().chromeExtensionsFolder, f.folder},
    };
}

MonitorGroups::MonitorGroups(std::vector<MonitorSlot> slots)
    : slots_(std::move(slots)), threads_(slots_.size(), nullptr) {}

MonitorGroups::~MonitorGroups() {
    for (TThread* t : threads_)
        if (t) retired_.push_back(t);
    FreeEndedThreads();
}

void MonitorGroups::StopAll() {
    for (MonitorGroup group : {MonitorGroup::Startup, MonitorGroup::NewProgram, MonitorGroup::Extension})
        Stop(group);
}

void MonitorGroups::Restart() {
    if (slots_.empty()) {  // the folders come from the path set, ready by the first restart
        slots_ = MonitorSlots();
        threads_.assign(slots_.size(), nullptr);
    }
    FreeEndedThreads();
    for (MonitorGroup group : {MonitorGroup::Startup, MonitorGroup::NewProgram, MonitorGroup::Extension}) {
        Stop(group);
        if (ReadBool(kSettingsRoot, kSettingsKey, SettingOf(group))) {
            Start(group);
            running_[static_cast<int>(group)] = true;  // also when none of its keys exists
        }
    }
}

void MonitorGroups::Stop(MonitorGroup group) {
    if (!running_[static_cast<int>(group)]) return;
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].group != group || !threads_[i]) continue;
        threads_[i]->Terminate();
        retired_.push_back(threads_[i]);
        threads_[i] = nullptr;
    }
    running_[static_cast<int>(group)] = false;
}

void MonitorGroups::Start(MonitorGroup group) {
    for (size_t i = 0; i < slots_.size(); ++i) {
        const MonitorSlot& slot = slots_[i];
        if (slot.group != group || !slot.create) continue;
        bool exists = slot.root ? KeyExists(slot.root, slot.keyOrFolder) : DirectoryExists(slot.keyOrFolder);
        if (!exists) continue;
        if (TThread* thread = slot.create(slot.root, slot.keyOrFolder)) {
            threads_[i] = thread;
            thread->Resume();
        }
    }
}

void MonitorGroups::FreeEndedThreads() {
    auto ended = [](TThread* t) { return WaitForSingleObject(t->ThreadHandle(), 0) == WAIT_OBJECT_0; };
    for (TThread*& t : retired_) {
        if (ended(t)) {
            delete t;
            t = nullptr;
        }
    }
    retired_.erase(std::remove(retired_.begin(), retired_.end(), nullptr), retired_.end());
}

std::vector<TThread*> MonitorGroups::Threads() const {
    std::vector<TThread*> live;
    for (TThread* t : threads_)
        if (t) live.push_back(t);
    return live;
}

}  // namespace vigilo
