#pragma once
// Work that may take long, run on a thread of its own while the caller
// waits for it only so long. Work that ends late still ends: its thread
// holds what the work needs, and frees it, whenever it finishes, and its
// result goes nowhere. The work must touch nothing the caller may free.
#include <functional>
#include <memory>
#include <optional>

namespace vigilo {

// Runs work on a new thread and waits at most waitMs for it; true when it
// ended in time. False when it did not (or no thread could be made: then it
// never runs).
bool RunWithDeadline(std::function<void()> work, unsigned waitMs);

// work's result when it came within waitMs; empty when it came late.
template <typename Result>
std::optional<Result> CallWithDeadline(std::function<Result()> work, unsigned waitMs) {
    auto slot = std::make_shared<std::optional<Result>>();
    const bool inTime = RunWithDeadline([slot, work = std::move(work)] { *slot = work(); }, waitMs);
    if (!inTime) return std::nullopt;
    return std::move(*slot);
}

// Number of deadline threads whose work has not finished yet, process-wide.
long UnfinishedDeadlineCalls();

}  // namespace vigilo
