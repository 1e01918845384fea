// StartupApproved values as Task Manager keeps them: 12 bytes of REG_BINARY,
// little-endian flags (low bit: disabled), then a FILETIME; one key per list.
#include <gtest/gtest.h>

#include "core/startup_approved.h"
#include "support/registry_sandbox.h"
#include "support/test_support.h"

using namespace vigilo;

namespace {
using Bytes = std::vector<BYTE>;
constexpr FILETIME kNow{0x89ABCDEF, 0x01DC2345};
const Bytes kTime{0xEF, 0xCD, 0xAB, 0x89, 0x45, 0x23, 0xDC, 0x01};

Bytes Value(Bytes flags, const Bytes& tail = Bytes(8, 0)) {
    flags.insert(flags.end(), tail.begin(), tail.end());
    return flags;
}
Bytes AsBytes(const StartupApprovedBytes& b) { return Bytes(b.begin(), b.end()); }
Bytes Disabled(DWORD type, const Bytes& stored) { return AsBytes(DisabledValue(RegistryValue{type, stored}, kNow)); }
Bytes Stored(const StartupApprovedTarget& target) {
    BYTE data[64];
    DWORD size = sizeof(data);
    const std::string key = StartupApprovedKeyPath(target.list);
    if (RegGetValueA(target.root, key.c_str(), target.valueName.c_str(), RRF_RT_REG_BINARY, nullptr, data, &size))
        return {};
    return Bytes(data, data + size);
}
StartupApproval Approval(bool systemHasIt = true, bool canWrite = true) {
    return StartupApproval({[] { return kNow; }, [=] { return systemHasIt; },
                            [=](const StartupApprovedTarget&) { return canWrite; }});
}
}  // namespace

TEST(StartupApprovedBytes, NewKeptAndOddValues) {
    EXPECT_EQ(Value({3, 0, 0, 0}, kTime), AsBytes(DisabledValue(std::nullopt, kNow)));
    EXPECT_EQ(Value({2, 0, 0, 0}), AsBytes(EnabledValue(std::nullopt)));
    EXPECT_EQ(Value({7, 1, 0, 0x80}, kTime), Disabled(REG_BINARY, Value({6, 1, 0, 0x80})));  // other bits kept
    EXPECT_EQ(Value({6, 1, 0, 0x80}), AsBytes(EnabledValue(RegistryValue{REG_BINARY, Value({7, 1, 0, 0x80}, kTime)})));
    // Another type or under 4 bytes counts as no value; another length keeps its flags.
    EXPECT_EQ(Value({3, 0, 0, 0}, kTime), Disabled(REG_DWORD, {6, 0, 0, 0}));
    EXPECT_EQ(Value({3, 0, 0, 0}, kTime), Disabled(REG_BINARY, {6, 1, 0}));
    EXPECT_EQ(Value({5, 0, 0, 0}, kTime), Disabled(REG_BINARY, {4, 0, 0, 0}));
    EXPECT_EQ(Value({5, 0, 0, 0}, kTime), Disabled(REG_BINARY, Value({4, 0, 0, 0}, Bytes(16, 9))));
}

TEST(StartupApprovedBytes, TheFirstBytesLowBitSaysDisabledAndOnlyOwnBytesAreOwn) {
    const auto says = [](DWORD type, const Bytes& data) { return StartupApprovedSaysDisabled(RegistryValue{type, data}); };
    EXPECT_TRUE(says(REG_BINARY, Value({3, 0, 0, 0}, kTime)));
    EXPECT_TRUE(says(REG_BINARY, {0x81}));  // other flag bits, and short of 12 bytes
    EXPECT_FALSE(says(REG_BINARY, Value({0x06, 0x01, 0, 0})));
    EXPECT_FALSE(says(REG_BINARY, {}));
    EXPECT_FALSE(says(REG_DWORD, {3, 0, 0, 0}));  // a wrong type says enabled
    EXPECT_FALSE(StartupApprovedSaysDisabled(std::nullopt));

    const StartupApprovedTarget target{HKEY_CURRENT_USER, StartupApprovedList::Run, "Own"};
    ASSERT_TRUE(Approval().Disable(target) && Approval().Enable(target));
    EXPECT_TRUE(IsOwnStartupApprovedWrite({HKEY_CURRENT_USER, StartupApprovedList::Run, "OWN"}, Value({2, 0, 0, 0})));
    // The bytes written before, another program's bytes over them, or another list's value.
    EXPECT_FALSE(IsOwnStartupApprovedWrite(target, Value({3, 0, 0, 0}, kTime)));
    EXPECT_FALSE(IsOwnStartupApprovedWrite(target, Value({6, 0, 0, 0})));
    EXPECT_FALSE(IsOwnStartupApprovedWrite(target, {2, 0, 0, 0}));
    EXPECT_FALSE(IsOwnStartupApprovedWrite({HKEY_CURRENT_USER, StartupApprovedList::Run32, "Own"}, Value({2, 0, 0, 0})));
}

TEST(StartupApprovedValue, WrittenInTheKeyOfItsListAndRootAndEnabledAgain) {
    EXPECT_EQ(StartupApprovedKeyPath(StartupApprovedList::Run32),
              "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32");
    const StartupApprovedTarget targets[] = {{HKEY_CURRENT_USER, StartupApprovedList::Run, "T"},
                                             {HKEY_LOCAL_MACHINE, StartupApprovedList::Run32, "T"},
                                             {HKEY_LOCAL_MACHINE, StartupApprovedList::StartupFolder, "T.lnk"}};
    for (const StartupApprovedTarget& target : targets) {
        ASSERT_TRUE(Approval().Disable(target) && Approval().Disabled(target));
        EXPECT_EQ(Value({3, 0, 0, 0}, kTime), Stored(target)) << StartupApprovedKeyPath(target.list);
        ASSERT_TRUE(Approval().Enable(target) && !Approval().Disabled(target));
        EXPECT_EQ(Value({2, 0, 0, 0}), Stored(target)) << StartupApprovedKeyPath(target.list);
    }
    test::RealLocalMachine machine;  // only read: the scratch keys have a single view
    EXPECT_EQ(StartupApprovedList::Run32, RunValueTarget(HKEY_LOCAL_MACHINE, RegistryView::k32Bit, "T").list);
    EXPECT_EQ(StartupApprovedList::Run, RunValueTarget(HKEY_LOCAL_MACHINE, RegistryView::k64Bit, "T").list);
}

TEST(StartupApprovedValue, OfferedFromWindowsEightWhereThisUserMayWrite) {
    const StartupApprovedTarget machine{HKEY_LOCAL_MACHINE, StartupApprovedList::Run, "Tool"};
    EXPECT_TRUE(Approval().Offered(machine));
    EXPECT_FALSE(Approval(false, true).Offered(machine));  // Windows 7
    EXPECT_FALSE(Approval(true, false).Offered(machine));  // HKLM without administrator rights
    EXPECT_TRUE(CanWriteStartupApproved({HKEY_CURRENT_USER, StartupApprovedList::StartupFolder, "Tool.lnk"}));
    OSVERSIONINFOW version{sizeof(version), 0, 0, 0, 0, {}};
    ASSERT_TRUE(GetVersionExW(&version));  // Wine 8 passes for Windows 7
    EXPECT_EQ(version.dwMajorVersion * 100 + version.dwMinorVersion >= 602, StartupApproval().Offered(machine));
}
