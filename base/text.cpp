#include "base/text.h"

#include <cstdint>
#include <cstring>

namespace orlix {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

template <typename Find>
std::string ReplaceWith(std::string_view text, std::string_view what, std::string_view with, Find find) {
  if (what.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t hit = find(text, what, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(with);
    pos = hit + what.size();
  }
  if (pos == 0) return std::string(text);
  out.append(text.substr(pos));
  return out;
}

}  // namespace

std::string ReplaceExact(std::string_view text, std::string_view what, std::string_view with) {
  return ReplaceWith(text, what, with,
                     [](std::string_view t, std::string_view w, std::size_t from) { return t.find(w, from); });
}

std::string ReplaceNoCase(std::string_view text, std::string_view what, std::string_view with) {
  return ReplaceWith(text, what, with, [](std::string_view t, std::string_view w, std::size_t from) {
    return FindNoCase(t, w, from);
  });
}

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from) {
  if (what.empty()) return from <= text.size() ? from : std::string_view::npos;
  if (text.size() < what.size()) return std::string_view::npos;
  const char first = LowerAscii(what[0]);
  for (std::size_t i = from; i + what.size() <= text.size(); ++i) {
    if (LowerAscii(text[i]) != first) continue;
    std::size_t k = 1;
    while (k < what.size() && LowerAscii(text[i + k]) == LowerAscii(what[k])) ++k;
    if (k == what.size()) return i;
  }
  return std::string_view::npos;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

std::string TrimSpaces(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  return std::string(text.substr(b, e - b));
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t pos = 0;
  for (;;) {
    const std::size_t hit = text.find(separator, pos);
    if (hit == std::string_view::npos) {
      pieces.emplace_back(text.substr(pos));
      return pieces;
    }
    pieces.emplace_back(text.substr(pos, hit - pos));
    pos = hit + separator.size();
  }
}

std::size_t AsciiPrefixLength(std::string_view text) {
  const char* const begin = text.data();
  const char* p = begin;
  const char* const end = begin + text.size();
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  for (std::uint64_t words[4]; end - p >= 32; p += 32) {
    std::memcpy(words, p, 32);
    if ((words[0] | words[1] | words[2] | words[3]) & kHighBits) break;
  }
  for (std::uint64_t word; end - p >= 8; p += 8) {
    std::memcpy(&word, p, 8);
    if (word & kHighBits) break;
  }
  while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
  return static_cast<std::size_t>(p - begin);
}

std::string SpreadsheetTsvLine(const std::vector<std::string>& cells, std::string_view lineEnd) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += '\t';
    const std::string& cell = cells[i];
    if (cell.find_first_of("\t\r\n\"") == std::string::npos) {
      line += cell;
      continue;
    }
    line += '"';
    for (const char c : cell) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  line += lineEnd;
  return line;
}

}  // namespace orlix
