// The listings the watches keep between runs, at their edges.
#include <gtest/gtest.h>

#include "core/kept_listing.h"
#include "monitors/kept_place.h"
#include "support/monitors_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;
using namespace std::string_literals;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;
const std::string kKept = "Software\\VigiloTests\\Kept";

class KeptListings : public ::testing::Test {
protected:
    void SetUp() override { InitMainThreadCalls(); }
    void TearDown() override { DeleteKeyTree(kCu, kKept); }
    KeptListingStore store_{kCu, kKept};
};

}  // namespace

TEST_F(KeptListings, ADamagedValueCountsAsNothingKept) {
    const std::wstring sound = L"listed\0>Updater\0>\0\0"s;
    SetRaw(kCu, kKept, "place", REG_MULTI_SZ, sound.data(), DWORD(sound.size() * 2));
    EXPECT_EQ(store_.Load("place").names, (std::vector<std::string>{"Updater", ""}));
    const struct {
        std::wstring data;
        DWORD type, lessBytes;
    } damaged[] = {{sound, REG_SZ, 0},
                   {sound, REG_MULTI_SZ, 1},  // an odd size
                   {L"listed\0>Updater\0"s, REG_MULTI_SZ, 0},
                   {L"garbage\0>Updater\0\0"s, REG_MULTI_SZ, 0},
                   {L"listed\0Updater\0\0"s, REG_MULTI_SZ, 0},
                   {L"absent\0>Updater\0\0"s, REG_MULTI_SZ, 0},
                   {L"too large\0\0"s, REG_MULTI_SZ, 0},
                   {L""s, REG_MULTI_SZ, 0}};
    for (const auto& value : damaged) {
        SetRaw(kCu, kKept, "place", value.type, value.data.data(), DWORD(value.data.size() * 2 - value.lessBytes));
        EXPECT_EQ(store_.Load("place").kind, KeptListing::Kind::Nothing) << &value - damaged;
    }
}

TEST_F(KeptListings, AListingOfMoreThan4096NamesOr256KiBIsKeptAsTooLarge) {
    std::vector<std::string> names(4096, "Name");
    store_.Save("names", {KeptListing::Kind::Names, names});
    EXPECT_EQ(store_.Load("names").names.size(), 4096u);
    names.push_back("One more");
    store_.Save("names", {KeptListing::Kind::Names, names});
    EXPECT_EQ(store_.Load("names").kind, KeptListing::Kind::Nothing);
    // 16 names of 8,200 characters take 262,464 bytes.
    store_.Save("bytes", {KeptListing::Kind::Names, std::vector<std::string>(16, std::string(8200, 'x'))});
    EXPECT_EQ(store_.Load("bytes").kind, KeptListing::Kind::Nothing);
}

TEST_F(KeptListings, AWatchWritesOnlyWhenWhatItComparesWithChanges) {
    KeptPlace place(&store_, "place");
    place.Listed({"Updater"});
    UniqueKey key = OpenKey(kCu, kKept, KEY_NOTIFY);
    UniqueKernelHandle written(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    RegNotifyChangeKeyValue(key.get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, written.get(), TRUE);
    place.Listed({"Updater"});
    place.Missing();  // it has a listing: that stays what it compares with
    EXPECT_EQ(WaitForSingleObject(written.get(), 300), DWORD(WAIT_TIMEOUT));
    place.Listed({"Updater", "Helper"});
    EXPECT_EQ(WaitForSingleObject(written.get(), 300), DWORD(WAIT_OBJECT_0));
}

// A key absent at its last run reports what it holds, one never kept
// nothing; and the catch-up is done once a run.
TEST_F(KeptListings, AbsentIsNotNothingKeptAndTheCatchUpIsDoneOnceARun) {
    ScratchKey absent("KeptAbsent"), neverKept("KeptNever");
    DeleteKeyTree(kCu, absent.Path());
    SetDword(kCu, neverKept.Path() + "\\Old", "", 0);
    KeptListingStore lastRun(kCu, kKept);
    auto start = [&](const ScratchKey& key, KeptListingStore& run) {
        return StartTestMonitor(kCu, key.Path(), [&](TestMonitor& m) { m.Kept = &run; });
    };
    auto waiting = start(absent, lastRun);
    ASSERT_TRUE(WaitUntil([&] { return waiting->Waiting(); }, 5000));
    ASSERT_TRUE(StopMonitors({waiting.get()}));

    SetDword(kCu, absent.Path() + "\\Installed", "", 0);
    auto caughtUp = start(absent, store_), first = start(neverKept, store_);
    ASSERT_TRUE(WaitUntil([&] { return caughtUp->Findings().size() == 1 && first->Watching(); }, 5000));
    EXPECT_EQ(caughtUp->Findings()[0], "Installed");
    EXPECT_TRUE(first->Findings().empty());
    ASSERT_TRUE(StopMonitors({caughtUp.get(), first.get()}));

    store_.Save("HKEY_CURRENT_USER (64-bit view)\\" + absent.Path(), {KeptListing::Kind::Absent, {}});
    auto restarted = start(absent, store_);
    ASSERT_TRUE(WaitUntil([&] { return restarted->Watching(); }, 5000));
    EXPECT_TRUE(restarted->Findings().empty());
    EXPECT_TRUE(StopMonitors({restarted.get()}));
}
