#include "app/monitor_groups.h"

#include <algorithm>
#include <utility>

#include "core/setting_names.h"
#include "core/settings_store.h"
#include "platform/file_system.h"

namespace vigilo {
namespace {

constexpr MonitorGroup kGroups[] = {MonitorGroup::Startup, MonitorGroup::NewProgram, MonitorGroup::Extension};

const char* SettingOf(MonitorGroup group) {
    switch (group) {
        case MonitorGroup::Startup: return settings::kStartupNotifier;
        case MonitorGroup::NewProgram: return settings::kNewAppNotifier;
        default: return settings::kNewToolbarNotifier;
    }
}

bool SlotExists(const MonitorSlot& slot) {
    return slot.root ? KeyExists(slot.root, slot.keyOrFolder, slot.view) : DirectoryExists(slot.keyOrFolder);
}

}  // namespace

MonitorGroups::MonitorGroups(std::function<std::vector<MonitorSlot>()> slots) : slotsSource_(std::move(slots)) {}

MonitorGroups::MonitorGroups(std::vector<MonitorSlot> slots) : slots_(std::move(slots)), threads_(slots_.size()) {}

MonitorGroups::~MonitorGroups() {
    for (auto& thread : threads_)
        if (thread) retired_.push_back(std::move(thread));
    FreeEndedThreads();
    // Threads that may still run are never freed: they end with the process.
    for (auto& thread : retired_) static_cast<void>(thread.release());
}

void MonitorGroups::StopAll() {
    for (MonitorGroup group : kGroups) Stop(group);
}

void MonitorGroups::Restart() {
    if (slotsSource_) {
        slots_ = slotsSource_();
        threads_.resize(slots_.size());
        slotsSource_ = nullptr;
    }
    FreeEndedThreads();
    for (MonitorGroup group : kGroups) {
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
        retired_.push_back(std::move(threads_[i]));
    }
    running_[static_cast<int>(group)] = false;
}

void MonitorGroups::Start(MonitorGroup group) {
    for (size_t i = 0; i < slots_.size(); ++i) {
        const MonitorSlot& slot = slots_[i];
        if (slot.group != group || !slot.create || !SlotExists(slot)) continue;
        if (std::unique_ptr<TThread> thread = slot.create(slot)) {
            thread->Resume();
            threads_[i] = std::move(thread);
        }
    }
}

void MonitorGroups::FreeEndedThreads() {
    std::erase_if(retired_, [](const std::unique_ptr<TThread>& t) {
        return WaitForSingleObject(t->ThreadHandle(), 0) == WAIT_OBJECT_0;
    });
}

std::vector<TThread*> MonitorGroups::Threads() const {
    std::vector<TThread*> live;
    for (const auto& t : threads_)
        if (t) live.push_back(t.get());
    return live;
}

}  // namespace vigilo
