#include "app/registry_api.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/registry_key.h"

namespace orlix {

std::string ReadDefaultValue(RegistrySource& registry, RegKey root, const std::string& path) {
  const ScopedRegKey key(registry, root, path);
  std::optional<RegValueBytes> value = key.Query(std::string(), registry_api::kValueBufferBytes);
  if (!value || value->size == 0) return std::string();
  std::string data = std::move(value->data);
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
  ScopedRegKey opened;
  if (!path.empty()) {
    opened = ScopedRegKey(registry, root, path);
    if (!opened) return names;
    key = opened.get();
  }

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
