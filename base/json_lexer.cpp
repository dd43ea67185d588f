#include "base/json_lexer.h"

#include <algorithm>
#include <cstdint>

#include "base/text_encoding.h"
#include "base/word_scan.h"

namespace orlix {

std::size_t JsonLexer::PlainEnd(std::size_t from) const {
  std::size_t end = from;
  for (; s_.size() - end >= 8; end += 8) {
    const std::uint64_t word = wordscan::Load(s_.data() + end);
    const std::uint64_t flags = wordscan::Equal(word, '"') | wordscan::Equal(word, '\\') | wordscan::Below(word, 0x20);
    if (flags) return end + wordscan::FirstFlagged(flags);
  }
  while (end < s_.size() && s_[end] != '"' && s_[end] != '\\' && static_cast<unsigned char>(s_[end]) >= 0x20) ++end;
  return end;
}

JsonLexer::StringFault JsonLexer::ReadString(std::string& out) {
  ++i_;  // the opening quote
  // Most strings are one run of plain characters.
  const std::size_t first = PlainEnd(i_);
  if (first < s_.size() && s_[first] == '"') {
    out.assign(s_.data() + i_, first - i_);
    i_ = first + 1;
    return StringFault::kNone;
  }
  // Escapes only shorten the text: what lies before the closing quote is room enough.
  std::size_t close = first;
  while (close < s_.size() && s_[close] == '\\') close = PlainEnd(close + 2 < s_.size() ? close + 2 : s_.size());
  out.clear();
  out.reserve(close - i_);
  while (true) {
    const std::size_t end = PlainEnd(i_);
    out.append(s_.substr(i_, end - i_));
    i_ = end;
    if (i_ >= s_.size()) return StringFault::kNotClosed;
    const char c = s_[i_++];
    if (c == '"') return StringFault::kNone;
    if (c != '\\') return StringFault::kControlCharacter;
    if (i_ >= s_.size()) return StringFault::kNotClosed;
    char32_t cp = 0;
    switch (s_[i_++]) {
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case '/': out += '/'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'u':
        if (!CodePoint(cp)) return StringFault::kHexDigits;
        AppendUtf8(out, cp);
        break;
      default: return StringFault::kUnknownEscape;
    }
  }
}

const char* JsonLexer::StringFaultText(StringFault fault) {
  switch (fault) {
    case StringFault::kNotClosed: return "a string is not closed";
    case StringFault::kControlCharacter: return "a control character inside a string";
    case StringFault::kHexDigits: return "\\u needs four hexadecimal digits";
    default: return "an unknown escape in a string";
  }
}

std::size_t JsonLexer::Line() const {
  const std::size_t end = std::min(i_, s_.size());
  return 1 + static_cast<std::size_t>(std::count(s_.begin(), s_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

bool JsonLexer::Hex4(unsigned& value) {
  if (s_.size() - i_ < 4) return false;
  value = 0;
  for (int k = 0; k < 4; ++k) {
    const char h = s_[i_++];
    value <<= 4;
    if (h >= '0' && h <= '9') value |= static_cast<unsigned>(h - '0');
    else if (h >= 'a' && h <= 'f') value |= static_cast<unsigned>(h - 'a' + 10);
    else if (h >= 'A' && h <= 'F') value |= static_cast<unsigned>(h - 'A' + 10);
    else return false;
  }
  return true;
}

bool JsonLexer::CodePoint(char32_t& cp) {
  unsigned first = 0;
  if (!Hex4(first)) return false;
  cp = first;
  if (first >= 0xDC00 && first <= 0xDFFF) cp = 0xFFFD;
  if (first < 0xD800 || first > 0xDBFF) return true;
  cp = 0xFFFD;
  if (s_.size() - i_ < 6 || s_[i_] != '\\' || s_[i_ + 1] != 'u') return true;
  const std::size_t back = i_;
  i_ += 2;
  unsigned second = 0;
  if (!Hex4(second)) return false;
  if (second < 0xDC00 || second > 0xDFFF) i_ = back;
  else cp = 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
  return true;
}

}  // namespace orlix
