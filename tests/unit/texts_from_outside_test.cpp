// Texts from outside in every script: files others write decode by their
// byte-order mark or their writer's encoding, names compare ordinally with
// case ignored in every script, and a folder name the code page cannot spell
// is still walked.
#include <gtest/gtest.h>

#include "core/language_texts.h"
#include "monitors/cache_size.h"
#include "support/monitors_support.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const std::string kUeberCafe = "\xC3\x9C" "ber Caf\xC3\xA9";  // "Über Café"
const std::string kSnowmanChinese = "\xE2\x98\x83\xE4\xB8\xAD\xE6\x96\x87";

std::string Utf16Le(const std::string& utf8, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : Utf16(utf8)) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

}  // namespace

TEST(TextsFromOutside, LanguageFilesDecodeByTheirByteOrderMarkElseTheSystemCodePage) {
    TempFolder folder;
    const std::string content = "[Tray]\r\nLaunch=" + kUeberCafe + kSnowmanChinese + "\r\n";
    const struct {
        const char* what;
        std::string bytes;
        std::string expected;
    } files[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + content, kUeberCafe + kSnowmanChinese},
        {"UTF-16 LE", Utf16Le(content, false), kUeberCafe + kSnowmanChinese},
        {"UTF-16 BE", Utf16Le(content, true), kUeberCafe + kSnowmanChinese},
        // Purgeon's own files: code page 1252 here, without a mark.
        {"ANSI", "[Tray]\r\nLaunch=\xDC" "ber Caf\xE9\r\n", kUeberCafe},
    };
    for (const auto& file : files) {
        folder.Write("English.ini", file.bytes);
        EXPECT_EQ(LanguageTexts(folder.File("English.ini")).Get("Tray", "Launch", "d"), file.expected) << file.what;
    }
}

TEST(TextsFromOutside, NamesDifferingOnlyOutsideTheCodePageOrByAnInvisibleCharacterAreNew) {
    const std::string first = "Acc" + kSnowmanChinese + "Updater";
    const std::string second = "Acc\xE2\x98\x82\xE6\x97\xA5\xE6\x9C\xAC" "Updater";  // "Acc☂日本Updater"
    using Names = std::vector<std::string>;
    EXPECT_EQ(AddedNames({first}, {first, second}), Names{second});
    EXPECT_EQ(AddedNames({"Updater"}, {"Updater", "Upd\xC2\xAD" "ater"}), Names{"Upd\xC2\xAD" "ater"});  // soft hyphen
    // Letter case is ignored in every script: "ÄPFEL ŁÓDŹ" is "äpfel łódź".
    EXPECT_EQ(AddedNames({"\xC3\x84PFEL \xC5\x81\xC3\x93" "D\xC5\xB9"}, {"\xC3\xA4pfel \xC5\x82\xC3\xB3" "d\xC5\xBA"}),
              Names{});
}

TEST(TextsFromOutside, ANameThatIsNoValidUtf16IsListedAndOpensAgain) {
    ScratchKey key("LoneSurrogate");
    UniqueKey k = OpenKey(HKEY_CURRENT_USER, key.Path(), KEY_ALL_ACCESS);
    ASSERT_TRUE(k);
    const wchar_t name[] = {L'A', 0xD800, L'B', 0};
    const DWORD data = 1;
    ASSERT_EQ(RegSetValueExW(k.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)),
              ERROR_SUCCESS);
    const std::vector<std::string> names = ListedNames(HKEY_CURRENT_USER, key.Path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(Utf16(names[0]), std::wstring(name));
    EXPECT_TRUE(QueryValueInfo(k.get(), names[0]).has_value());
}

TEST(TextsFromOutside, ACacheSubfolderNamedInAnotherScriptIsCounted) {
    TempFolder cache;
    ASSERT_TRUE(MakeFolders(cache.File(kSnowmanChinese)));
    WriteFile(cache.File(kSnowmanChinese + "\\data_1"), std::string(1000, 'x'));
    EXPECT_EQ(MeasureFolder(cache.Path() + "\\", nullptr), 1000);
}
