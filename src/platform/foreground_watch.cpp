#include "platform/foreground_watch.h"

#include <algorithm>
#include <vector>

namespace vigilo {
namespace {

// The live watches of the thread that serves them (the main thread): the
// system's callbacks carry no pointer of ours.
std::vector<ForegroundWatch*>& LiveWatches() {
    static std::vector<ForegroundWatch*> watches;
    return watches;
}

}  // namespace

ForegroundWatch::ForegroundWatch(std::function<void()> changed, UINT intervalMs) : changed_(std::move(changed)) {
    LiveWatches().push_back(this);
    hook_.reset(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, &OnEvent, 0, 0,
                                WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
    timer_ = SetTimer(nullptr, 0, intervalMs, &OnTimer);
}

ForegroundWatch::~ForegroundWatch() {
    if (timer_) KillTimer(nullptr, timer_);
    std::erase(LiveWatches(), this);
}

void ForegroundWatch::Notify(bool (*match)(const ForegroundWatch&, UINT_PTR), UINT_PTR key) {
    const std::vector<ForegroundWatch*>& watches = LiveWatches();
    const auto found = std::find_if(watches.begin(), watches.end(), [&](ForegroundWatch* w) { return match(*w, key); });
    // A copy: the callback may end this watch.
    if (found != watches.end() && (*found)->changed_) std::function<void()>((*found)->changed_)();
}

void CALLBACK ForegroundWatch::OnEvent(HWINEVENTHOOK hook, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    Notify([](const ForegroundWatch& w, UINT_PTR key) { return reinterpret_cast<UINT_PTR>(w.hook_.get()) == key; },
           reinterpret_cast<UINT_PTR>(hook));
}

void CALLBACK ForegroundWatch::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    Notify([](const ForegroundWatch& w, UINT_PTR key) { return w.timer_ == key; }, id);
}

}  // namespace vigilo
