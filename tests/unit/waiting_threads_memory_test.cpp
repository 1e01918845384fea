// A thread that waits costs little resident memory, also under Wine, which
// touches about a megabyte of every new thread's stack.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/monitor_thread.h"
#include "support/process_resources.h"
#include "support/test_support.h"

using namespace vigilo;

namespace {

class WaitingThread : public MonitorThread {
public:
    std::atomic<bool> waiting{false};

protected:
    void Execute() override {
        waiting = true;
        WaitForSingleObject(TerminateEvent(), INFINITE);
    }
};

}  // namespace

TEST(WaitingThreads, EachKeepsWellUnderAQuarterMegabyteResident) {
    constexpr int kThreads = 16;
    const SIZE_T before = test::ResourcesOf(GetCurrentProcess()).workingSet;
    std::vector<std::unique_ptr<WaitingThread>> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.push_back(std::make_unique<WaitingThread>());
        ASSERT_TRUE(threads.back()->CreateSuspended());
        threads.back()->Resume();
    }
    for (auto& thread : threads) ASSERT_TRUE(test::WaitUntil([&] { return thread->waiting.load(); }, 5000));
    const SIZE_T after = test::ResourcesOf(GetCurrentProcess()).workingSet;
    EXPECT_LT(after - before, kThreads * SIZE_T{256 * 1024}) << "before " << before << ", after " << after;
    for (auto& thread : threads) {
        thread->Terminate();
        WaitForSingleObject(thread->ThreadHandle(), 5000);
    }
}
