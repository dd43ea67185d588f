// The user's locale as Windows reports it: GetLocaleInfoA(LOCALE_USER_DEFAULT, ...), read once.
#include <windows.h>

#include <string>

#include "base/locale_info.h"
#include "platform/current_locale.h"
#include "platform/ansi_win.h"

namespace orlix {
namespace {

std::string Read(LCTYPE type, const std::string& fallback) {
  char buffer[256];
  const int length = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  if (length <= 1) return fallback;
  return AnsiToUtf8(std::string(buffer, static_cast<std::size_t>(length - 1)));
}

int ReadNumber(LCTYPE type, int fallback, int low, int high) {
  const std::string text = Read(type, std::string());
  if (text.empty() || text.size() > 4) return fallback;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return fallback;
    value = value * 10 + (c - '0');
  }
  return value < low || value > high ? fallback : value;
}

LocaleInfo ReadUserLocale() {
  const LocaleInfo& english = EnglishUnitedStates();
  LocaleInfo l;
  for (int k = 0; k < 12; ++k) {
    l.monthNames[k] = Read(LOCALE_SMONTHNAME1 + k, english.monthNames[k]);
    l.monthAbbreviations[k] = Read(LOCALE_SABBREVMONTHNAME1 + k, english.monthAbbreviations[k]);
  }
  // Windows counts weekdays from Monday; ours start on Sunday.
  for (int k = 0; k < 7; ++k) {
    const int windowsIndex = (k + 6) % 7;
    l.dayNames[k] = Read(LOCALE_SDAYNAME1 + windowsIndex, english.dayNames[k]);
    l.dayAbbreviations[k] = Read(LOCALE_SABBREVDAYNAME1 + windowsIndex, english.dayAbbreviations[k]);
  }
  // A locale without designators (24-hour) reads as empty text, which is what it shows.
  l.amDesignator = Read(LOCALE_S1159, std::string());
  l.pmDesignator = Read(LOCALE_S2359, std::string());
  l.dateSeparator = Read(LOCALE_SDATE, english.dateSeparator);
  l.timeSeparator = Read(LOCALE_STIME, english.timeSeparator);
  l.decimalSeparator = Read(LOCALE_SDECIMAL, english.decimalSeparator);
  l.thousandSeparator = Read(LOCALE_STHOUSAND, english.thousandSeparator);
  l.currencySymbol = Read(LOCALE_SCURRENCY, english.currencySymbol);
  switch (ReadNumber(LOCALE_IDATE, 0, 0, 2)) {
    case 1: l.dateOrder = DateOrder::DayMonthYear; break;
    case 2: l.dateOrder = DateOrder::YearMonthDay; break;
    default: l.dateOrder = DateOrder::MonthDayYear; break;
  }
  l.shortDatePicture = PictureFromWindowsFormat(Read(LOCALE_SSHORTDATE, "M/d/yyyy"));
  l.longDatePicture = PictureFromWindowsFormat(Read(LOCALE_SLONGDATE, "dddd, MMMM d, yyyy"));
  l.longTimePicture = PictureFromWindowsFormat(Read(LOCALE_STIMEFORMAT, "h:mm:ss tt"));
  l.currencyPositiveOrder = ReadNumber(LOCALE_ICURRENCY, 0, 0, 3);
  l.currencyNegativeOrder = ReadNumber(LOCALE_INEGCURR, 0, 0, 15);
  l.currencyDigits = ReadNumber(LOCALE_ICURRDIGITS, 2, 0, 9);
  l.monetaryDecimalSeparator = Read(LOCALE_SMONDECIMALSEP, l.decimalSeparator);
  l.monetaryThousandSeparator = Read(LOCALE_SMONTHOUSANDSEP, l.thousandSeparator);
  l.numberDigits = ReadNumber(LOCALE_IDIGITS, 2, 0, 9);
  l.leadingZero = ReadNumber(LOCALE_ILZERO, 1, 0, 1) == 1;
  DWORD yearMax = 0;
  if (::GetCalendarInfoA(LOCALE_USER_DEFAULT, CAL_GREGORIAN, CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, nullptr, 0,
                         &yearMax) &&
      yearMax >= 99 && yearMax <= 9999)
    l.twoDigitYearMax = static_cast<int>(yearMax);
  return l;
}

}  // namespace

const LocaleInfo& CurrentLocale() {
  static const LocaleInfo locale = ReadUserLocale();
  return locale;
}

}  // namespace orlix
