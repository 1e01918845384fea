// The listings the watches keep between runs: how a kept value is read when
// damaged or too large, "absent" apart from nothing kept, and writes only on
// change.
#include <gtest/gtest.h>

#include <string>

#include "core/kept_listing.h"
#include "monitors/kept_place.h"
#include "platform/unique_handle.h"
#include "support/monitors_support.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;
const std::string kKeptKey = "Software\\VigiloTests\\Kept";

void SetMultiString(const std::string& name, const std::wstring& data, DWORD type = REG_MULTI_SZ) {
    SetRaw(kCu, kKeptKey, name, type, data.data(), static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

class KeptListings : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteKeyTree(kCu, kKeptKey);
        InitMainThreadCalls();
    }
    void TearDown() override { DeleteKeyTree(kCu, kKeptKey); }
    KeptListingStore store_{kCu, kKeptKey};
};

}  // namespace

TEST_F(KeptListings, ASoundValueIsReadAndADamagedOneCountsAsNothingKept) {
    using namespace std::string_literals;
    SetMultiString("sound", L"listed\0>Updater\0>\0\0"s);
    EXPECT_EQ(store_.Load("sound"), (KeptListing{KeptListing::Kind::Names, {"Updater", ""}}));
    SetMultiString("absent", L"absent\0\0"s);
    EXPECT_EQ(store_.Load("absent").kind, KeptListing::Kind::Absent);

    const struct {
        const char* what;
        std::wstring data;
        DWORD type;
    } damaged[] = {{"wrong type", L"listed\0>Updater\0\0"s, REG_SZ},
                   {"no final terminator", L"listed\0>Updater\0"s, REG_MULTI_SZ},
                   {"empty", L""s, REG_MULTI_SZ},
                   {"unknown first string", L"garbage\0>Updater\0\0"s, REG_MULTI_SZ},
                   {"a name without its mark", L"listed\0Updater\0\0"s, REG_MULTI_SZ},
                   {"absent with names", L"absent\0>Updater\0\0"s, REG_MULTI_SZ},
                   {"too large", L"too large\0\0"s, REG_MULTI_SZ}};
    for (const auto& value : damaged) {
        SetMultiString(value.what, value.data, value.type);
        EXPECT_EQ(store_.Load(value.what).kind, KeptListing::Kind::Nothing) << value.what;
    }
    const char oddSize[] = "l\0i\0s\0t\0e\0d\0\0\0\0\0\0";
    SetRaw(kCu, kKeptKey, "odd size", REG_MULTI_SZ, oddSize, sizeof(oddSize));
    EXPECT_EQ(store_.Load("odd size").kind, KeptListing::Kind::Nothing);
}

TEST_F(KeptListings, AListingOfMoreThan4096NamesOr256KiBIsKeptAsTooLarge) {
    std::vector<std::string> names;
    for (int i = 0; i < 4096; ++i) names.push_back("Name" + std::to_string(i));
    store_.Save("bound", {KeptListing::Kind::Names, names});
    EXPECT_EQ(store_.Load("bound").names.size(), 4096u);
    names.push_back("One more");
    store_.Save("bound", {KeptListing::Kind::Names, names});
    EXPECT_EQ(store_.Load("bound").kind, KeptListing::Kind::Nothing);

    // 16 names of 8,200 characters take 262,464 bytes.
    store_.Save("bytes", {KeptListing::Kind::Names, std::vector<std::string>(16, std::string(8200, 'x'))});
    EXPECT_EQ(store_.Load("bytes").kind, KeptListing::Kind::Nothing);
}

TEST_F(KeptListings, AWatchWritesOnlyWhenWhatItComparesWithChanges) {
    KeptPlace place(&store_, "place");
    StringList snapshot;
    EXPECT_FALSE(place.Start(snapshot)) << "nothing kept: a first start";
    place.Listed({"Updater"});
    UniqueKey key = OpenKey(kCu, kKeptKey, KEY_NOTIFY);
    UniqueKernelHandle written(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_EQ(RegNotifyChangeKeyValue(key.get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, written.get(), TRUE),
              ERROR_SUCCESS);

    place.Listed({"Updater"});
    place.Missing();  // it has a listing: that stays what it compares with
    EXPECT_EQ(WaitForSingleObject(written.get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
    place.Listed({"Updater", "Helper"});
    EXPECT_EQ(WaitForSingleObject(written.get(), 300), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(store_.Load("place").names, (StringList{"Updater", "Helper"}));
}

// A key absent at the last run reports what it holds now; one never kept reports nothing.
TEST_F(KeptListings, AKeyAbsentAtItsLastRunReportsWhatItHoldsAndOneNeverKeptNothing) {
    ScratchKey absent("KeptAbsent"), neverKept("KeptNever");
    DeleteKeyTree(kCu, absent.Path());
    SetDword(kCu, neverKept.Path() + "\\Old", "", 0);
    KeptListingStore lastRun(kCu, kKeptKey);
    auto waiting = StartTestMonitor(kCu, absent.Path(), [&](TestMonitor& m) { m.Kept = &lastRun; });
    ASSERT_TRUE(WaitUntil([&] { return waiting->Waiting(); }, 5000));
    ASSERT_TRUE(StopMonitors({waiting.get()}));

    SetDword(kCu, absent.Path() + "\\Installed", "", 0);
    auto caughtUp = StartTestMonitor(kCu, absent.Path(), [&](TestMonitor& m) { m.Kept = &store_; });
    auto first = StartTestMonitor(kCu, neverKept.Path(), [&](TestMonitor& m) { m.Kept = &store_; });
    ASSERT_TRUE(WaitUntil([&] { return caughtUp->Findings().size() == 1; }, 5000));
    EXPECT_EQ(caughtUp->Findings()[0], "Installed");
    ASSERT_TRUE(WaitUntil([&] { return first->Watching(); }, 5000));
    EXPECT_TRUE(first->Findings().empty());
    EXPECT_TRUE(StopMonitors({caughtUp.get(), first.get()}));
}

// A restart that cuts the catch-up's round short leaves it to the next watch
// of the place; once done, later watches in the run take their baseline.
TEST_F(KeptListings, TheCatchUpIsDoneOnceARunAndARestartThatCutsItShortLeavesItToTheNextWatch) {
    ScratchKey key("KeptOnce");
    SetDword(kCu, key.Path() + "\\New", "", 0);
    const std::string place = "HKEY_CURRENT_USER (64-bit view)\\" + key.Path();
    store_.Save(place, {KeptListing::Kind::Names, {}});
    UniqueKernelHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto cut = StartTestMonitor(kCu, key.Path(), [&](TestMonitor& m) {
        m.Kept = &store_;
        m.gate = gate.get();
    });
    ASSERT_TRUE(WaitUntil([&] { return cut->RoundsEntered() == 1; }, 5000));
    cut->Terminate();
    SetEvent(gate.get());
    ASSERT_TRUE(StopMonitors({cut.get()}));

    auto next = StartTestMonitor(kCu, key.Path(), [&](TestMonitor& m) { m.Kept = &store_; });
    ASSERT_TRUE(WaitUntil([&] { return next->Findings().size() == 1; }, 5000));
    EXPECT_EQ(next->Findings()[0], "New");
    ASSERT_TRUE(StopMonitors({next.get()}));

    store_.Save(place, {KeptListing::Kind::Names, {}});  // as if the catch-up's listing had not been kept
    auto later = StartTestMonitor(kCu, key.Path(), [&](TestMonitor& m) { m.Kept = &store_; });
    ASSERT_TRUE(WaitUntil([&] { return later->Watching(); }, 5000));
    EXPECT_TRUE(later->Findings().empty());
    EXPECT_TRUE(StopMonitors({later.get()}));
}

TEST(KeptPlaceNames, AKeyIsNamedByRootViewAndPathAFolderByItsPath) {
    EXPECT_EQ(KeyPlaceName(HKEY_LOCAL_MACHINE, RegistryView::k32Bit, "\\Software\\Run\\"),
              "HKEY_LOCAL_MACHINE (32-bit view)\\Software\\Run");
    EXPECT_EQ(KeyPlaceName(HKEY_CURRENT_USER, RegistryView::k64Bit, "Software\\Run"),
              "HKEY_CURRENT_USER (64-bit view)\\Software\\Run");
    EXPECT_EQ(FolderPlaceName("C:\\Startup\\"), "C:\\Startup\\");
}
