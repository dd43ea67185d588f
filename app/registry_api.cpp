#include "app/registry_api.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/registry_key.h"

namespace orlix {

std::string ReadDefaultValue(RegistrySource& registry, RegKey root, std::string_view path) {
  std::string text;
  ReadDefaultValue(registry, root, path, &text);
  return text;
}

void ReadDefaultValue(RegistrySource& registry, RegKey root, std::string_view path, std::string* text) {
  text->clear();
  const ScopedRegKey key(registry, root, path);
  if (!key) return;
  std::uint32_t type = reg_type::kNone;
  std::uint32_t size = registry_api::kValueBufferBytes;
  if (registry.QueryValue(key.get(), std::string(), &type, text, &size) != reg_status::kSuccess || size == 0) {
    text->clear();
    return;
  }
  // A string value carries its terminating null; one stored without it keeps its last character.
  // Anything after an embedded null (REG_MULTI_SZ, binary data) is not part of the text that
  // the grid and the reports can show. (One cut: each is a call into the library.)
  std::size_t length = text->size();
  if (length > 0 && (*text)[length - 1] == '\0') --length;
  text->resize(LengthToNull(text->data(), length));
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
  std::string buffer;
  ForEachSubKeyName(registry, root, path, buffer, [&names](std::string_view name) {
    if (names.size() >= names.capacity())
      names.reserve(std::max(names.size() + registry_api::kListGrowth, 2 * names.capacity()));
    names.emplace_back(name);
  });
  return names;
}

}  // namespace orlix
