#include "report/registry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/native/fake_registry.h"

namespace orlix {
namespace {

using testing_support::FakeRegistry;

class RegistryTest : public ::testing::Test {
 protected:
  FakeRegistry source;
  cRegistry registry{source};
};

TEST_F(RegistryTest, KeysOpenByPathAndCloseOnce) {
  source.SetString("txtfile\\shell\\open\\command", "", "notepad.exe %1");
  const RegKey command = registry.GetKey(source.Root(), "TXTFILE\\Shell\\Open\\Command");
  EXPECT_NE(command, 0u);
  EXPECT_EQ(registry.GetValue(command, ""), "notepad.exe %1");
  EXPECT_TRUE(registry.CloseKey(command));
  EXPECT_FALSE(registry.CloseKey(command));
  EXPECT_FALSE(registry.CloseKey(0));
  EXPECT_EQ(registry.GetKey(source.Root(), "nofile\\shell"), 0u);
  EXPECT_EQ(registry.GetKey(0, "txtfile"), 0u);
  EXPECT_EQ(source.OpenKeys(), 0);
}

// Values are read through a 254-byte buffer: a text of 253 characters and its terminator fits,
// a longer one or one that fills the buffer without a terminator is no value, never a cut text.
TEST_F(RegistryTest, ValuesAsTextWithTheirBlanksWithinTheBuffer) {
  source.SetString("k", "", "htmlfile");
  source.SetString("k", "Content Type", "  text/html  ");
  source.SetString("k", "Empty", "");
  source.SetString("k", "253", std::string(252, 'a') + " ");
  source.SetString("k", "254", std::string(254, 'b'));
  source.SetRaw("k", "dword", reg_type::kDword, std::string("\x41\x42\x00\x00", 4));
  source.SetRaw("k", "multi", reg_type::kMultiSz, std::string("one\0two\0\0", 9));
  source.SetRaw("k", "full", reg_type::kSz, std::string(254, 'z'));
  source.SetRaw("k", "binary", reg_type::kBinary, std::string(254, '\x01'));
  source.SetRaw("k", "short", reg_type::kSz, "abc");  // the API terminates a shorter string
  source.SetRaw("k", "short binary", reg_type::kBinary, "abc");
  const RegKey key = registry.GetKey(source.Root(), "k");
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"", "htmlfile"}, {"Content Type", "  text/html  "}, {"Empty", ""}, {"Missing", std::nullopt},
      {"253", std::string(252, 'a') + " "}, {"254", std::nullopt}, {"dword", "AB"}, {"multi", "one"},
      {"full", std::nullopt}, {"binary", std::nullopt}, {"short", "abc"}, {"short binary", std::nullopt}};
  for (const auto& [name, value] : cases) EXPECT_EQ(registry.GetValue(key, name), value) << name;
  EXPECT_EQ(source.queriedType, reg_type::kSz);
  registry.CloseKey(key);
}

TEST_F(RegistryTest, FailuresReadAsNoValue) {
  source.SetString("locked", "", "secret");
  source.Add("locked").denyValues = true;
  const RegKey key = registry.GetKey(source.Root(), "locked");
  ASSERT_NE(key, 0u);
  EXPECT_EQ(registry.GetValue(key, ""), std::nullopt);
  registry.CloseKey(key);
  EXPECT_EQ(registry.GetValue(key, ""), std::nullopt);  // closed handle
  EXPECT_EQ(registry.GetValue(0, ""), std::nullopt);
}

}  // namespace
}  // namespace orlix
