#include "monitors/services_added_quietly.h"

#include <mutex>
#include <set>

#include "platform/text.h"

namespace vigilo {
namespace {

// Services that came and went again before a tick stay until it is full.
constexpr size_t kMostRemembered = 4096;

std::mutex g_mutex;
std::set<std::wstring> g_names;  // upper-cased, as Windows compares key names

}  // namespace

void RememberServiceAddedNotStartingWithWindows(const std::string& name) {
    std::wstring upper = UpperCaseOrdinal(name);
    std::lock_guard lock(g_mutex);
    if (g_names.size() >= kMostRemembered) g_names.erase(g_names.begin());
    g_names.insert(std::move(upper));
}

bool TakeServiceAddedNotStartingWithWindows(const std::string& name) {
    const std::wstring upper = UpperCaseOrdinal(name);
    std::lock_guard lock(g_mutex);
    return g_names.erase(upper) > 0;
}

}  // namespace vigilo
