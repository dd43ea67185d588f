#include "report/registry.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <optional>
#include <stdexcept>

#include "base/text.h"

namespace orlix {
namespace {

// A class root in memory with the narrow registry's rules: string data keeps its terminator,
// a value larger than the caller's buffer gives kMoreData, handles are counted.
class FakeRegistry : public RegistrySource {
 public:
  struct Value {
    std::uint32_t type;
    std::string bytes;
  };
  static constexpr RegKey kRoot = 1;

  void SetString(const std::string& path, const std::string& name, const std::string& text) {
    keys_[ToLowerAscii(path)][name] = Value{reg_type::kSz, text + '\0'};
  }
  void SetRaw(const std::string& path, const std::string& name, std::uint32_t type, const std::string& bytes) {
    keys_[ToLowerAscii(path)][name] = Value{type, bytes};
  }
  void DenyValues(const std::string& path) { denied_.insert(ToLowerAscii(path)); }
  std::size_t OpenHandles() const { return open_.size(); }

  RegKey Root() const override { return kRoot; }
  long OpenKey(RegKey parent, const std::string& path, RegKey* opened) override {
    *opened = 0;
    const std::string* base = PathOf(parent);
    if (!base) return reg_status::kInvalidHandle;
    std::string full = *base;
    if (!path.empty()) full += (full.empty() ? "" : "\\") + ToLowerAscii(path);
    if (!full.empty() && !keys_.count(full)) return reg_status::kFileNotFound;
    *opened = next_++;
    open_[*opened] = full;
    return reg_status::kSuccess;
  }
  long EnumKey(RegKey, std::uint32_t, std::size_t, std::string*) override { return reg_status::kNoMoreItems; }
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                  std::uint32_t* size) override {
    queriedType = *type;
    data->clear();
    const std::string* path = PathOf(key);
    if (!path) return reg_status::kInvalidHandle;
    if (denied_.count(*path)) return reg_status::kAccessDenied;
    auto k = keys_.find(*path);
    if (k == keys_.end()) return reg_status::kFileNotFound;
    auto v = k->second.find(name);
    if (v == k->second.end()) return reg_status::kFileNotFound;
    *type = v->second.type;
    const auto needed = static_cast<std::uint32_t>(v->second.bytes.size());
    if (needed > *size) {
      *size = needed;
      return reg_status::kMoreData;
    }
    *size = needed;
    *data = v->second.bytes;
    return reg_status::kSuccess;
  }
  long CloseKey(RegKey key) override {
    if (key == kRoot) return reg_status::kSuccess;
    return open_.erase(key) ? reg_status::kSuccess : reg_status::kInvalidHandle;
  }

  std::uint32_t queriedType = 0;

 private:
  const std::string* PathOf(RegKey key) const {
    static const std::string root;
    if (key == kRoot) return &root;
    auto it = open_.find(key);
    return it == open_.end() ? nullptr : &it->second;
  }
  std::map<std::string, std::map<std::string, Value>> keys_;
  std::set<std::string> denied_;
  std::map<RegKey, std::string> open_;
  RegKey next_ = 100;
};

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
  EXPECT_EQ(source.OpenHandles(), 0u);
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
  source.DenyValues("locked");
  const RegKey key = registry.GetKey(source.Root(), "locked");
  ASSERT_NE(key, 0u);
  EXPECT_EQ(registry.GetValue(key, ""), std::nullopt);
  registry.CloseKey(key);
  EXPECT_EQ(registry.GetValue(key, ""), std::nullopt);  // closed handle
  EXPECT_EQ(registry.GetValue(0, ""), std::nullopt);
}

}  // namespace
}  // namespace orlix
