#include "platform/ansi_win.h"

#include <string>

#include "platform/file_system.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

// The default Wine prefix runs with code page 1252.
TEST(Ansi, ConvertsBetweenUtf8AndTheAnsiCodePage) {
  EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9"), "caf\xE9");
  EXPECT_EQ(AnsiToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC"), "\x80");  // euro sign
  EXPECT_EQ(Utf8ToAnsi(""), "");
}

// Report files copy ASCII runs and convert only the runs between them: the bytes must be those
// of converting the whole text at once, broken sequences included.
TEST(Ansi, ReportFileBytesEqualTheWholeTextConverted) {
  const std::string pieces[] = {"caf\xC3\xA9", "\xE2\x82\xAC", "\xE2\x82", "\xC3", "\xF0\x9F\x98\x80",
                                "\xC0\xAF", "\xED\xA0\x80", "\xC2\x81", "\xFF", "\xE6\x97\xA5"};
  for (const std::string& piece : pieces) {
    for (const std::string& text : {piece, "abc" + piece, piece + "z", "0123456789" + piece + "(x)" + piece,
                                    piece + piece + std::string(17, 'q')}) {
      EXPECT_EQ(TextToFileBytes(text), Utf8ToAnsi(text)) << text;
    }
  }
  EXPECT_EQ(TextToFileBytes("plain {\\rtf1}"), "plain {\\rtf1}");
  EXPECT_EQ(TextToFileBytes(""), "");
}

}  // namespace
}  // namespace orlix
