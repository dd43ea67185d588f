// A portable reader of Windows initialisation files that answers lookups the way the profile
// functions do:
// - lines end at CR or LF; white space (blank, tab, VT, FF and the DOS end-of-file mark 0x1A) around
//   section names, key names and values is dropped;
// - "[name]" opens a section, the name running to the last "]" of the line; a "[" line without "]"
//   is ignored; lines before the first header belong to a section with the empty name;
// - other lines are key=value (at the first "="); a line without "=" names a key without a value,
//   which reads as missing; ";" has no special meaning (such keys are simply never asked for);
// - names compare without regard to ASCII letter case; only the first section of a name is
//   searched and the first occurrence of a key in it wins;
// - a value (or default) that starts and ends with the same quotation mark (" or ') loses that
//   pair; trailing blanks of the default are dropped; text stops at a NUL;
// - a file with a UTF-8 byte order mark is read without it, a UTF-16 file (either byte order mark)
//   is converted to UTF-8; any other file is taken byte for byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_reader.h"

namespace orlix {

class IniFile {
 public:
  // Reads the file's bytes; nullopt when the file cannot be opened.
  static std::optional<IniFile> Load(const std::string& path);
  static IniFile Parse(std::string_view bytes);

  // The value under section/key, quotes still on; nullopt when absent or when the key has no "=".
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

 private:
  struct Entry {
    std::string key;
    std::optional<std::string> value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  std::vector<Section> sections_;
};

// What a profile lookup copies into a buffer of bufferChars characters: one enclosing pair of
// quotation marks removed, then cut to bufferChars - 1 characters (UTF-8 sequences count as one
// character and are never split).
std::string CopyProfileEntry(std::string_view value, std::size_t bufferChars);

// The profile lookup over a file read afresh on every call (nothing is cached).
class IniFileProfileReader : public ProfileReader {
 public:
  std::string GetString(const std::string& section, const std::string& key, const std::string& defaultText,
                        std::size_t bufferChars, const std::string& path) const override;
};

}  // namespace orlix
