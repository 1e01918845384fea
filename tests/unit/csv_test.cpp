// Findings saved for spreadsheets: CSV as RFC 4180 has it, UTF-8 after a
// byte-order mark, and no cell a spreadsheet could run as a formula.
#include <gtest/gtest.h>

#include "core/csv.h"

using namespace vigilo;

TEST(Csv, CellsAreQuotedAsRfc4180AsksAndLinesEndInCrLfAfterTheByteOrderMark) {
    EXPECT_EQ(CsvCell("plain text"), "plain text");
    EXPECT_EQ(CsvCell(""), "");
    EXPECT_EQ(CsvCell("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvCell("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvCell("two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(CsvCell("line\nfeed"), "\"line\nfeed\"");
    EXPECT_EQ(CsvCell("\"\""), "\"\"\"\"\"\"");
    EXPECT_EQ(CsvCell("\xC3\x84pfel \xE4\xB8\xAD\xE6\x96\x87"), "\xC3\x84pfel \xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(CsvLine({"a", "b,c", ""}), "a,\"b,c\",\r\n");
    EXPECT_EQ(CsvDocument({{"When", "Name"}, {"2026-03-07 09:01:02", "Updater"}}),
              "\xEF\xBB\xBFWhen,Name\r\n2026-03-07 09:01:02,Updater\r\n");
    EXPECT_EQ(CsvDocument({}), "\xEF\xBB\xBF");
}

TEST(Csv, ACellThatBeginsAsAFormulaGetsALeadingApostrophe) {
    EXPECT_EQ(CsvCell("=HYPERLINK(\"x\")"), "\"'=HYPERLINK(\"\"x\"\")\"");
    EXPECT_EQ(CsvCell("=1+2"), "'=1+2");
    EXPECT_EQ(CsvCell("+1"), "'+1");
    EXPECT_EQ(CsvCell("-cmd"), "'-cmd");
    EXPECT_EQ(CsvCell("@SUM(A1)"), "'@SUM(A1)");
    EXPECT_EQ(CsvCell("\tx"), "'\tx");
    EXPECT_EQ(CsvCell("\rx"), "\"'\rx\"");
    EXPECT_EQ(CsvCell("=a,b"), "\"'=a,b\"");
    // Only the first character counts.
    EXPECT_EQ(CsvCell(" =1"), " =1");
    EXPECT_EQ(CsvCell("a=1-2"), "a=1-2");
    EXPECT_EQ(CsvCell("'=1"), "'=1");
}
