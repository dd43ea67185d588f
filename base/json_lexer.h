// The lexical layer of the JSON readers (scan snapshots, data files): blanks, punctuation and
// strings, read on from a position in a text. Each reader adds its grammar and words its errors.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orlix {

class JsonLexer {
 protected:
  // Why a string cannot be read; the read position then stands just past the fault.
  enum class StringFault { kNone, kNotClosed, kControlCharacter, kUnknownEscape, kHexDigits };

  explicit JsonLexer(std::string_view s) : s_(s) {}

  void SkipSpace() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
  }
  bool Consume(char c) {
    SkipSpace();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }

  // Reads the string whose opening quote is at the read position into `out`, and moves past its
  // closing quote. A lone surrogate escape reads as U+FFFD, as the writers turn bytes that are
  // not UTF-8 into it; an escape after a lone high surrogate stands for itself.
  StringFault ReadString(std::string& out);
  // The words for a fault (a data file's error names the unknown escape itself).
  static const char* StringFaultText(StringFault fault);

  // The line (from 1) of the read position.
  std::size_t Line() const;

  std::string_view s_;
  std::size_t i_ = 0;

 private:
  // Position of the first quote, backslash or control character from `from` on (or the end).
  std::size_t PlainEnd(std::size_t from) const;
  bool Hex4(unsigned& value);
  bool CodePoint(char32_t& cp);
};

}  // namespace orlix
