// Line-level helpers shared by the registry-file readers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orlix::regfile {

// The lines of a text, without their line ends ("\n" or "\r\n").
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  // The next line; false at the end of the text.
  bool Next(std::string_view* line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view l = text_.substr(pos_, end - pos_);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    pos_ = end + 1;
    ++number_;
    *line = l;
    return true;
  }
  // 1-based number of the line last returned.
  std::size_t number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t number_ = 0;
};

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

inline std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Case-insensitive (ASCII) prefix test.
inline bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char a = s[i], b = prefix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

inline bool EqualsNoCaseAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

// A comma-separated list of hex bytes ("0a,ff, 3"), up to a ';' comment or the end.
inline bool ParseHexBytes(std::string_view s, std::string* out, std::string* error) {
  std::size_t i = 0;
  while (true) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i >= s.size() || s[i] == ';') return true;
    const int hi = HexDigit(s[i]);
    if (hi < 0) {
      *error = std::string("bad hex data at '") + std::string(s.substr(i, 8)) + "'";
      return false;
    }
    int value = hi;
    ++i;
    if (i < s.size() && HexDigit(s[i]) >= 0) value = value * 16 + HexDigit(s[i++]);
    if (i < s.size() && HexDigit(s[i]) >= 0) {
      *error = "bad hex data: a byte has more than two digits";
      return false;
    }
    out->push_back(static_cast<char>(value));
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i >= s.size() || s[i] == ';') return true;
    if (s[i] != ',') {
      *error = std::string("bad hex data: expected ',' at '") + std::string(s.substr(i, 8)) + "'";
      return false;
    }
    ++i;
  }
}

}  // namespace orlix::regfile
