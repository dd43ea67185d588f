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
  // Currency layout: symbol position (0 "$1", 1 "1$", 2 "$ 1", 3 "1 $") and negative form
  // (0 "($1)" .. 15 "(1 $)", the Windows LOCALE_INEGCURR codes), digits after the separator.
  int currencyPositiveOrder = 0;
  int currencyNegativeOrder = 0;
  int currencyDigits = 2;
  std::string monetaryDecimalSeparator;
  std::string monetaryThousandSeparator;
  // Numbers: digits after the separator and a leading zero in "0.5" (rather than ".5").
  int numberDigits = 2;
  bool leadingZero = true;
  // Two-digit years read as falling in the hundred years that end with this one.
  int twoDigitYearMax = 2029;
};

// A Windows date or time picture (GetDateFormat/GetTimeFormat: "M/d/yyyy", "h:mm:ss tt",
// 'quoted' text) rewritten in the format-picture language, every other character literal.
std::string PictureFromWindowsFormat(const std::string& windowsPicture);

// English (United States), the locale of the portable build.
const LocaleInfo& EnglishUnitedStates();

}  // namespace orlix
