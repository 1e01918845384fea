// The settings store against the real registry: results, types, trimming,
// upper-casing, defaults, the errors raised to callers, and the 64-bit view.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/settings_store.h"
#include "support/registry_sandbox.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;

class SettingsStore : public ::testing::Test {
protected:
    ScratchKey scratch{"SettingsStore"};
    const std::string& key() const { return scratch.Path(); }
    void Raw(const std::string& name, DWORD type, const void* data, DWORD size) {
        SetRaw(kCu, key(), name, type, data, size);
    }
};

template <typename F>
std::string ErrorOf(F&& call) {
    try {
        call();
    } catch (const SettingsError& e) {
        return e.what();
    }
    return "(no error)";
}

bool NearNow(DateTime t) { return std::fabs(t - Now()) < 5.0 / 86400.0; }

}  // namespace

TEST_F(SettingsStore, MissingKeyAndMissingValueGiveTheDefaults) {
    const std::string missingKey = key() + "\\Missing";
    for (const std::string& k : {missingKey, key()}) {
        EXPECT_EQ(ReadString(kCu, k, "Nope"), "");
        EXPECT_EQ(ReadInteger(kCu, k, "Nope"), 0);
        EXPECT_FALSE(ReadBool(kCu, k, "Nope"));
        EXPECT_TRUE(NearNow(ReadFloat(kCu, k, "Nope")));
        EXPECT_FALSE(ValueExists(kCu, k, "Nope"));
    }
    EXPECT_FALSE(KeyExists(kCu, missingKey));
    EXPECT_TRUE(KeyExists(kCu, key()));
}

TEST_F(SettingsStore, ReadStringTrimsAndUpperCasesOnlyAsciiLetters) {
    SetString(kCu, key(), "Path", "  c:\\backup  ");
    EXPECT_EQ(ReadString(kCu, key(), "Path"), "C:\\BACKUP");
    SetString(kCu, key(), "Controls", "\t\r\n\x01 Foo Editor \x1f\x7f");
    // Code 127 is above 32, so it stays; every character of code 32 or less goes.
    EXPECT_EQ(ReadString(kCu, key(), "Controls"), "FOO EDITOR \x1f\x7f");
    SetString(kCu, key(), "Inner", "\x1f inner\x1f ");
    EXPECT_EQ(ReadString(kCu, key(), "Inner"), "INNER");
    SetString(kCu, key(), "Accents", "caf\xC3\xA9 \xC3\xA0 la z\xC3\xBC");  // "café à la zü"
    EXPECT_EQ(ReadString(kCu, key(), "Accents"), "CAF\xC3\xA9 \xC3\xA0 LA Z\xC3\xBC");
}

TEST_F(SettingsStore, ReadStringReadsExpandableTextUnexpanded) {
    SetString(kCu, key(), "Expand", "%SystemRoot%\\app.exe", REG_EXPAND_SZ);
    EXPECT_EQ(ReadString(kCu, key(), "Expand"), "%SYSTEMROOT%\\APP.EXE");
}

TEST_F(SettingsStore, ReadStringStopsAtAnEmbeddedNulAndCopesWithoutTerminator) {
    const wchar_t embedded[] = L"abc\0def";
    Raw("Embedded", REG_SZ, embedded, sizeof(embedded));
    EXPECT_EQ(ReadString(kCu, key(), "Embedded"), "ABC");
    const wchar_t unterminated[] = {L'x', L'y', L'z'};
    Raw("Unterminated", REG_SZ, unterminated, sizeof(unterminated));
    EXPECT_EQ(ReadString(kCu, key(), "Unterminated"), "XYZ");
    Raw("OddSize", REG_SZ, L"xyz", 5);  // half a character at the end is none
    EXPECT_EQ(ReadString(kCu, key(), "OddSize"), "XY");
    Raw("Empty", REG_SZ, "", 0);
    EXPECT_EQ(ReadString(kCu, key(), "Empty"), "");
}

TEST_F(SettingsStore, ReadStringReadsAHugeValueWhole) {
    std::string huge(1 << 20, 'a');
    huge[0] = ' ';
    SetString(kCu, key(), "Huge", huge);
    std::string read = ReadString(kCu, key(), "Huge");
    ASSERT_EQ(read.size(), huge.size() - 1);
    EXPECT_EQ(read.find_first_not_of('A'), std::string::npos);
}

TEST_F(SettingsStore, ReadStringGivesEmptyTextForOtherTypes) {
    SetDword(kCu, key(), "Number", 5);
    EXPECT_EQ(ReadString(kCu, key(), "Number"), "");
    Raw("Binary", REG_BINARY, "text", 4);
    EXPECT_EQ(ReadString(kCu, key(), "Binary"), "");
    const char multi[] = "a\0b\0";
    Raw("Multi", REG_MULTI_SZ, multi, sizeof(multi));
    EXPECT_EQ(ReadString(kCu, key(), "Multi"), "");
}

TEST_F(SettingsStore, ReadIntegerReadsOnlyDwords) {
    SetDword(kCu, key(), "Language", 2);
    EXPECT_EQ(ReadInteger(kCu, key(), "Language"), 2);
    SetDword(kCu, key(), "Negative", 0xFFFFFFFF);
    EXPECT_EQ(ReadInteger(kCu, key(), "Negative"), -1);
    SetString(kCu, key(), "Text", "3");
    EXPECT_EQ(ReadInteger(kCu, key(), "Text"), 0);
    const unsigned char eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    Raw("Binary", REG_BINARY, eight, sizeof(eight));
    EXPECT_EQ(ReadInteger(kCu, key(), "Binary"), 0);
    Raw("Qword", REG_QWORD, eight, sizeof(eight));
    EXPECT_EQ(ReadInteger(kCu, key(), "Qword"), 0);
}

TEST_F(SettingsStore, ReadBoolIsTrueForAnyNonZeroDword) {
    SetDword(kCu, key(), "Two", 2);
    SetDword(kCu, key(), "Zero", 0);
    EXPECT_TRUE(ReadBool(kCu, key(), "Two"));
    EXPECT_FALSE(ReadBool(kCu, key(), "Zero"));
    const unsigned char shortDword[2] = {1, 0};
    Raw("Short", REG_DWORD, shortDword, sizeof(shortDword));
    EXPECT_TRUE(ReadBool(kCu, key(), "Short"));
}

TEST_F(SettingsStore, ReadBoolRaisesTheTypeErrorsToTheCaller) {
    SetString(kCu, key(), "ShortText", "1");
    EXPECT_EQ(ErrorOf([&] { ReadBool(kCu, key(), "ShortText"); }), "Invalid data type for 'ShortText'");
    SetString(kCu, key(), "LongText", "true, really");
    EXPECT_EQ(ErrorOf([&] { ReadBool(kCu, key(), "LongText"); }), "Failed to get data for 'LongText'");
    Raw("Binary4", REG_BINARY, "\1\0\0\0", 4);
    EXPECT_EQ(ErrorOf([&] { ReadBool(kCu, key(), "Binary4"); }), "Invalid data type for 'Binary4'");
}

TEST_F(SettingsStore, ReadFloatReadsEightBinaryBytesAndRaisesForOtherLengths) {
    const DateTime stored = 36526.75;  // 1 January 2000, 18:00
    Raw("When", REG_BINARY, &stored, sizeof(stored));
    EXPECT_EQ(ReadFloat(kCu, key(), "When"), stored);
    Raw("Five", REG_BINARY, "\1\2\3\4\5", 5);
    EXPECT_EQ(ErrorOf([&] { ReadFloat(kCu, key(), "Five"); }), "Invalid data type for 'Five'");
    Raw("Nine", REG_BINARY, "\1\2\3\4\5\6\7\10\11", 9);
    EXPECT_EQ(ErrorOf([&] { ReadFloat(kCu, key(), "Nine"); }), "Failed to get data for 'Nine'");
    SetDword(kCu, key(), "Dword", 7);
    EXPECT_TRUE(NearNow(ReadFloat(kCu, key(), "Dword")));
    SetString(kCu, key(), "Text", "36526.75");
    EXPECT_TRUE(NearNow(ReadFloat(kCu, key(), "Text")));
}

TEST_F(SettingsStore, WritesCreateTheKeyAndStoreTheDocumentedTypes) {
    const std::string fresh = key() + "\\New\\Deeper";
    WriteBool(kCu, fresh, "Flag", true);
    DWORD type = 0, size = 0, value = 0;
    ASSERT_TRUE(GetValueInfo(kCu, fresh, "Flag", type, size));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    ASSERT_TRUE(GetDword(kCu, fresh, "Flag", value));
    EXPECT_EQ(value, 1u);
    WriteBool(kCu, fresh, "Flag", false);
    ASSERT_TRUE(GetDword(kCu, fresh, "Flag", value));
    EXPECT_EQ(value, 0u);

    WriteFloat(kCu, fresh, "When", 45000.25);
    ASSERT_TRUE(GetValueInfo(kCu, fresh, "When", type, size));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(ReadFloat(kCu, fresh, "When"), 45000.25);
}

TEST_F(SettingsStore, ValueExistsForAnyTypeAndTheEmptyValueNameIsTheDefaultValue) {
    SetString(kCu, key(), "EmptyText", "");
    EXPECT_TRUE(ValueExists(kCu, key(), "EmptyText"));
    Raw("None", REG_NONE, nullptr, 0);
    EXPECT_TRUE(ValueExists(kCu, key(), "None"));
    EXPECT_FALSE(ValueExists(kCu, key(), ""));
    SetString(kCu, key(), "", "  default text ");
    EXPECT_TRUE(ValueExists(kCu, key(), ""));
    EXPECT_EQ(ReadString(kCu, key(), ""), "DEFAULT TEXT");
}

TEST_F(SettingsStore, AKeyPathWithALeadingBackslashIsTakenFromTheRoot) {
    SetDword(kCu, key(), "Value", 9);
    const std::string leading = "\\" + key();
    EXPECT_TRUE(KeyExists(kCu, leading));
    EXPECT_TRUE(ValueExists(kCu, leading, "Value"));
    EXPECT_EQ(ReadInteger(kCu, leading, "Value"), 9);
    WriteBool(kCu, leading, "Written", true);
    EXPECT_TRUE(ReadBool(kCu, key(), "Written"));
}

// The program is 32-bit: on 64-bit Windows its default view of HKLM\SOFTWARE
// is the Wow6432Node one. Every routine must see the 64-bit keys, so that a
// monitor lists and reads the same key. Only the real HKLM has both views;
// the test writes a key of its own there.
TEST(SettingsStoreView, EveryRoutineUsesTheSixtyFourBitView) {
    if (sizeof(void*) == 8) GTEST_SKIP() << "a 64-bit build's own view is the 64-bit one";
    RealLocalMachine realMachineKey;
    const std::string key = "SOFTWARE\\VigiloTestsView";
    DeleteKeyTree(HKEY_LOCAL_MACHINE, key);
    SetString(HKEY_LOCAL_MACHINE, key, "DisplayName", "only in 64");
    SetDword(HKEY_LOCAL_MACHINE, key, "Flag", 1);
    HKEY redirected = nullptr;
    bool visibleInDefaultView =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &redirected) == ERROR_SUCCESS;
    if (redirected) RegCloseKey(redirected);
    EXPECT_FALSE(visibleInDefaultView) << "the test expects a 64-bit system with registry redirection";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key, "DisplayName"), "ONLY IN 64");
    EXPECT_TRUE(ReadBool(HKEY_LOCAL_MACHINE, key, "Flag"));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, key, "Flag"));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, key);
}

TEST(DateTimes, CountDaysSinceThirtiethOfDecember1899) {
    SYSTEMTIME st{};
    st.wYear = 1899, st.wMonth = 12, st.wDay = 30;
    EXPECT_DOUBLE_EQ(DateTimeFromSystemTime(st), 0.0);
    st.wYear = 2000, st.wMonth = 1, st.wDay = 1, st.wHour = 18;
    EXPECT_DOUBLE_EQ(DateTimeFromSystemTime(st), 36526.75);
    st = SYSTEMTIME{};
    st.wYear = 2026, st.wMonth = 12, st.wDay = 7, st.wHour = 6;
    EXPECT_DOUBLE_EQ(DateTimeFromSystemTime(st), 46363.25);

    SYSTEMTIME local;
    GetLocalTime(&local);
    EXPECT_NEAR(Now(), DateTimeFromSystemTime(local), 2.0 / 86400.0);
}
