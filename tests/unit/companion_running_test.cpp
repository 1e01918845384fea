// Purgeon is known by its file, not by its window's class and title, which
// any program can copy to silence the startup watches.
#include <gtest/gtest.h>

#include "core/companion_running.h"
#include "platform/process_image.h"
#include "support/test_support.h"

using namespace vigilo;

TEST(CompanionRunning, OnlyAWindowOfAProcessStartedFromPurgeonsOwnFileCounts) {
    const FileIdentity purgeon{7, 0, 42}, decoy{7, 0, 43};
    std::vector<DWORD> owners;
    const CompanionSeams seams{
        [&] { return owners; },
        [&](DWORD pid) { return pid == 100 ? std::optional(purgeon) : pid == 200 ? std::optional(decoy) : std::nullopt; },
        [&] { return std::optional(purgeon); },
    };
    EXPECT_FALSE(IsCompanionRunning(seams)) << "no window";
    owners = {200, 300};
    EXPECT_FALSE(IsCompanionRunning(seams)) << "a look-alike, and a process whose file cannot be told";
    owners = {200, 100};
    EXPECT_TRUE(IsCompanionRunning(seams)) << "the real one beside a look-alike";
    EXPECT_FALSE(IsCompanionRunning({[] { return std::vector<DWORD>{100}; }, seams.imageOf, [] {
                                         return std::optional<FileIdentity>();
                                     }}))
        << "no Purgeon.exe beside Vigilo";
}

// One file, whatever spelling: the test program's own image is itself.
TEST(CompanionRunning, AProcessImageIsToldByItsFileWhateverItsPath) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::optional<FileIdentity> own = ProcessImageIdentity(GetCurrentProcessId());
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own, FileIdentityOf(path));
    EXPECT_NE(own, FileIdentityOf(test::BinFolder() + "\\Purgeon.exe"));
}
