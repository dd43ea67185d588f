// RegistryAPI: the two class-root readers of the component scan. Failures never surface:
// they turn into an empty text or a shorter list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/word_scan.h"
#include "platform/registry_key.h"
#include "platform/registry_source.h"

namespace orlix {

namespace registry_api {
constexpr std::uint32_t kValueBufferBytes = 1024;
constexpr std::size_t kNameBufferChars = 260;
constexpr std::uint32_t kMaxSubKeyNames = 999999;
constexpr std::size_t kListGrowth = 100;
}  // namespace registry_api

// The length of `size` bytes at `text` up to their first null (all of them when there is none).
inline std::size_t LengthToNull(const char* text, std::size_t size) { return wordscan::Find(text, size, 0); }

// The default value of root\path as text, or the empty text when the key cannot be opened or
// the value is absent, unreadable or larger than the 1024-byte buffer. The value's type is
// ignored and expandable strings stay unexpanded. The text ends at the value's first null.
std::string ReadDefaultValue(RegistrySource& registry, RegKey root, std::string_view path);
// The same read into `text`, whose room is kept from read to read.
void ReadDefaultValue(RegistrySource& registry, RegKey root, std::string_view path, std::string* text);

// The names of the subkeys of root\path (root itself for an empty path) in the registry's
// order, in slots 1..n; slot 0 is always the empty text. A key that cannot be opened gives the
// single empty slot; any enumeration failure ends the list.
std::vector<std::string> EnumSubKeyNames(RegistrySource& registry, RegKey root, const std::string& path);

// The same enumeration without the list: visit(name) for each name in order, through one name
// buffer (the view lasts until visit returns). visit must not call the registry, so that the
// calls stay those of EnumSubKeyNames.
template <typename Visit>
void ForEachSubKeyName(RegistrySource& registry, RegKey root, std::string_view path, std::string& buffer,
                       Visit&& visit) {
  RegKey key = root;
  ScopedRegKey opened;
  if (!path.empty()) {
    opened = ScopedRegKey(registry, root, path);
    if (!opened) return;
    key = opened.get();
  }
  for (std::uint32_t i = 0; i < registry_api::kMaxSubKeyNames; ++i) {
    if (registry.EnumKey(key, i, registry_api::kNameBufferChars, &buffer) != reg_status::kSuccess) break;
    // The narrow API hands back a null-terminated buffer: the name ends at its first null
    // (not through memchr: under Wine it is a call and a byte loop per name).
    visit(std::string_view(buffer.data(), LengthToNull(buffer.data(), buffer.size())));
  }
}

}  // namespace orlix
