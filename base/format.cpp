// Interim conversions so that the grid can be built against this interface; the full
// picture language replaces this file.
#include "base/format.h"

#include <cstdio>
#include <cstdlib>

namespace orlix {

std::string VariantToText(const Variant& value, const LocaleInfo& locale) {
  switch (value.Type()) {
    case VariantType::Empty:
    case VariantType::Null:
      return std::string();
    case VariantType::Text:
      return value.Text();
    case VariantType::Bool:
      return value.Bool() ? "True" : "False";
    case VariantType::Int16:
    case VariantType::Int32:
      return std::to_string(value.Integer());
    case VariantType::Double: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.15g", value.Number());
      return buffer;
    }
    case VariantType::Date: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.15g", value.Date());
      return buffer;
    }
    case VariantType::Array:
      break;
  }
  throw std::logic_error("an array has no text form");
}

std::string FormatVariant(const Variant& value, const std::string& picture, const LocaleInfo& locale) {
  return VariantToText(value, locale);
}

bool ParseNumberText(const std::string& text, const LocaleInfo& locale, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double d = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0') return false;
  if (out) *out = d;
  return true;
}

bool IsNumericVariant(const Variant& value, const LocaleInfo& locale) {
  if (value.IsNumberType()) return true;
  return value.IsText() && ParseNumberText(value.Text(), locale, nullptr);
}

bool ParseDateText(const std::string& text, const LocaleInfo& locale, double* out) { return false; }

}  // namespace orlix
