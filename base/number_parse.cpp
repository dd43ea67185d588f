// Numeric text as Windows reads it for IsNumeric and VarR8FromStr: blanks at either end, a
// sign before or after, parentheses for negative, the locale's decimal and thousands
// separators and currency symbol, an exponent, and &H/&O radix prefixes.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "base/format.h"

namespace orlix {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Cursor {
  std::string_view text;
  std::size_t pos = 0;
  bool AtEnd() const { return pos >= text.size(); }
  char Peek() const { return AtEnd() ? '\0' : text[pos]; }
  bool Take(std::string_view what) {
    if (what.empty() || text.size() - pos < what.size() || text.substr(pos, what.size()) != what)
      return false;
    pos += what.size();
    return true;
  }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text[pos])) ++pos;
  }
};

// &H / &O: hexadecimal or octal digits only, up to 32 bits, read as an unsigned value
// (&HFFFF is 65535, as VarR8FromStr reads it).
bool ParseRadix(Cursor& c, bool negative, double* out) {
  const char kind = static_cast<char>(c.Peek() | 0x20);
  if (kind != 'h' && kind != 'o') return false;
  ++c.pos;
  const int radix = kind == 'h' ? 16 : 8;
  std::uint64_t value = 0;
  int digits = 0;
  while (!c.AtEnd()) {
    const char ch = c.Peek();
    int d;
    if (IsDigit(ch)) d = ch - '0';
    else if (radix == 16 && (ch | 0x20) >= 'a' && (ch | 0x20) <= 'f') d = (ch | 0x20) - 'a' + 10;
    else break;
    if (d >= radix) return false;
    value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(d);
    if (value > 0xFFFFFFFFull) return false;
    ++digits;
    ++c.pos;
  }
  if (digits == 0) return false;
  c.SkipBlanks();
  if (!c.AtEnd()) return false;
  double result = static_cast<double>(value);
  if (negative) result = -result;
  if (out) *out = result;
  return true;
}

}  // namespace

bool ParseNumberText(std::string_view text, const LocaleInfo& locale, double* out) {
  Cursor c{text};
  bool negative = false, signSeen = false, parens = false, currencySeen = false;
  c.SkipBlanks();
  // Most text is no number, which its first character already tells.
  const char lead = c.Peek();
  if (!IsDigit(lead) && lead != '+' && lead != '-' && lead != '(' && lead != '&' &&
      !(!locale.currencySymbol.empty() && lead == locale.currencySymbol[0]) &&
      lead != (locale.decimalSeparator.empty() ? '.' : locale.decimalSeparator[0]))
    return false;
  // A sign, a parenthesis and the currency symbol, in any order, each once: before the number
  // (an opening parenthesis) or after it (the closing one).
  const auto affixes = [&](bool leading) {
    for (;;) {
      const char ch = c.Peek();
      if (!signSeen && !parens && (ch == '+' || ch == '-')) {
        signSeen = true;
        negative = ch == '-';
        ++c.pos;
      } else if (leading && !parens && !signSeen && ch == '(') {
        parens = negative = true;
        ++c.pos;
      } else if (!leading && parens && ch == ')') {
        parens = false;
        signSeen = true;
        ++c.pos;
      } else if (!currencySeen && c.Take(locale.currencySymbol)) {
        currencySeen = true;
      } else {
        break;
      }
      c.SkipBlanks();
    }
  };
  affixes(true);
  if (c.Peek() == '&') {
    if (parens || currencySeen) return false;
    ++c.pos;
    return ParseRadix(c, negative, out);
  }

  std::string digits;  // ASCII mantissa for from_chars
  bool anyDigit = false, pointSeen = false;
  const std::string_view point =
      locale.decimalSeparator.empty() ? std::string_view(".") : std::string_view(locale.decimalSeparator);
  while (!c.AtEnd()) {
    const char ch = c.Peek();
    if (IsDigit(ch)) {
      digits += ch;
      anyDigit = true;
      ++c.pos;
    } else if (!pointSeen && c.Take(point)) {
      pointSeen = true;
      digits += '.';
    } else if (!pointSeen && anyDigit && !locale.thousandSeparator.empty() && c.Take(locale.thousandSeparator)) {
      // Thousands separators anywhere in the whole part, as Windows accepts them.
    } else {
      break;
    }
  }
  if (!anyDigit) return false;
  // Only an exponent, blanks, a trailing sign, parenthesis or currency symbol may follow.
  const char next = c.Peek();
  if (next != '\0' && (next | 0x20) != 'e' && !IsBlank(next) && next != '+' && next != '-' && next != ')' &&
      !(!locale.currencySymbol.empty() && next == locale.currencySymbol[0]))
    return false;
  if ((c.Peek() | 0x20) == 'e') {
    std::size_t save = c.pos;
    ++c.pos;
    std::string exponent = "e";
    if (c.Peek() == '+' || c.Peek() == '-') exponent += c.text[c.pos++];
    bool expDigits = false;
    while (IsDigit(c.Peek())) {
      exponent += c.text[c.pos++];
      expDigits = true;
    }
    if (!expDigits) c.pos = save;
    else digits += exponent;
  }
  c.SkipBlanks();
  affixes(false);
  if (!c.AtEnd() || parens) return false;

  double value = 0;
  const char* first = digits.data();
  const char* last = digits.data() + digits.size();
  const auto result = std::from_chars(first, last, value, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != last || !std::isfinite(value)) return false;
  if (negative) value = -value;
  if (out) *out = value;
  return true;
}

bool IsNumericVariant(const Variant& value, const LocaleInfo& locale) {
  if (value.IsNumberType()) return true;
  return value.IsText() && ParseNumberText(value.Text(), locale, nullptr);
}

}  // namespace orlix
