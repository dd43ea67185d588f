#include "platform/ini_file.h"

#include <cstdio>

#include "base/text.h"
#include "base/text_encoding.h"

namespace orlix {
namespace {

bool IsProfileSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

std::string_view TrimProfileSpace(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsProfileSpace(text[begin])) ++begin;
  while (end > begin && IsProfileSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string_view CutAtNul(std::string_view text) { return text.substr(0, text.find('\0')); }

std::string DecodeFile(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  if (bytes.substr(0, 2) == "\xFF\xFE") return Utf16ToUtf8(Utf16FromBytes(bytes.substr(2), false));
  if (bytes.substr(0, 2) == "\xFE\xFF") return Utf16ToUtf8(Utf16FromBytes(bytes.substr(2), true));
  return std::string(bytes);
}

// Length of the UTF-8 sequence at text[i]; a byte that starts no valid sequence counts alone.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (i + length > text.size()) return 1;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

std::string_view FirstChars(std::string_view text, std::size_t chars) {
  std::size_t i = 0;
  while (i < text.size() && chars > 0) {
    i += SequenceLength(text, i);
    --chars;
  }
  return text.substr(0, i);
}

}  // namespace

std::optional<IniFile> IniFile::Load(const std::string& path) {
  // stdio rather than streams: a read error (a folder under the name, say) must not throw.
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::string bytes;
  char chunk[8192];
  std::size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return Parse(bytes);
}

IniFile IniFile::Parse(std::string_view bytes) {
  const std::string text = DecodeFile(bytes);
  IniFile file;
  file.sections_.push_back(Section{});  // keys before the first header
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = TrimProfileSpace(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close == 0 || close == std::string_view::npos) continue;
      file.sections_.push_back(Section{std::string(CutAtNul(TrimProfileSpace(line.substr(1, close - 1)))), {}});
      continue;
    }
    Entry entry;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      entry.key = std::string(CutAtNul(line));
    } else {
      entry.key = std::string(CutAtNul(TrimProfileSpace(line.substr(0, equals))));
      entry.value = std::string(CutAtNul(TrimProfileSpace(line.substr(equals + 1))));
    }
    file.sections_.back().entries.push_back(std::move(entry));
  }
  return file;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  section = TrimProfileSpace(section);
  key = TrimProfileSpace(key);
  for (const Section& s : sections_) {
    if (!EqualsNoCase(s.name, section)) continue;
    // Only the first section of the name counts, even when a later one holds the key.
    for (const Entry& e : s.entries) {
      if (EqualsNoCase(e.key, key)) return e.value;
    }
    return std::nullopt;
  }
  return std::nullopt;
}

std::string CopyProfileEntry(std::string_view value, std::size_t bufferChars) {
  if (bufferChars == 0) return std::string();
  value = CutAtNul(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(FirstChars(value, bufferChars - 1));
}

std::string IniFileProfileReader::GetString(const std::string& section, const std::string& key,
                                            const std::string& defaultText, std::size_t bufferChars,
                                            const std::string& path) const {
  if (const std::optional<IniFile> file = IniFile::Load(path)) {
    if (const std::optional<std::string> value = file->Find(section, key)) return CopyProfileEntry(*value, bufferChars);
  }
  std::string_view fallback = CutAtNul(defaultText);
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  return CopyProfileEntry(fallback, bufferChars);
}

}  // namespace orlix
