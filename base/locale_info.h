// Locale data used by formatting and parsing: names, designators, separators, date order.
#pragma once

#include <array>
#include <string>

namespace orlix {

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

struct LocaleInfo {
  std::array<std::string, 12> monthNames;
  std::array<std::string, 12> monthAbbreviations;
  std::array<std::string, 7> dayNames;  // Sunday first
  std::array<std::string, 7> dayAbbreviations;
  std::string amDesignator;
  std::string pmDesignator;
  std::string dateSeparator;
  std::string timeSeparator;
  std::string decimalSeparator;
  std::string thousandSeparator;
  std::string currencySymbol;
  DateOrder dateOrder = DateOrder::MonthDayYear;
  std::string shortDatePicture;  // in the format-picture language, e.g. "m/d/yyyy"
  std::string longDatePicture;   // e.g. "dddd, mmmm d, yyyy"
  std::string longTimePicture;   // e.g. "h:nn:ss AMPM"
  // Further fields (currency layout, negative number form, leading zero...) as the formatter needs.
};

// English (United States), the locale of the portable build.
const LocaleInfo& EnglishUnitedStates();

// The user's locale: GetLocaleInfoA(LOCALE_USER_DEFAULT, ...) on Windows, English (United States) elsewhere.
const LocaleInfo& CurrentLocale();

}  // namespace orlix
