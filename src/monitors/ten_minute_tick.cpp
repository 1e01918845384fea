#include "monitors/ten_minute_tick.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace vigilo {
namespace {

struct Subscribers {
    std::mutex mutex;
    std::vector<HANDLE> events;
};

Subscribers& TheSubscribers() {
    static Subscribers subscribers;
    return subscribers;
}

}  // namespace

TickSubscription::TickSubscription(HANDLE event) : event_(event) {
    Subscribers& subscribers = TheSubscribers();
    std::lock_guard lock(subscribers.mutex);
    if (event_) subscribers.events.push_back(event_);
}

TickSubscription::~TickSubscription() {
    Subscribers& subscribers = TheSubscribers();
    std::lock_guard lock(subscribers.mutex);
    std::erase(subscribers.events, event_);
}

void DeliverTenMinuteTick() {
    Subscribers& subscribers = TheSubscribers();
    std::lock_guard lock(subscribers.mutex);
    for (const HANDLE event : subscribers.events) SetEvent(event);
}

}  // namespace vigilo
