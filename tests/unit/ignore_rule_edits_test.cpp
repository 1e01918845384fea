// Ignore rules without the registry: the exact rule a finding gives, and the
// lines of "Ignore" added, removed and listed as the Ignored tab shows them.
#include <gtest/gtest.h>

#include "core/ignore_rule_edits.h"
#include "core/ignore_rules.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

Finding Startup(const std::string& name, const std::string& stored, const std::string& program) {
    Finding finding{FindingKind::Startup, name};
    finding.storedName = stored;
    finding.program = program;
    return finding;
}

}  // namespace

TEST(IgnoreRuleEdits, AFindingOffersTheExactRuleOfItsKindStoredNameAndProgramWhereItMakesARule) {
    EXPECT_EQ(OfferedIgnoreLine(Startup("Updater", "Updater.lnk", "C:\\Tools\\up*.exe")),
              "startup\t=Updater.lnk\t=C:\\Tools\\up*.exe");
    EXPECT_EQ(OfferedIgnoreLine(Finding{FindingKind::Program, "Photo Editor"}), "program\t=Photo Editor");
    EXPECT_EQ(OfferedIgnoreLine(Startup("Shown", "Stored?*", "")), "startup\t=Stored?*");
    // A field holds 260 characters, "=" counted; a character beyond the BMP is two.
    EXPECT_TRUE(OfferedIgnoreLine(Startup("x", std::string(259, 'n'), "")));
    EXPECT_FALSE(OfferedIgnoreLine(Startup("x", std::string(260, 'n'), "")));
    EXPECT_FALSE(OfferedIgnoreLine(Startup("x", std::string(258, 'n') + "\xF0\x9F\x98\x80", "")));
    EXPECT_FALSE(OfferedIgnoreLine(Startup("x", "n", "C:\\" + std::string(257, 'p'))));
    EXPECT_FALSE(OfferedIgnoreLine(Startup("x", "tab\there", "")));
    EXPECT_FALSE(OfferedIgnoreLine(Startup("x", std::string("nul\0", 4), "")));
    EXPECT_FALSE(OfferedIgnoreLine(Startup("x", "n", "line\r\nend")));
    EXPECT_FALSE(OfferedIgnoreLine(Finding{FindingKind::Junk, ""}));
}

TEST(IgnoreRuleEdits, LinesAreAddedOnceRemovedOneEachAndListedWithWhatTheyAre) {
    CleanSettings settings;
    const std::string defaultLine = "startup\tGoogleUpdate*Task*";
    SetRegistryTexts(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "Ignore",
                     {defaultLine, "startup\tMine", "no tab", "printer\tX", "startup\ta\tb\tc\td"});
    ASSERT_TRUE(AddIgnoreLine("startup\t=Updater"));
    ASSERT_TRUE(AddIgnoreLine("startup\t=Updater"));
    ASSERT_TRUE(AddIgnoreLine("startup\tMine"));
    EXPECT_EQ(ReadIgnoreLines().size(), 6u);

    const std::vector<ListedIgnoreLine> listed = ListIgnoreLines(ReadIgnoreLines(), {"extension\tPolicy | set"});
    ASSERT_EQ(listed.size(), 7u);
    EXPECT_TRUE(listed[0].isDefault);
    EXPECT_EQ(listed[0].fields, (std::vector<std::string>{"startup", "GoogleUpdate*Task*"}));
    EXPECT_FALSE(listed[1].isDefault);
    EXPECT_TRUE(listed[1].notRule.empty());
    for (size_t i : {2, 3, 4}) EXPECT_FALSE(listed[i].notRule.empty()) << listed[i].line;
    EXPECT_EQ(listed[5].fields, (std::vector<std::string>{"startup", "=Updater"}));
    EXPECT_TRUE(listed[6].byPolicy);
    EXPECT_FALSE(listed[6].isDefault);

    ASSERT_TRUE(RemoveIgnoreLines({"startup\t=Updater", "no tab", "not there"}));
    EXPECT_EQ(RegistryTexts(HKEY_CURRENT_USER, "Software\\Purgeon\\Vigilo", "Ignore"),
              (std::vector<std::string>{defaultLine, "startup\tMine", "printer\tX", "startup\ta\tb\tc\td"}));

    // Rules past the 256th are none.
    std::vector<std::string> many(257, "startup\tSame");
    EXPECT_FALSE(ListIgnoreLines(many, {}).back().notRule.empty());
    EXPECT_TRUE(ListIgnoreLines(many, {})[255].notRule.empty());
}
