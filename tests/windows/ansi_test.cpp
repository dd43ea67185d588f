#include "platform/ansi_win.h"

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

}  // namespace
}  // namespace orlix
