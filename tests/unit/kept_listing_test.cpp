// The listings the watches keep between runs, at their edges.
#include <gtest/gtest.h>

#include "core/kept_listing.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;
using namespace std::string_literals;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;
const std::string kKept = "Software\\VigiloTests\\Kept";

class KeptListings : public ::testing::Test {
protected:
    void TearDown() override { DeleteKeyTree(kCu, kKept); }
    KeptListing RoundTrip(const Listing& listing) {
        store_.Save("place", {KeptListing::Kind::Listed, listing});
        return store_.Load("place");
    }
    KeptListingStore store_{kCu, kKept};
};

std::vector<std::string> Names(const Listing& listing) {
    std::vector<std::string> names;
    for (const ListedEntry& entry : listing.entries) names.push_back(entry.name);
    return names;
}

}  // namespace

TEST_F(KeptListings, NamesWithNulTabsAndPercentSignsAndTheirDataComeBackWhole) {
    Listing listing = ListingOf({"Up\0dater"s, "a\tb%00c%", "", std::string(16000, 'n')});
    listing.entries[0].dataHash = 0x0123456789abcdefull;
    listing.entries[1].displayName = "Tool\0Name"s;
    listing.entries[1].publisher = "Maker %09";
    const KeptListing kept = RoundTrip(listing);
    ASSERT_EQ(kept.kind, KeptListing::Kind::Listed);
    EXPECT_EQ(kept.listing, listing);
}

// Past 4,096 names or 256 KiB only the names' hashes are kept: what is new
// is still told, whatever the letter case.
TEST_F(KeptListings, TenThousandNamesOrLongOnesAreKeptAsHashesThatStillTellWhatIsNew) {
    std::vector<std::string> names;
    for (int i = 0; i < 10000; ++i) names.push_back("Entry " + std::to_string(i));
    const Listing many = ListingOf(names);
    const KeptListing kept = RoundTrip(many);
    ASSERT_EQ(kept.kind, KeptListing::Kind::Listed);
    EXPECT_TRUE(kept.listing.hashed);
    names.push_back("Newcomer");
    names[0] = "ENTRY 0";
    const std::vector<ListedEntry> added = AddedEntries(kept.listing, ListingOf(names));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].name, "Newcomer");

    EXPECT_FALSE(RoundTrip(ListingOf(std::vector<std::string>(4096, "Name"))).listing.hashed);
    // 16 names of 8,200 characters take 262,464 bytes.
    EXPECT_TRUE(RoundTrip(ListingOf(std::vector<std::string>(16, std::string(8200, 'x')))).listing.hashed);
}

TEST_F(KeptListings, WhatAnEarlierVigiloKeptStillLoadsAndDamagedValuesCountAsNothing) {
    const std::wstring earlier = L"listed\0>Updater\0>\0>50%25\0\0"s;
    SetRaw(kCu, kKept, "place", REG_MULTI_SZ, earlier.data(), DWORD(earlier.size() * 2));
    EXPECT_EQ(Names(store_.Load("place").listing), (std::vector<std::string>{"Updater", "", "50%25"}));
    const struct {
        std::wstring data;
        DWORD type;
    } damaged[] = {{earlier, REG_SZ},
                   {L"garbage\0>Updater\0\0"s, REG_MULTI_SZ},
                   {L"entries\0Updater\0\0"s, REG_MULTI_SZ},
                   {L"entries\0>Updater\tnot hex\0\0"s, REG_MULTI_SZ},
                   {L"hashed\0xyz\0\0"s, REG_MULTI_SZ},
                   {L"absent\0>Updater\0\0"s, REG_MULTI_SZ},
                   {L"too large\0\0"s, REG_MULTI_SZ},
                   {L""s, REG_MULTI_SZ}};
    for (const auto& value : damaged) {
        SetRaw(kCu, kKept, "place", value.type, value.data.data(), DWORD(value.data.size() * 2));
        EXPECT_EQ(store_.Load("place").kind, KeptListing::Kind::Nothing) << &value - damaged;
    }
}

TEST_F(KeptListings, OnlyThePlacesStillWatchedKeepTheirValues) {
    store_.Save("Watched", {KeptListing::Kind::Absent});
    store_.Save("Gone profile", {KeptListing::Kind::Absent});
    store_.KeepOnly({"WATCHED"});
    EXPECT_EQ(store_.Load("Watched").kind, KeptListing::Kind::Absent);
    EXPECT_EQ(store_.Load("Gone profile").kind, KeptListing::Kind::Nothing);
}
