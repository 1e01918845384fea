#include "app/single_instance.h"

#include <windows.h>

namespace vigilo {
namespace {
// "Local\": one per logon session, as the main window is one per desktop.
constexpr const wchar_t* kMutexName = L"Local\\Vigilo.SingleInstance";
}  // namespace

SingleInstanceLock::SingleInstanceLock() {
    mutex_.reset(CreateMutexW(nullptr, FALSE, kMutexName));
    // A mutex that could not be made (no rights, odd session) must not keep
    // Vigilo from running: the main window test still applies.
    acquired_ = !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
    if (!acquired_) mutex_.reset();
}

}  // namespace vigilo
