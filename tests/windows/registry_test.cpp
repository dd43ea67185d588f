// cRegistry over the live registry: keys and values that the test writes under the current
// user's hive, read through the same narrow functions the report jobs use.
#include "report/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/registry_win.h"
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

class LiveRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "Software\\OrlixTestRegistry-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount());
    keys_.Own(path_);
    ASSERT_TRUE(keys_.Set(path_ + "\\.htm", "htmlfile"));
    ASSERT_TRUE(keys_.Set(path_ + "\\.htm", "  text/html  ", REG_SZ, "Content Type"));
    ASSERT_TRUE(keys_.Set(path_ + "\\htmlfile\\shell\\open\\command", "\"C:\\Viewer\\view.exe\" \"%1\""));
    long status = 0;
    live_ = Win32Registry::OpenSubtree(HKEY_CURRENT_USER, path_, &status);
    ASSERT_TRUE(live_) << status;
    registry_ = std::make_unique<cRegistry>(*live_);
  }
  RegKey Open(const std::string& sub) { return registry_->GetKey(live_->Root(), sub); }

  testing_support::TestKeys keys_{HKEY_CURRENT_USER};
  std::string path_;
  std::unique_ptr<Win32Registry> live_;
  std::unique_ptr<cRegistry> registry_;
};

TEST_F(LiveRegistry, FollowsAFileTypeToItsOpenCommand) {
  const RegKey type = Open(".HTM");
  ASSERT_NE(type, 0u);
  EXPECT_EQ(registry_->GetValue(type, ""), "htmlfile");
  EXPECT_EQ(registry_->GetValue(type, "Content Type"), "  text/html  ");
  EXPECT_EQ(registry_->GetValue(type, "Missing"), std::nullopt);
  EXPECT_TRUE(registry_->CloseKey(type));
  const RegKey command = Open("htmlfile\\shell\\open\\command");
  ASSERT_NE(command, 0u);
  EXPECT_EQ(registry_->GetValue(command, ""), "\"C:\\Viewer\\view.exe\" \"%1\"");
  EXPECT_TRUE(registry_->CloseKey(command));
  EXPECT_EQ(Open("nofile\\shell\\open\\command"), 0u);
  EXPECT_EQ(registry_->GetKey(0, ".htm"), 0u);
  EXPECT_FALSE(registry_->CloseKey(0));
}

// Values are read through a 254-byte buffer: strings of up to 253 ANSI characters whole, other
// types as text when they fit with a terminator.
TEST_F(LiveRegistry, ValuesAreReadAsTextWithinTheBuffer) {
  std::string accented;
  for (int i = 0; i < 253; ++i) accented += "\xC3\xA9";
  const struct {
    const char* name;
    DWORD type;
    std::string bytes;
    std::optional<std::string> read;
  } cases[] = {
      {"253", REG_SZ, std::string(250, 'a') + "  b" + '\0', std::string(250, 'a') + "  b"},
      {"254", REG_SZ, std::string(254, 'c') + '\0', std::nullopt},
      {"accented", REG_SZ, std::string(253, '\xE9') + '\0', accented},  // 253 bytes in code page 1252
      {"dword", REG_DWORD, std::string("\x41\x42\x00\x00", 4), "AB"},
      {"expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\notepad.exe") + '\0', "%SystemRoot%\\notepad.exe"},
      {"full", REG_SZ, std::string(254, 'z'), std::nullopt},  // no room for a terminator
      {"binary", REG_BINARY, std::string(254, '\x01'), std::nullopt},
      {"short", REG_SZ, "abc", "abc"},
      {"short binary", REG_BINARY, "abc", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_TRUE(keys_.SetBytes(path_ + "\\values", c.name, c.type, c.bytes)) << c.name;
  const RegKey key = Open("values");
  ASSERT_NE(key, 0u);
  for (const auto& c : cases) EXPECT_EQ(registry_->GetValue(key, c.name), c.read) << c.name;
  EXPECT_EQ(registry_->GetValue(key, ""), std::nullopt);  // the key has no default value
  registry_->CloseKey(key);
}

}  // namespace
}  // namespace orlix
