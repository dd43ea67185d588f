#include "base/text.h"

#include <gtest/gtest.h>

#include "base/keyed_collection.h"
#include "report/library.h"

namespace orlix {
namespace {

TEST(Replace, ExactIsCaseSensitiveAndDoesNotRescanInsertedText) {
  EXPECT_EQ(ReplaceExact("a{crlf}b{CRLF}c", "{crlf}", "\r\n"), "a\r\nb{CRLF}c");
  EXPECT_EQ(ReplaceExact("xx", "x", "xx"), "xxxx");
  EXPECT_EQ(ReplaceExact("abc", "", "z"), "abc");
}

TEST(Replace, NoCaseMatchesAnyLetterCase) {
  EXPECT_EQ(ReplaceNoCase("{||bodyrow||}/{||BodyRow||}", "{||BodyRow||}", "R"), "R/R");
  EXPECT_EQ(FindNoCase("abcABC", "CA"), 2u);
  EXPECT_EQ(FindNoCase("ab", "abc"), std::string::npos);
}

TEST(Split, CutsAtEverySeparatorAndKeepsEmptyPieces) {
  EXPECT_TRUE(Split("", "\r\n").empty());
  EXPECT_EQ(Split("a\r\n\r\nb", "\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(Split("a\r\n", "\r\n"), (std::vector<std::string>{"a", ""}));
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
  EXPECT_TRUE(KeyExists("report1", c));
  EXPECT_EQ(NextFreeKeyNumber(c, "REPORT"), 2);
  KeyedCollection<int> empty;
  EXPECT_EQ(NextFreeKeyNumber(empty, "REPORT"), 1);
}

TEST(TrimAtNull, TakesTheTextBeforeTheFirstNulTrimmed) {
  EXPECT_EQ(TrimAtNull(std::string("  C:\\Temp \0xyz", 14)), "C:\\Temp");
  EXPECT_EQ(TrimAtNull("no terminator"), "");
}

}  // namespace
}  // namespace orlix
