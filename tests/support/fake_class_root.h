// A class root held in memory for tests of registry readers: keys by path, string values, and a
// count of the keys still open.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "base/text.h"
#include "platform/registry_source.h"

namespace orlix {
namespace testing_support {

class FakeClassRoot : public RegistrySource {
 public:
  // Adds the key (and its parents) with a value; empty name is the default value.
  void Set(const std::string& path, const std::string& name, const std::string& value) {
    std::string prefix;
    for (const std::string& part : Split(path, "\\")) {
      prefix = prefix.empty() ? part : prefix + "\\" + part;
      keys_[ToLowerAscii(prefix)];
    }
    keys_[ToLowerAscii(path)][ToLowerAscii(name)] = value;
  }

  RegKey Root() const override { return kRoot; }

  long OpenKey(RegKey parent, std::string_view path, RegKey* opened) override {
    std::string base;
    if (parent != kRoot) {
      auto it = open_.find(parent);
      if (it == open_.end()) return reg_status::kInvalidHandle;
      base = it->second;
    }
    const std::string sub(path);
    const std::string full = ToLowerAscii(base.empty() ? sub : sub.empty() ? base : base + "\\" + sub);
    if (!keys_.count(full)) return reg_status::kFileNotFound;
    *opened = next_++;
    open_[*opened] = full;
    return reg_status::kSuccess;
  }

  long EnumKey(RegKey, std::uint32_t, std::size_t, std::string*) override { return reg_status::kNoMoreItems; }

  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                  std::uint32_t* size) override {
    auto it = open_.find(key);
    if (it == open_.end()) return reg_status::kInvalidHandle;
    const auto& values = keys_[it->second];
    auto v = values.find(ToLowerAscii(name));
    if (v == values.end()) return reg_status::kFileNotFound;
    const std::uint32_t needed = static_cast<std::uint32_t>(v->second.size() + 1);
    if (type) *type = reg_type::kSz;
    if (needed > *size) {
      *size = needed;
      data->clear();
      return reg_status::kMoreData;
    }
    *size = needed;
    *data = v->second + '\0';
    return reg_status::kSuccess;
  }

  long CloseKey(RegKey key) override { return open_.erase(key) ? reg_status::kSuccess : reg_status::kInvalidHandle; }

  std::size_t OpenKeyCount() const { return open_.size(); }

 private:
  static constexpr RegKey kRoot = 0x80000000u;
  std::map<std::string, std::map<std::string, std::string>> keys_;
  std::map<RegKey, std::string> open_;
  RegKey next_ = 0x1000;
};

}  // namespace testing_support
}  // namespace orlix
