#include "reportview/field_mask_info.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "base/format.h"
#include "base/text.h"
#include "platform/current_locale.h"

namespace orlix {

namespace {

// Bytes of the UTF-8 character that starts with `lead` (1 for a stray continuation byte).
std::size_t CharacterLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Length as a host's counted wide string measures it: characters beyond the basic plane take two.
std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) == 0x80) continue;
    units += c >= 0xF0 ? 2 : 1;
  }
  return units;
}

bool IsSkippedInNumber(char c) { return c == ' ' || c == '\t' || c == '\n'; }

int DigitValue(char c, int base) {
  int value = 36;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

bool FitsInt32(double value, std::int32_t* number) {
  const double rounded = std::nearbyint(value);  // default rounding: ties to even
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return false;
  *number = static_cast<std::int32_t>(rounded);
  return true;
}

}  // namespace

namespace fieldmask {

void SkipDelimiter(std::string& rest) {
  if (!rest.empty()) rest.erase(0, std::min(rest.size(), CharacterLength(static_cast<unsigned char>(rest[0]))));
  rest = TrimSpaces(rest);
}

std::string NextToken(std::string& rest, std::string_view delimiters) {
  rest = TrimSpaces(rest);
  const std::size_t at = rest.find_first_of(delimiters.data(), 0, delimiters.size());
  if (at == std::string::npos) {
    std::string token;
    token.swap(rest);
    return token;
  }
  std::string token = TrimSpaces(std::string_view(rest).substr(0, at));
  rest = TrimSpaces(std::string_view(rest).substr(at));
  return token;
}

std::string Unquote(std::string_view text) {
  std::string result = TrimSpaces(text);
  if (!result.empty() && result.front() == '"') result.erase(0, 1);
  if (!result.empty() && result.back() == '"') result.pop_back();
  return result;
}

bool ReadFieldNumber(std::string_view text, std::int32_t* number) {
  std::size_t pos = 0;
  auto skip = [&] {
    while (pos < text.size() && IsSkippedInNumber(text[pos])) ++pos;
  };
  auto peek = [&]() -> char { return pos < text.size() ? text[pos] : '\0'; };

  skip();
  if (peek() == '&') {
    ++pos;
    skip();
    const char prefix = peek();
    int base = 0;
    if (prefix == 'H' || prefix == 'h') base = 16;
    if (prefix == 'O' || prefix == 'o') base = 8;
    if (base == 0) {
      *number = 0;
      return true;
    }
    ++pos;
    std::uint64_t value = 0;
    for (skip(); pos < text.size(); ++pos, skip()) {
      const int digit = DigitValue(text[pos], base);
      if (digit < 0) break;
      value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
      if (value > 0x7FFFFFFF) return false;
    }
    *number = static_cast<std::int32_t>(value);
    return true;
  }

  // Gather the number in the form std::from_chars reads, whatever the C locale says.
  bool negative = false;
  if (peek() == '+' || peek() == '-') {
    negative = peek() == '-';
    ++pos;
    skip();
  }
  std::string mantissa;
  bool anyDigit = false;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    mantissa += text[pos++];
    anyDigit = true;
    skip();
  }
  if (peek() == '.') {
    ++pos;
    skip();
    mantissa += '.';
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      mantissa += text[pos++];
      anyDigit = true;
      skip();
    }
  }
  if (!anyDigit) {
    *number = 0;
    return true;
  }
  long exponent = 0;
  const char marker = peek();
  if (marker == 'E' || marker == 'e' || marker == 'D' || marker == 'd') {
    std::size_t at = pos + 1;
    while (at < text.size() && IsSkippedInNumber(text[at])) ++at;
    bool negativeExponent = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
      negativeExponent = text[at] == '-';
      ++at;
      while (at < text.size() && IsSkippedInNumber(text[at])) ++at;
    }
    // Saturates: far beyond any double's range either way.
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      if (exponent < 100000) exponent = exponent * 10 + (text[at] - '0');
      ++at;
      while (at < text.size() && IsSkippedInNumber(text[at])) ++at;
    }
    if (negativeExponent) exponent = -exponent;
  }
  const std::string literal = mantissa + "e" + std::to_string(exponent);
  double value = 0;
  const auto parsed = std::from_chars(literal.data(), literal.data() + literal.size(), value);
  if (parsed.ec == std::errc::result_out_of_range) {
    if (exponent >= 0) return false;  // too large for any integer
    value = 0;                         // too small to tell from zero
  } else if (parsed.ec != std::errc()) {
    value = 0;
  }
  return FitsInt32(negative ? -value : value, number);
}

}  // namespace fieldmask

std::string cFieldMaskInfo::SetProperties(const std::string& strFieldMaskString) {
  using fieldmask::NextToken;
  using fieldmask::SkipDelimiter;
  mblnReadFailed = false;
  auto fail = [this] {
    mblnReadFailed = true;
    return std::string(kInvalidFieldMask);
  };
  if (Utf16Length(strFieldMaskString) > kMaxFieldMaskLength) return fail();

  std::string rest = TrimSpaces(strFieldMaskString);
  std::int32_t number = 0;
  if (!fieldmask::ReadFieldNumber(NextToken(rest, "={,["), &number)) return fail();
  mlngFieldNumber = number;

  // The equals sign and the opening quote, whatever the two characters actually are.
  SkipDelimiter(rest);
  SkipDelimiter(rest);
  mstrDescription = NextToken(rest, "\"");
  SkipDelimiter(rest);

  mblnRTFField = false;
  mblnHasTranslations = !rest.empty() && rest.front() == '{';
  mcolTranslations.reset();
  if (mblnHasTranslations) {
    mcolTranslations = std::make_shared<TranslationList>();
    do {
      SkipDelimiter(rest);  // the brace, later the comma
      auto translation = std::make_shared<cFieldTranslation>();
      translation->Value = NextToken(rest, "=,}");
      if (rest.empty() || rest.front() != '=') {
        translation->Result = translation->Value;
        if (EqualsNoCase(translation->Value, "rtf")) {
          mblnRTFField = true;
          mblnHasTranslations = false;
        }
      } else {
        SkipDelimiter(rest);
        translation->Result = fieldmask::Unquote(NextToken(rest, ",}"));
      }
      mcolTranslations->Add(std::move(translation));
    } while (!rest.empty() && rest.front() != '}');
    SkipDelimiter(rest);
  }

  if (!rest.empty() && rest.front() == '[') {
    SkipDelimiter(rest);
    mstrFormatString = NextToken(rest, "]");
    SkipDelimiter(rest);
  }
  if (!rest.empty() && rest.front() == ',') SkipDelimiter(rest);
  return rest;
}

std::string cFieldMaskInfo::Key() const {
  return mlngFieldNumber >= 1 ? "MASK" + std::to_string(mlngFieldNumber) : std::string();
}

Variant cFieldMaskInfo::TranslateValue(const Variant& vntValueToTranslate) const {
  return TranslateValue(vntValueToTranslate, CurrentLocale());
}

Variant cFieldMaskInfo::TranslateValue(const Variant& vntValueToTranslate, const LocaleInfo& locale) const {
  const bool wasNull = vntValueToTranslate.IsNull();
  Variant value = wasNull ? Variant::FromText("Null") : vntValueToTranslate;

  if (mblnHasTranslations && mcolTranslations && !mcolTranslations->Empty() && !value.IsArray()) {
    // Numbers, dates and booleans match by the text the grid would show for them.
    const std::string text = value.IsText() ? std::string(value.Text()) : VariantToText(value, locale);
    for (const auto& translation : *mcolTranslations) {
      if (text == translation->Value) {
        value = Variant::FromText(translation->Result);
        break;
      }
    }
  }

  if (wasNull && value.IsText() && value.Text() == "Null") value = Variant::FromText(std::string());
  if (!mstrFormatString.empty()) return Variant::FromText(FormatVariant(value, mstrFormatString, locale));
  return value;
}

}  // namespace orlix
