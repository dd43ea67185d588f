// The format-picture language (dates, times, numbers, text, named formats) and the
// text conversions of variants: what the grid shows for a cell.
#pragma once

#include <string>
#include <string_view>

#include "base/locale_info.h"
#include "base/variant.h"

namespace orlix {

// The value formatted with `picture` (empty picture: the plain display text).
std::string FormatVariant(const Variant& value, const std::string& picture, const LocaleInfo& locale);

// Display text of a value: numbers as the locale writes them, booleans "True"/"False",
// dates in the general date form, null and empty as empty text.
std::string VariantToText(const Variant& value, const LocaleInfo& locale);

// A number, or text that reads entirely as a number.
bool IsNumericVariant(const Variant& value, const LocaleInfo& locale);

// Text that reads entirely as a number; the number in *out.
bool ParseNumberText(std::string_view text, const LocaleInfo& locale, double* out);

// Text that reads as a date and/or time; the OLE date in *out.
bool ParseDateText(std::string_view text, const LocaleInfo& locale, double* out);

}  // namespace orlix
