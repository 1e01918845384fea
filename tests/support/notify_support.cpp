#include "platform/file_system.h"
#include "support/notify_support.h"

#include <map>

#include "core/companion.h"
#include "core/path_set.h"
#include "core/settings_store.h"
#include "support/ui_support.h"

namespace vigilo::test {

ProgramFolder::ProgramFolder(bool withPurgeon) {
    Paths().programFolder = folder_.Path();
    Paths().companionFileName = companion::ExecutableName();
    Paths().systemFolder = WithTrailingBackslash(QueryShellFolders().system);
    if (withPurgeon)
        CopyFileA((BinFolder() + "\\Purgeon.exe").c_str(), folder_.File("Purgeon.exe").c_str(), FALSE);
}

ProgramFolder::~ProgramFolder() {
    EndPurgeons();
    Paths() = PathSet();
}

std::vector<std::string> ProgramFolder::PurgeonCalls() const { return PurgeonCallsIn(folder_.Path()); }

bool ProgramFolder::WaitForPurgeonCalls(size_t count) const {
    // The stand-in records its start before it makes its window; only a
    // window lets EndPurgeons find it afterwards.
    return WaitUntil([&] { return PurgeonCalls().size() >= count && FindWindowA("TForm1a", "Purgeon"); }, 10000);
}

std::string Notifier(const char* name) {
    if (!ValueExists(kSettingsRoot, kSettingsKey, name)) return "missing";
    return ReadBool(kSettingsRoot, kSettingsKey, name) ? "true" : "false";
}

namespace {
std::map<UINT_PTR, RepeatOnTimer*>& Timers() {
    static std::map<UINT_PTR, RepeatOnTimer*> timers;
    return timers;
}
}  // namespace

RepeatOnTimer::RepeatOnTimer(std::function<bool()> action) : action_(std::move(action)) {
    timer_ = SetTimer(nullptr, 0, 50, &RepeatOnTimer::Tick);
    Timers()[timer_] = this;
}

RepeatOnTimer::~RepeatOnTimer() {
    KillTimer(nullptr, timer_);
    Timers().erase(timer_);
}

void CALLBACK RepeatOnTimer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Timers().find(id);
    if (it == Timers().end()) return;
    RepeatOnTimer* self = it->second;
    if (self->done_) return;
    // The action may run a modal loop of its own, in which this timer ticks again.
    self->done_ = true;
    if (!self->action_()) self->done_ = false;
}

InformationAnswer::InformationAnswer()
    : timer_([this] {
          HWND info = FindWindowA("TForm3", "Information");
          if (!info || !IsWindowVisible(info)) return false;
          message_ = WindowText(FindChildByText(info, "File Purgeon.exe not found!"));
          PostClick(FindChildByText(info, "OK"));
          return true;
      }) {}

}  // namespace vigilo::test
