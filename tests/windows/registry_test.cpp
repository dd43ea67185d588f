// cRegistry over the live registry: keys and values that the test writes under the current
// user's hive, read through the same narrow functions the report jobs use.
#include "report/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
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
    Set(".htm", "", REG_SZ, "htmlfile");
    Set(".htm", "Content Type", REG_SZ, "  text/html  ");
    Set("htmlfile\\shell\\open\\command", "", REG_SZ, "\"C:\\Viewer\\view.exe\" \"%1\"");
    long status = 0;
    live_ = Win32Registry::OpenSubtree(HKEY_CURRENT_USER, path_, &status);
    ASSERT_TRUE(live_) << status;
    registry_ = std::make_unique<cRegistry>(*live_);
  }
  void SetBytes(const std::string& sub, const std::string& name, DWORD type, const std::string& bytes) {
    EXPECT_TRUE(keys_.SetBytes(path_ + "\\" + sub, name, type, bytes));
  }
  void Set(const std::string& sub, const std::string& name, DWORD type, const std::string& text) {
    EXPECT_TRUE(keys_.Set(path_ + "\\" + sub, text, type, name));
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

TEST_F(LiveRegistry, StringValuesUpTo253AnsiCharactersAreReadWhole) {
  Set("sizes", "253", REG_SZ, std::string(250, 'a') + "  b");
  Set("sizes", "254", REG_SZ, std::string(254, 'c'));
  Set("sizes", "accented", REG_SZ, std::string(253, '\xE9'));  // 253 bytes in code page 1252
  Set("sizes", "no default", REG_SZ, "named only");
  const RegKey key = Open("sizes");
  ASSERT_NE(key, 0u);
  EXPECT_EQ(registry_->GetValue(key, "253"), std::string(250, 'a') + "  b");
  EXPECT_EQ(registry_->GetValue(key, "254"), std::nullopt);
  std::string accented;
  for (int i = 0; i < 253; ++i) accented += "\xC3\xA9";
  EXPECT_EQ(registry_->GetValue(key, "accented"), accented);
  EXPECT_EQ(registry_->GetValue(key, ""), std::nullopt);  // the key has no default value
  registry_->CloseKey(key);
}

TEST_F(LiveRegistry, OtherTypesAreReadAsTextAndAFullBufferWithoutTerminatorIsAnError) {
  SetBytes("types", "dword", REG_DWORD, std::string("\x41\x42\x00\x00", 4));
  Set("types", "expand", REG_EXPAND_SZ, "%SystemRoot%\\notepad.exe");
  SetBytes("types", "full", REG_SZ, std::string(254, 'z'));
  SetBytes("types", "binary", REG_BINARY, std::string(254, '\x01'));
  SetBytes("types", "short", REG_SZ, "abc");
  SetBytes("types", "short binary", REG_BINARY, "abc");
  const RegKey key = Open("types");
  ASSERT_NE(key, 0u);
  EXPECT_EQ(registry_->GetValue(key, "dword"), "AB");
  EXPECT_EQ(registry_->GetValue(key, "expand"), "%SystemRoot%\\notepad.exe");
  EXPECT_EQ(registry_->GetValue(key, "full"), std::nullopt);
  EXPECT_EQ(registry_->GetValue(key, "binary"), std::nullopt);
  EXPECT_EQ(registry_->GetValue(key, "short"), "abc");
  EXPECT_EQ(registry_->GetValue(key, "short binary"), std::nullopt);
  registry_->CloseKey(key);
}

}  // namespace
}  // namespace orlix
