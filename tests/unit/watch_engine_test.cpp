// The watch engine's cycle, on a place of the test's own whose writes and
// signals the test makes at the very moments that lose findings.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "core/kept_listing.h"
#include "support/monitors_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;
const std::string kKept = "Software\\VigiloTests\\EngineKept";
using Names = std::vector<std::string>;

class WatchEngine : public ::testing::Test {
protected:
    void SetUp() override {
        InitMainThreadCalls();
        DeleteKeyTree(kCu, kKept);
        place_->Add({"Old"});
    }
    void TearDown() override {
        std::vector<MonitorThread*> threads;
        for (auto& watch : watches_) threads.push_back(watch.get());
        EXPECT_TRUE(StopThreads(threads));
        DeleteKeyTree(kCu, kKept);
    }
    Watch& Start(WatchRules rules = {0, &EveryAddedName}) {
        watches_.push_back(StartWatch(MakeFakePlace("engine", place_), {}, rules, recorder_, &store_));
        return *watches_.back();
    }
    bool Watching(const Watch& watch) const { return WaitUntil([&] { return watch.Watching(); }, 5000); }
    // Waits for n names, then a moment more in which no other may come.
    bool Reported(size_t n) const {
        return WaitUntil([&] { return recorder_.Names().size() >= n; }, 5000) && !WaitUntil([&] {
            return recorder_.Names().size() > n;
        }, 300);
    }

    std::shared_ptr<FakePlaceState> place_ = std::make_shared<FakePlaceState>();
    KeptListingStore store_{kCu, kKept};
    HandOffRecorder recorder_;
    std::vector<std::unique_ptr<Watch>> watches_;
};

}  // namespace

TEST_F(WatchEngine, EveryAdditionOfARoundIsReportedInListingOrder) {
    ASSERT_TRUE(Watching(Start()));
    place_->Add({"Zeta", "Alpha"});
    ASSERT_TRUE(Reported(2));
    ASSERT_EQ(recorder_.Reports().size(), 1u);
    EXPECT_EQ(recorder_.Names(), (Names{"Zeta", "Alpha"}));
}

// The listing that ended one round used to be taken again as the next
// baseline: what came in between was never seen.
TEST_F(WatchEngine, WhatIsWrittenAroundARoundsListingIsReportedOnce) {
    ASSERT_TRUE(Watching(Start()));
    place_->OnList([this] {
        place_->OnList(nullptr);
        place_->Add({"Between arming and listing"});
    });
    recorder_.during = [this] {
        recorder_.during = nullptr;
        place_->Add({"Right after the listing"});
    };
    place_->Add({"First"});
    ASSERT_TRUE(Reported(3));
    EXPECT_EQ(recorder_.Names(), (Names{"First", "Between arming and listing", "Right after the listing"}));
}

// A deletion during the listing made the enumeration skip the next entry,
// which the following round took, old as it was, for new.
TEST_F(WatchEngine, AnEntrySkippedByAListingTakenDuringADeletionIsNoFindingLater) {
    place_->Add({"Doomed", "Neighbour"});
    ASSERT_TRUE(Watching(Start()));
    place_->OnList([this] {
        place_->OnList(nullptr);
        place_->Remove("Doomed");
        place_->SkipInNextListing("Neighbour");
    });
    place_->Add({"New"});
    ASSERT_TRUE(Reported(1));
    place_->Add({"Later"});
    ASSERT_TRUE(Reported(2));
    EXPECT_EQ(recorder_.Names(), (Names{"New", "Later"}));
}

// A place written during every listing: the round still ends, and reports.
TEST_F(WatchEngine, APlaceWrittenDuringEveryListingIsListedThreeTimesARoundAndStillReports) {
    ASSERT_TRUE(Watching(Start()));
    std::atomic<int> listings{0}, listedByHandOff{0};
    place_->OnList([&] {
        ++listings;
        place_->Add({});  // a change signal, nothing new
    });
    recorder_.during = [&] {
        if (listedByHandOff == 0) listedByHandOff = listings.load();
    };
    place_->Add({"Busy"});
    ASSERT_TRUE(WaitUntil([&] { return !recorder_.Names().empty(); }, 5000));
    place_->OnList(nullptr);
    EXPECT_EQ(listedByHandOff.load(), 3);
    EXPECT_EQ(recorder_.Names(), Names{"Busy"});
}

TEST_F(WatchEngine, ARestartBetweenARoundsListingAndItsHandOffLeavesTheFindingToTheNextWatch) {
    Watch& first = Start();
    ASSERT_TRUE(Watching(first));
    place_->OnList([&] {
        place_->OnList(nullptr);
        first.Terminate();  // message 1135 arrives as the round lists
    });
    place_->Add({"In flight"});
    ASSERT_TRUE(WaitForThreadEnd(first.ThreadHandle(), 5000));
    EXPECT_TRUE(recorder_.Names().empty());

    Start();
    ASSERT_TRUE(Reported(1));
    EXPECT_EQ(recorder_.Names(), (Names{"In flight"}));
    EXPECT_TRUE(recorder_.Reports()[0].findings.size() == 1);
}

TEST_F(WatchEngine, ARestartDuringTheHandOffReportsNothingTwice) {
    Watch& first = Start();
    ASSERT_TRUE(Watching(first));
    recorder_.during = [&] {
        recorder_.during = nullptr;
        first.Terminate();
        Start();  // begins once the first has ended, with what it kept
    };
    place_->Add({"Handed off"});
    ASSERT_TRUE(Reported(1));
    ASSERT_TRUE(Watching(*watches_.back()));
    EXPECT_EQ(recorder_.Names(), (Names{"Handed off"}));
}

TEST_F(WatchEngine, WhatCameWhileItsWindowHeldTheWatchIsRecordedNotShown) {
    recorder_.SetHolding(true);
    ASSERT_TRUE(Watching(Start()));
    place_->Add({"Shown"});
    ASSERT_TRUE(WaitUntil([&] { return recorder_.WindowUp(); }, 5000));
    place_->Add({"Meanwhile"});
    ASSERT_TRUE(Reported(2)) << "recorded while the window is up, not when it ends";
    recorder_.SetHolding(false);
    recorder_.EndWindow();
    place_->Add({"Later"});
    ASSERT_TRUE(Reported(3));
    // Held again, by a window while only a removal came: the next addition shows.
    recorder_.SetHolding(true);
    place_->Add({"Held again"});
    ASSERT_TRUE(WaitUntil([&] { return recorder_.WindowUp(); }, 5000));
    place_->Remove("Old");
    recorder_.SetHolding(false);
    recorder_.EndWindow();
    ASSERT_TRUE(WaitUntil([&] { return place_->Listings() >= 6; }, 5000));  // the removal's round
    place_->Add({"Last"});
    ASSERT_TRUE(Reported(5));
    const std::vector<RoundReport> reports = recorder_.Reports();
    ASSERT_EQ(reports.size(), 5u);
    EXPECT_FALSE(reports[0].cameWhileHeld);
    EXPECT_TRUE(reports[1].cameWhileHeld);
    EXPECT_FALSE(reports[2].cameWhileHeld);
    EXPECT_FALSE(reports[4].cameWhileHeld) << "a round with nothing new left the watch marked as held";
}

// A window left up for hours held its watch: what came meanwhile was
// recorded only when the window went.
TEST_F(WatchEngine, AWindowLeftUpHoldsNoRoundBackAndEachAdditionIsRecordedOnce) {
    recorder_.SetHolding(true);
    ASSERT_TRUE(Watching(Start()));
    place_->Add({"Shown"});
    ASSERT_TRUE(WaitUntil([&] { return recorder_.WindowUp(); }, 5000));
    recorder_.SetHolding(false);
    for (const char* name : {"Second", "Third", "Fourth"}) {
        const size_t before = recorder_.Names().size();
        place_->Add({name});
        ASSERT_TRUE(Reported(before + 1)) << name;
    }
    recorder_.EndWindow();
    place_->Add({"After"});
    ASSERT_TRUE(Reported(5));
    EXPECT_EQ(recorder_.Names(), (Names{"Shown", "Second", "Third", "Fourth", "After"}));
    const std::vector<RoundReport> reports = recorder_.Reports();
    for (size_t i = 1; i <= 3; ++i) EXPECT_TRUE(reports[i].cameWhileHeld) << reports[i].findings[0].name;
    EXPECT_FALSE(reports[4].cameWhileHeld);
}

// The watch's thread sees its window's end only after a change made once the window was gone.
TEST_F(WatchEngine, AChangeAfterItsWindowEndedIsShownHoweverLateTheWatchSeesTheEnd) {
    recorder_.SetHolding(true);
    recorder_.afterWindowEnd = [&] { place_->Add({"After"}); };
    ASSERT_TRUE(Watching(Start()));
    place_->Add({"Shown"});
    ASSERT_TRUE(Reported(2));
    const std::vector<RoundReport> reports = recorder_.Reports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FALSE(reports[1].cameWhileHeld);
}

TEST_F(WatchEngine, WhatWasAddedWhileNoWatchLookedIsReportedByTheNextOne) {
    Watch& first = Start();
    ASSERT_TRUE(Watching(first));
    ASSERT_TRUE(StopThreads({&first}));
    place_->Add({"While away"});
    place_->SetExists(false);  // and gone, to come back while the next watch waits
    Watch& second = Start();
    ASSERT_TRUE(WaitUntil([&] { return second.Waiting(); }, 5000));
    place_->Add({"While missing"});
    place_->SetExists(true);
    ASSERT_TRUE(Reported(2));
    EXPECT_EQ(recorder_.Names(), (Names{"While away", "While missing"}));
}

// A Group Policy refresh deletes its values and writes them back whole.
TEST_F(WatchEngine, AnEntryWrittenBackWithTheSameDataWithinAMinuteIsNoFindingLaterOrWithOtherDataItIs) {
    std::atomic<ULONGLONG> now{5000000};
    WatchRules rules{0, &EveryAddedOrChangedName};
    rules.clock = [&] { return now.load(); };
    place_->Write("Policy", 7);
    Watch& watch = Start(rules);
    ASSERT_TRUE(Watching(watch));
    // Each step waits for its round to be over.
    const auto step = [&](const std::function<void()>& change) {
        const int listings = place_->Listings();
        change();
        return WaitUntil([&] { return place_->Listings() > listings && watch.Watching(); }, 5000);
    };
    ASSERT_TRUE(step([&] { place_->Remove("Policy"); }));
    now += kWrittenBackWithinMs - 1000;
    ASSERT_TRUE(step([&] { place_->Write("Policy", 7); }));
    EXPECT_TRUE(Reported(0)) << "written back within the minute";

    ASSERT_TRUE(step([&] { place_->Remove("Policy"); }));
    now += kWrittenBackWithinMs;
    ASSERT_TRUE(step([&] { place_->Write("Policy", 7); }));
    ASSERT_TRUE(Reported(1)) << "written back after the minute";

    ASSERT_TRUE(step([&] { place_->Remove("Policy"); }));
    ASSERT_TRUE(step([&] { place_->Write("Policy", 8); }));
    ASSERT_TRUE(Reported(2)) << "written back with other data";
    const std::vector<RoundReport> reports = recorder_.Reports();
    EXPECT_FALSE(reports[0].findings[0].event == FindingEvent::Changed);
    EXPECT_TRUE(reports[1].findings[0].event == FindingEvent::Changed);
    EXPECT_EQ(recorder_.Names(), (Names{"Policy", "Policy"}));
}
