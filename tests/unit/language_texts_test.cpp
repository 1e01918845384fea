// Language files read as Windows reads INI files: case-insensitive names,
// quotes removed, empty values kept empty, defaults when anything is missing.
#include <gtest/gtest.h>

#include "core/language_texts.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

// "%d" in a text from the language file is replaced by the number, each one;
// nothing else in it is taken for a format.
TEST(TextWithNumber, ReplacesEachLiteralPercentDOnly) {
    EXPECT_EQ(WithNumber("and %d more (see Recent findings)", 2), "and 2 more (see Recent findings)");
    EXPECT_EQ(WithNumber("%d of %d", 12), "12 of 12");
    EXPECT_EQ(WithNumber("%s %n %x %% %D %", 5), "%s %n %x %% %D %");
    EXPECT_EQ(WithNumber("%%d", 7), "%7");
    EXPECT_EQ(WithNumber("%d", -1000000), "-1000000");
    EXPECT_EQ(WithNumber("", 3), "");
    EXPECT_EQ(WithNumber("â%dâ", 1), "â" "1â");
}

TEST(LanguageFile, ChosenByTheLanguageSetting) {
    EXPECT_EQ(LanguageFileName(1), "English.ini");
    EXPECT_EQ(LanguageFileName(2), "German.ini");
    EXPECT_EQ(LanguageFileName(3), "French.ini");
    EXPECT_EQ(LanguageFileName(4), "Spanish.ini");
    EXPECT_EQ(LanguageFileName(5), "Italian.ini");
    EXPECT_EQ(LanguageFileName(6), "Portuguese.ini");
    for (int other : {0, 7, -1, 1000000})
        EXPECT_EQ(LanguageFileName(other), "English.ini") << other;
}

TEST(LanguageFile, NamesMatchWithoutRegardToCaseAndQuotesAreRemoved) {
    TempFolder folder;
    folder.Write("German.ini",
                 "[TRAY]\r\nlaunch=Purgeon starten\r\n"
                 "[Buttons]\r\nExit = \"Beenden\" \r\nOK='Gut'\r\n"
                 "[Monitor]\r\nNewAppMessage1=\r\n");
    LanguageTexts texts(folder.File("German.ini"));
    EXPECT_EQ(texts.Get("Tray", "Launch", "Launch Purgeon"), "Purgeon starten");
    EXPECT_EQ(texts.Get("Buttons", "Exit", "Exit"), "Beenden");
    EXPECT_EQ(texts.Get("Buttons", "OK", "OK"), "Gut");
    // Present but empty is empty, not the default.
    EXPECT_EQ(texts.Get("Monitor", "NewAppMessage1", "New installation detected."), "");
    EXPECT_EQ(texts.Get("Monitor", "NewAppMessage2", "fallback"), "fallback");
    EXPECT_EQ(texts.Get("Nowhere", "Launch", "fallback"), "fallback");
}

TEST(LanguageFile, MissingFileGivesEveryDefault) {
    TempFolder folder;
    folder.Write("English.ini", "[Tray]\r\nLaunch=From English.ini\r\n");
    // German chosen but absent: the built-in defaults, English.ini is no fallback.
    LanguageTexts texts(folder.File("German.ini"));
    EXPECT_EQ(texts.Get("Tray", "Launch", "Launch Purgeon"), "Launch Purgeon");
    LanguageTexts unopened;
    EXPECT_EQ(unopened.Get("Tray", "Launch", "Launch Purgeon"), "Launch Purgeon");
}

TEST(LanguageFile, AValueIsCutToItsFirst2047Characters) {
    TempFolder folder;
    std::string longValue(5000, 'x');
    longValue[2046] = 'y';
    folder.Write("English.ini", "[Tray]\r\nLaunch=" + longValue + "\r\n");
    std::string text = LanguageTexts(folder.File("English.ini")).Get("Tray", "Launch", "d");
    ASSERT_EQ(text.size(), 2047u);
    EXPECT_EQ(text.back(), 'y');
}

TEST(LanguageFile, BinaryGarbageNeverCrashesAndFallsBackToDefaults) {
    TempFolder folder;
    std::string garbage;
    unsigned seed = 12345;
    for (int i = 0; i < 70000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage += static_cast<char>(seed >> 16);
    }
    folder.Write("English.ini", garbage);
    LanguageTexts texts(folder.File("English.ini"));
    for (const TextId& id : {texts::kTrayLaunch, texts::kFileNotFound, texts::kCacheMessage3}) {
        std::string text = texts.Get(id.section, id.key, id.defaultText);
        EXPECT_LE(text.size(), 2047u);
    }
    folder.Write("Odd.ini", "[Tray\r\n=no key\r\nLaunch\r\n[]\r\n=\r\n[Tray]]\r\n");
    EXPECT_EQ(LanguageTexts(folder.File("Odd.ini")).Get("Tray", "Launch", "Launch Purgeon"), "Launch Purgeon");
}

TEST(LanguageFile, EachReadSeesTheFileAsItIsNow) {
    TempFolder folder;
    LanguageTexts texts(folder.File("English.ini"));
    folder.Write("English.ini", "[Buttons]\r\nOK=First\r\n");
    EXPECT_EQ(texts.Get("Buttons", "OK", "OK"), "First");
    folder.Write("English.ini", "[Buttons]\r\nOK=Second\r\n");
    EXPECT_EQ(texts.Get("Buttons", "OK", "OK"), "Second");
}

TEST(LanguageFile, TheTrayMenusRecordOfFindingsHasEnglishDefaultsAndTranslations) {
    TempFolder folder;
    folder.Write("German.ini", "[Tray]\r\nRecentFindings=Letzte Funde\r\nKindJunk=Datenmuell\r\n");
    Language() = LanguageTexts(folder.File("English.ini"));  // missing: every default
    EXPECT_EQ(Text(texts::kTrayRecentFindings), "Recent findings");
    EXPECT_EQ(Text(texts::kTrayRecentNone), "(none)");
    EXPECT_EQ(Text(texts::kTrayRecentClear), "Clear recent findings");
    EXPECT_EQ(Text(texts::kTrayKindProgram), "New program");
    EXPECT_EQ(Text(texts::kTrayKindStartup), "Startup entry");
    EXPECT_EQ(Text(texts::kTrayKindExtension), "Browser extension");
    EXPECT_EQ(Text(texts::kTrayKindJunk), "Junk files");
    Language() = LanguageTexts(folder.File("German.ini"));
    EXPECT_EQ(Text(texts::kTrayRecentFindings), "Letzte Funde");
    EXPECT_EQ(Text(texts::kTrayKindJunk), "Datenmuell");
    EXPECT_EQ(Text(texts::kTrayRecentClear), "Clear recent findings");
    Language() = LanguageTexts();
}
