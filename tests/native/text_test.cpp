#include "base/text.h"

#include <gtest/gtest.h>

#include "base/keyed_collection.h"
#include "report/library.h"

namespace orlix {
namespace {

TEST(Replace, ExactIsCaseSensitiveAndDoesNotRescanInsertedTextNoCaseMatchesAnyCase) {
  EXPECT_EQ(ReplaceExact("a{crlf}b{CRLF}c", "{crlf}", "\r\n"), "a\r\nb{CRLF}c");
  EXPECT_EQ(ReplaceExact("xx", "x", "xx"), "xxxx");
  EXPECT_EQ(ReplaceExact("abc", "", "z"), "abc");
  EXPECT_EQ(ReplaceNoCase("{||bodyrow||}/{||BodyRow||}", "{||BodyRow||}", "R"), "R/R");
  EXPECT_EQ(FindNoCase("abcABC", "CA"), 2u);
  EXPECT_EQ(FindNoCase("ab", "abc"), std::string::npos);
}

TEST(Split, CutsAtEverySeparatorAndKeepsEmptyPieces) {
  EXPECT_TRUE(Split("", "\r\n").empty());
  EXPECT_EQ(Split("a\r\n\r\nb", "\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(Split("a\r\n", "\r\n"), (std::vector<std::string>{"a", ""}));
}

TEST(SpreadsheetTsvLine, QuotesOnlyCellsWithTabsLineBreaksOrQuotes) {
  EXPECT_EQ(SpreadsheetTsvLine({"C:\\x.dll", "", "a b"}, "\r\n"), "C:\\x.dll\t\ta b\r\n");
  EXPECT_EQ(SpreadsheetTsvLine({"a\tb", "say \"hi\"", "1\n2", "3\r"}, "\n"),
            "\"a\tb\"\t\"say \"\"hi\"\"\"\t\"1\n2\"\t\"3\r\"\n");
}

TEST(TrimSpaces, TrimsOnlyTheSpaceCharacter) { EXPECT_EQ(TrimSpaces(" \ta b\t "), "\ta b\t"); }

TEST(KeyedCollection, KeysAreUniqueWithoutRegardToCaseAndOrderIsKept) {
  KeyedCollection<int> c;
  c.Add(std::make_shared<int>(1), "REPORT1");
  c.Add(std::make_shared<int>(2));
  c.Add(std::make_shared<int>(3), "REPORT3");
  EXPECT_THROW(c.Add(std::make_shared<int>(4), "report1"), DuplicateKey);
  EXPECT_EQ(c.Count(), 3u);
  EXPECT_EQ(*c.Item("Report3"), 3);
  EXPECT_THROW(c.Item("REPORT2"), KeyNotFound);
  c.Add(nullptr, "REPORT4");
  EXPECT_TRUE(KeyExists("report1", c));
  EXPECT_FALSE(KeyExists("REPORT4", c));  // a key needs an object under it
  EXPECT_FALSE(KeyExists("REPORT", c));
  c.Add(std::make_shared<int>(5), "REPORT02");  // whole keys are compared
  EXPECT_EQ(NextFreeKeyNumber(c, "REPORT"), 2);
  c.Add(std::make_shared<int>(6), "Report2");
  EXPECT_EQ(NextFreeKeyNumber(c, "report"), 4);  // REPORT4 holds no object
  EXPECT_EQ(NextFreeKeyNumber(c, "OTHER"), 1);
}

TEST(TrimAtNull, TakesTheTextBeforeTheFirstNulTrimmedOfBlanks) {
  EXPECT_EQ(TrimAtNull(std::string("  C:\\Temp \0xyz", 14)), "C:\\Temp");
  EXPECT_EQ(TrimAtNull(std::string("\0abc", 4)), "");
  EXPECT_EQ(TrimAtNull(std::string("\ta\t\0", 4)), "\ta\t");  // only blanks are trimmed
  EXPECT_EQ(TrimAtNull("no terminator"), "");
}

// The word-at-a-time scans themselves are checked at every offset by their users' tests.
TEST(AsciiPrefixLength, StopsAtTheFirstByteAbove0x7F) {
  const std::string ascii(70, 'x');
  for (std::size_t at = 0; at < ascii.size(); at += 7)
    EXPECT_EQ(AsciiPrefixLength(ascii.substr(0, at) + "\xC3\xA9" + ascii), at) << at;
  EXPECT_EQ(AsciiPrefixLength(ascii), ascii.size());
}

}  // namespace
}  // namespace orlix
