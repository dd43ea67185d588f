#include "base/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace orlix {
namespace {

TEST(TextEncoding, Utf8RoundTripsEveryLengthAndRejectsMalformedSequences) {
  std::string text;
  for (char32_t cp : {U'A', U'\u00E9', U'\u20AC', U'\U0001F600', U'\U0010FFFF'}) AppendUtf8(text, cp);
  EXPECT_EQ(text, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
  std::size_t pos = 0;
  char32_t cp = 0;
  std::u32string decoded;
  while (pos < text.size() && DecodeUtf8(text, &pos, &cp)) decoded += cp;
  EXPECT_EQ(decoded, U"A\u00E9\u20AC\U0001F600\U0010FFFF");

  // Overlong, surrogate, beyond U+10FFFF, stray continuation and truncated forms: one byte each.
  for (const std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xE2\x82"}) {
    pos = 0;
    EXPECT_FALSE(DecodeUtf8(bad, &pos, &cp)) << bad;
    EXPECT_EQ(pos, 1u);
  }
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
}

TEST(TextEncoding, Utf16PairsSurrogatesAndReadsBothByteOrders) {
  EXPECT_EQ(Utf16ToUtf8(u"x\U0001F600"), "x\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(Utf16FromBytes(std::string("A\0\xAC\x20\x01", 5), false), u"A\u20AC");
  EXPECT_EQ(Utf16FromBytes(std::string("\0A\x20\xAC", 4), true), u"A\u20AC");
}

TEST(TextEncoding, Windows1252MapsItsUpperHalfAndKeepsTheUnassignedBytesAsControls) {
  EXPECT_EQ(Cp1252ToUnicode(0x80), 0x20AC);
  EXPECT_EQ(Cp1252ToUnicode(0x9F), 0x0178);
  EXPECT_EQ(Cp1252ToUnicode(0xE9), 0x00E9);
  EXPECT_EQ(Cp1252ToUnicode(0x81), 0x0081);
  EXPECT_TRUE(IsUnassignedCp1252(0x81));
  EXPECT_FALSE(IsUnassignedCp1252(0x80));
  EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80 \x93q\x94 \x91s\x92"),
            "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x98s\xE2\x80\x99");
}

}  // namespace
}  // namespace orlix
