#include "platform/regfile/hive_values.h"

#include <unordered_map>

#include "base/text.h"
#include "platform/regfile/reg_lines.h"
#include "platform/regfile/reg_text.h"

namespace orlix {
namespace {

// Wine's escaped text up to the unescaped `end`: the escapes a path or a name can hold
// (\\, \", \xNNNN, octal, \n and the like). False when the text is not closed.
bool Unescape(std::string_view s, std::size_t* pos, char end, std::string* out) {
  std::u16string text;
  std::string plain;
  auto flush = [&] {
    text += regfile::Utf8ToUtf16(plain);
    plain.clear();
  };
  std::size_t i = *pos;
  while (i < s.size() && s[i] != end) {
    if (s[i] != '\\' || i + 1 >= s.size()) {
      plain.push_back(s[i++]);
      continue;
    }
    const char c = s[i + 1];
    i += 2;
    if (c == 'x' && i < s.size() && regfile::HexDigit(s[i]) >= 0) {
      unsigned value = 0;
      for (int n = 0; n < 4 && i < s.size() && regfile::HexDigit(s[i]) >= 0; ++n)
        value = value * 16 + static_cast<unsigned>(regfile::HexDigit(s[i++]));
      flush();
      text.push_back(static_cast<char16_t>(value));
    } else if (c >= '0' && c <= '7') {
      unsigned value = static_cast<unsigned>(c - '0');
      for (int n = 0; n < 2 && i < s.size() && s[i] >= '0' && s[i] <= '7'; ++n)
        value = value * 8 + static_cast<unsigned>(s[i++] - '0');
      flush();
      text.push_back(static_cast<char16_t>(value));
    } else {
      switch (c) {
        case 'n': plain.push_back('\n'); break;
        case 'r': plain.push_back('\r'); break;
        case 't': plain.push_back('\t'); break;
        default: plain.push_back(c); break;
      }
    }
  }
  if (i >= s.size()) return false;
  flush();
  *out = regfile::Utf16ToUtf8(text);
  *pos = i + 1;
  return true;
}

}  // namespace

HiveValues ReadWineHiveValues(std::string_view bytes, const std::vector<std::string>& keys,
                              const std::vector<std::string>& presence) {
  HiveValues result;
  // Key lines are compared in their written form, escaped and lower-cased, and only at the
  // lengths asked about: the many lines of the class root cost a few comparisons each.
  auto written = [](const std::string& path) { return ToLowerAscii(ReplaceExact(path, "\\", "\\\\")); };
  std::unordered_map<std::string, const std::string*> wanted, asked;
  std::set<std::size_t> wantedLengths, askedLengths;
  for (const std::string& key : keys) wantedLengths.insert(wanted.emplace(written(key), &key).first->first.size());
  for (const std::string& key : presence) askedLengths.insert(asked.emplace(written(key), &key).first->first.size());
  std::string folded;
  auto lookup = [&](const std::unordered_map<std::string, const std::string*>& table, std::string_view raw) {
    folded.assign(raw);
    for (char& c : folded) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    const auto found = table.find(folded);
    return found == table.end() ? nullptr : found->second;
  };

  const std::string_view arch = "#arch=";
  const std::string_view relative = ";; All keys relative to ";
  regfile::LineReader reader(bytes);
  std::string_view line;
  std::map<std::string, std::string>* current = nullptr;
  while (reader.Next(&line)) {
    line = regfile::TrimLeft(line);
    if (line.empty()) continue;
    if (line.front() == '[') {
      current = nullptr;
      std::size_t end = 1;
      while (end < line.size() && line[end] != ']') end += line[end] == '\\' ? 2 : 1;
      if (end >= line.size()) continue;
      const std::string_view path = line.substr(1, end - 1);
      if (wantedLengths.count(path.size()) > 0) {
        if (const std::string* key = lookup(wanted, path)) current = &result.keys[*key];
      }
      // The key and each key above it.
      for (std::size_t length : askedLengths) {
        if (length > path.size() || (length < path.size() && path.substr(length, 2) != "\\\\")) continue;
        if (const std::string* key = lookup(asked, path.substr(0, length))) result.present.insert(*key);
      }
      continue;
    }
    if (line.substr(0, arch.size()) == arch && result.arch.empty()) {
      result.arch = std::string(regfile::TrimRight(line.substr(arch.size())));
      continue;
    }
    if (line.substr(0, relative.size()) == relative) {
      result.userHive = regfile::StartsWithNoCase(line.substr(relative.size()), "\\\\User");
      continue;
    }
    if (current == nullptr || line.front() != '"') continue;
    std::string name;
    std::size_t pos = 1;
    if (!Unescape(line, &pos, '"', &name)) continue;
    if (pos >= line.size() || line[pos] != '=') continue;
    std::string_view data = line.substr(pos + 1);
    if (data.substr(0, 7) == "str(2):") data.remove_prefix(7);
    if (data.empty() || data.front() != '"') continue;
    std::string value;
    pos = 1;
    if (Unescape(data, &pos, '"', &value)) (*current)[name] = std::move(value);
  }
  return result;
}

HiveValues ReadRegistryExportValues(std::string_view bytes, const std::vector<std::string>& keys) {
  HiveValues result;
  const bool utf16 = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                     static_cast<unsigned char>(bytes[1]) == 0xFE;
  std::string text;
  if (utf16) {
    text = regfile::Utf16ToUtf8(regfile::BytesToUtf16(bytes.substr(2)));
  } else {
    text = regfile::IsValidUtf8(bytes) ? std::string(bytes) : regfile::Utf16ToUtf8(regfile::Cp1252ToUtf16(bytes));
  }
  const bool unicode = text.compare(0, 8, "REGEDIT4") != 0;  // version 5 stores hex(2) as UTF-16LE

  regfile::LineReader reader(text);
  std::string_view line;
  std::string joined;
  std::map<std::string, std::string>* current = nullptr;
  while (reader.Next(&line)) {
    // hex data continues on the next line after a backslash.
    joined.assign(regfile::TrimLeft(line));
    while (!joined.empty() && joined.back() == '\\' && reader.Next(&line)) {
      joined.pop_back();
      joined.append(regfile::TrimLeft(line));
    }
    const std::string_view s = joined;
    if (s.empty()) continue;
    if (s.front() == '[') {
      current = nullptr;
      const std::size_t end = s.rfind(']');
      if (end == std::string_view::npos) continue;
      const std::string_view path = s.substr(1, end - 1);
      for (const std::string& key : keys) {
        if (EqualsNoCase(path, key)) current = &result.keys[key];
      }
      continue;
    }
    if (current == nullptr || (s.front() != '"' && s.front() != '@')) continue;
    std::string name;
    std::size_t pos = 1;
    if (s.front() == '"' && !Unescape(s, &pos, '"', &name)) continue;
    if (pos >= s.size() || s[pos] != '=') continue;
    const std::string_view data = s.substr(pos + 1);
    std::string value;
    if (!data.empty() && data.front() == '"') {
      pos = 1;
      if (!Unescape(data, &pos, '"', &value)) continue;
    } else if (data.substr(0, 7) == "hex(2):") {
      std::string raw, error;
      if (!regfile::ParseHexBytes(data.substr(7), &raw, &error)) continue;
      value = unicode ? regfile::Utf16ToUtf8(regfile::BytesToUtf16(raw))
                      : regfile::Utf16ToUtf8(regfile::Cp1252ToUtf16(raw));
      value.resize(value.find('\0') == std::string::npos ? value.size() : value.find('\0'));
    } else {
      continue;
    }
    (*current)[name] = std::move(value);
  }
  return result;
}

}  // namespace orlix
