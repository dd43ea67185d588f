// Initialisation files from hostile bytes, then lookups of sections and keys the file names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const orlix::IniFile ini = orlix::IniFile::Parse(bytes);

  // Ask for names taken from the input itself so that hits are exercised, not only misses.
  const std::size_t cut = bytes.find('\n');
  const std::string_view first = bytes.substr(0, cut == std::string_view::npos ? 16 : cut);
  const std::size_t eq = first.find('=');
  const std::string_view key = first.substr(0, eq == std::string_view::npos ? first.size() : eq);
  for (std::string_view section : {std::string_view(), first, std::string_view("Section")}) {
    for (std::string_view k : {key, std::string_view("a"), std::string_view()}) {
      if (auto value = ini.Find(section, k)) {
        for (std::size_t chars : {std::size_t(0), std::size_t(1), std::size_t(2), std::size_t(7), std::size_t(4096)}) {
          const std::string copy = orlix::CopyProfileEntry(*value, chars);
          if (chars > 0 && copy.size() > value->size()) __builtin_trap();
        }
      }
    }
  }
  orlix::CopyProfileEntry(bytes, size / 2 + 1);
  return 0;
}
