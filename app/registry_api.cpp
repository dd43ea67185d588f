#include "app/registry_api.h"

#include <algorithm>
#include <utility>

namespace orlix {
namespace {

// Closes a key opened by a reader on every path out of it.
class OpenedKey {
 public:
  OpenedKey(RegistrySource& registry, RegKey key) : registry_(registry), key_(key) {}
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  ~OpenedKey() {
    if (key_ != 0) registry_.CloseKey(key_);
  }
  RegKey get() const { return key_; }

 private:
  RegistrySource& registry_;
  RegKey key_;
};

}  // namespace

std::string ReadDefaultValue(RegistrySource& registry, RegKey root, const std::string& path) {
  RegKey key = 0;
  if (registry.OpenKey(root, path, &key) != reg_status::kSuccess) return std::string();
  const OpenedKey opened(registry, key);

  std::uint32_t type = reg_type::kNone;
  std::uint32_t size = registry_api::kValueBufferBytes;
  std::string data;
  if (registry.QueryValue(opened.get(), std::string(), &type, &data, &size) != reg_status::kSuccess || size == 0)
    return std::string();
  // A string value carries its terminating null; one stored without it keeps its last character.
  if (!data.empty() && data.back() == '\0') data.pop_back();
  // Anything after an embedded null (REG_MULTI_SZ, binary data) is not part of the text that
  // the grid and the reports can show.
  const std::size_t end = data.find('\0');
  if (end != std::string::npos) data.resize(end);
  return data;
}

namespace {
constexpr std::size_t kFirstRoom = 16;
}  // namespace

std::vector<std::string> EnumSubKeyNames(RegistrySource& registry, RegKey root, const std::string& path) {
  // Room grows by at least 100 slots at a time, so that the class root's thousands of names are
  // not reallocated name by name; past a few hundred names it doubles, so that a root of 20,000
  // names is copied a handful of times rather than two hundred. A class registration has a
  // handful of subkeys, so the first room is small: the scan makes one list per component.
  std::vector<std::string> names;
  names.reserve(kFirstRoom);
  names.emplace_back();
  RegKey key = root;
  RegKey openedKey = 0;
  if (!path.empty()) {
    if (registry.OpenKey(root, path, &openedKey) != reg_status::kSuccess) return names;
    key = openedKey;
  }
  const OpenedKey opened(registry, openedKey);

  std::string name;
  for (std::uint32_t i = 1; i <= registry_api::kMaxSubKeyNames; ++i) {
    if (i >= names.capacity())
      names.reserve(std::max(static_cast<std::size_t>(i) + registry_api::kListGrowth, 2 * names.capacity()));
    if (registry.EnumKey(key, i - 1, registry_api::kNameBufferChars, &name) != reg_status::kSuccess) break;
    // The narrow API hands back a null-terminated buffer: the name ends at its first null.
    const std::size_t end = name.find('\0');
    if (end != std::string::npos) name.resize(end);
    names.push_back(std::move(name));
    name.clear();
  }
  return names;
}

}  // namespace orlix
