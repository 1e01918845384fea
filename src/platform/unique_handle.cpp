#include "platform/unique_handle.h"

namespace vigilo {
namespace {
std::atomic<long> g_live[static_cast<int>(HandleKind::Count)];
}

long LiveHandleCount(HandleKind kind) { return g_live[static_cast<int>(kind)].load(); }

void AdjustLiveHandleCount(HandleKind kind, long delta) { g_live[static_cast<int>(kind)] += delta; }

}  // namespace vigilo
