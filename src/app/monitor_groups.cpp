#include "app/monitor_groups.h"

#include <algorithm>
#include <utility>

#include "core/policy.h"
#include "core/settings_store.h"

namespace vigilo {

MonitorGroups::MonitorGroups(std::vector<MonitorSlot> slots, MonitorFactory create)
    : create_(std::move(create)), slots_(std::move(slots)), threads_(slots_.size()) {}

MonitorGroups::~MonitorGroups() {
    for (auto& thread : threads_)
        if (thread) retired_.push_back(std::move(thread));
    FreeEndedThreads();
    // Threads that may still run are never freed: they end with the process.
    for (auto& thread : retired_) static_cast<void>(thread.release());
}

std::string MonitorGroups::Restart() {
    FreeEndedThreads();
    std::string firstError;
    for (FindingKind group : kMonitorGroups) {
        Stop(group);
        try {
            if (!NotifierOn(FactsOf(group).setting)) continue;
        } catch (const SettingsError& error) {
            if (firstError.empty()) firstError = error.what();
            continue;
        }
        Start(group);
        running_[static_cast<int>(group)] = true;  // also when none of its places exists
    }
    return firstError;
}

void MonitorGroups::Stop(FindingKind group) {
    if (!running_[static_cast<int>(group)]) return;
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].Group() != group || !threads_[i]) continue;
        threads_[i]->Terminate();
        retired_.push_back(std::move(threads_[i]));
    }
    running_[static_cast<int>(group)] = false;
}

void MonitorGroups::Start(FindingKind group) {
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].Group() == group) StartSlot(i);
}

void MonitorGroups::StartSlot(size_t index) {
    if (std::unique_ptr<MonitorThread> thread = create_(slots_[index])) {
        thread->Resume();
        threads_[index] = std::move(thread);
    }
}

void MonitorGroups::AddSlot(MonitorSlot slot) {
    slots_.push_back(std::move(slot));
    threads_.emplace_back();
    if (running_[static_cast<int>(slots_.back().Group())]) StartSlot(slots_.size() - 1);
    slots_.back().foundWhileRunning = false;
}

void MonitorGroups::RemoveSlots(const std::function<bool(const MonitorSlot&)>& drop) {
    FreeEndedThreads();
    for (size_t i = slots_.size(); i-- > 0;) {
        if (!drop(slots_[i])) continue;
        if (threads_[i]) {
            threads_[i]->Terminate();
            retired_.push_back(std::move(threads_[i]));
        }
        slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(i));
        threads_.erase(threads_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void MonitorGroups::FreeEndedThreads() {
    std::erase_if(retired_, [](const std::unique_ptr<MonitorThread>& t) {
        return WaitForSingleObject(t->ThreadHandle(), 0) == WAIT_OBJECT_0;
    });
}

std::vector<MonitorThread*> MonitorGroups::Threads() const {
    std::vector<MonitorThread*> live;
    for (const auto& t : threads_)
        if (t) live.push_back(t.get());
    return live;
}

}  // namespace vigilo
