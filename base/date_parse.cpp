// Date and time text as Windows reads it for CDate and VarDateFromStr: numbers in the locale's
// date order, month names (full or abbreviated) in any position, weekday names (ignored),
// times with the time separator and an optional AM/PM designator.
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_serial.h"
#include "base/format.h"
#include "base/local_time.h"
#include "base/text.h"

namespace orlix {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}

struct DateNumber {
  int value;
  int digits;
};

int CurrentYear() {
  const std::time_t now = std::time(nullptr);
  return LocalTime(now).tm_year + 1900;
}

int ExpandYear(const DateNumber& n, const LocaleInfo& locale) {
  if (n.digits > 2) return n.value;
  const int max = locale.twoDigitYearMax;
  int year = (max / 100) * 100 + n.value;
  if (year > max) year -= 100;
  return year;
}

// Matches a month or weekday name (full first, then abbreviated) at the start of `word`.
int MatchName(const std::string& word, const std::string* full, const std::string* abbreviated, int count) {
  for (int i = 0; i < count; ++i)
    if (!full[i].empty() && EqualsNoCase(word, full[i])) return i;
  for (int i = 0; i < count; ++i)
    if (!abbreviated[i].empty() && EqualsNoCase(word, abbreviated[i])) return i;
  // Abbreviations written with a trailing period in some locales ("janv.").
  for (int i = 0; i < count; ++i) {
    const std::string& a = abbreviated[i];
    if (a.size() > 1 && a.back() == '.' && EqualsNoCase(word, a.substr(0, a.size() - 1))) return i;
  }
  return -1;
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view what) {
  return !what.empty() && text.size() - pos >= what.size() && EqualsNoCase(text.substr(pos, what.size()), what);
}

bool ValidDay(int year, int month, int day) {
  return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

}  // namespace

bool ParseDateText(std::string_view text, const LocaleInfo& locale, double* out) {
  std::vector<DateNumber> dateNumbers;
  int month = -1;  // from a month name
  int monthNamePosition = -1;  // count of date numbers before the month name
  int timeParts[3] = {0, 0, 0};
  int timeCount = 0;  // numbers that belong to the time
  int ampm = 0;       // 1 AM, 2 PM
  bool anyContent = false;
  bool expectTimePart = false;  // a time separator was read after a time number

  const std::string timeSep = locale.timeSeparator.empty() ? std::string(":") : locale.timeSeparator;
  // Where the date separator is not a period, "10.30" is a time, as Windows reads it.
  const bool periodIsTime = locale.dateSeparator != ".";
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const char c = text[i];
    if (IsDigit(c)) {
      long long value = 0;
      int digits = 0;
      while (i < n && IsDigit(text[i])) {
        if (value < 100000) value = value * 10 + (text[i] - '0');
        ++digits;
        ++i;
      }
      if (digits > 4 || value > 9999) return false;
      anyContent = true;
      // A number followed by the time separator starts a time; the numbers after each
      // separator continue it.
      auto followedBySeparator = [&]() -> std::size_t {
        if (text.compare(i, timeSep.size(), timeSep) == 0) return timeSep.size();
        if (i < n && text[i] == ':') return 1;
        if (periodIsTime && i + 1 < n && text[i] == '.' && IsDigit(text[i + 1])) return 1;
        return 0;
      };
      const std::size_t sepLength = followedBySeparator();
      if (expectTimePart) {
        if (timeCount >= 3) return false;
        timeParts[timeCount++] = static_cast<int>(value);
        expectTimePart = sepLength > 0;
        i += sepLength;
      } else if (sepLength > 0) {
        if (timeCount > 0) return false;
        timeParts[timeCount++] = static_cast<int>(value);
        expectTimePart = true;
        i += sepLength;
      } else {
        // A bare number directly followed by a designator ("5 PM") is an hour.
        std::size_t j = i;
        while (j < n && text[j] == ' ') ++j;
        const bool designator = StartsWithNoCase(text, j, locale.amDesignator) ||
                                StartsWithNoCase(text, j, locale.pmDesignator) || StartsWithNoCase(text, j, "AM") ||
                                StartsWithNoCase(text, j, "PM");
        if (designator && timeCount == 0) {
          timeParts[timeCount++] = static_cast<int>(value);
        } else {
          if (dateNumbers.size() >= 3) return false;
          dateNumbers.push_back({static_cast<int>(value), digits});
        }
      }
      continue;
    }
    if (expectTimePart) return false;  // "10:" with nothing after the separator
    if (IsWordChar(c)) {
      std::size_t start = i;
      while (i < n && (IsWordChar(text[i]) || text[i] == '.')) {
        if (text[i] == '.' && !(i + 1 >= n || !IsWordChar(text[i + 1]))) break;
        ++i;
      }
      std::string word(text.substr(start, i - start));
      std::string bare = word;
      if (!bare.empty() && bare.back() == '.') bare.pop_back();
      anyContent = true;
      if (EqualsNoCase(bare, locale.amDesignator) || EqualsNoCase(bare, "AM") || EqualsNoCase(bare, "A")) {
        if (ampm) return false;
        ampm = 1;
      } else if (EqualsNoCase(bare, locale.pmDesignator) || EqualsNoCase(bare, "PM") || EqualsNoCase(bare, "P")) {
        if (ampm) return false;
        ampm = 2;
      } else {
        int m = MatchName(word, locale.monthNames.data(), locale.monthAbbreviations.data(), 12);
        if (m < 0 && bare != word) m = MatchName(bare, locale.monthNames.data(), locale.monthAbbreviations.data(), 12);
        if (m >= 0) {
          if (month >= 0) return false;
          month = m + 1;
          monthNamePosition = static_cast<int>(dateNumbers.size());
        } else if (MatchName(word, locale.dayNames.data(), locale.dayAbbreviations.data(), 7) < 0 &&
                   MatchName(bare, locale.dayNames.data(), locale.dayAbbreviations.data(), 7) < 0) {
          return false;
        }
      }
      continue;
    }
    // Separators: blanks, the date and time separators and the usual punctuation.
    if (c == ' ' || c == '\t' || c == ',' || c == '/' || c == '-' || c == '.' || c == ':') {
      ++i;
      continue;
    }
    if (!locale.dateSeparator.empty() && text.compare(i, locale.dateSeparator.size(), locale.dateSeparator) == 0) {
      i += locale.dateSeparator.size();
      continue;
    }
    if (text.compare(i, timeSep.size(), timeSep) == 0) {
      i += timeSep.size();
      continue;
    }
    return false;
  }
  if (!anyContent || expectTimePart) return false;

  int hour = timeParts[0], minute = timeParts[1], second = timeParts[2];
  if (ampm) {
    if (timeCount == 0 || hour > 12) return false;
    if (ampm == 1 && hour == 12) hour = 0;
    if (ampm == 2 && hour < 12) hour += 12;
  }
  if (hour > 23 || minute > 59 || second > 59) return false;

  int year = 0, mon = 0, day = 0;
  const std::size_t count = dateNumbers.size();
  if (month >= 0) {
    mon = month;
    if (count == 0) return false;
    if (count == 1) {
      // "January 2005" or "4 January": a number that cannot be a day is the year.
      const DateNumber& only = dateNumbers[0];
      if (only.digits > 2 || only.value > DaysInMonth(2000, mon)) {
        year = ExpandYear(only, locale);
        day = 1;
      } else {
        year = CurrentYear();
        day = only.value;
      }
    } else if (count == 2) {
      const DateNumber& a = dateNumbers[0];
      const DateNumber& b = dateNumbers[1];
      if (a.digits > 2 || a.value > 31) {
        year = ExpandYear(a, locale);
        day = b.value;
      } else {
        day = a.value;
        year = ExpandYear(b, locale);
      }
    } else {
      return false;
    }
    (void)monthNamePosition;
    if (!ValidDay(year, mon, day)) return false;
  } else if (count == 3) {
    const DateNumber& a = dateNumbers[0];
    const DateNumber& b = dateNumbers[1];
    const DateNumber& c = dateNumbers[2];
    struct Order {
      const DateNumber *y, *m, *d;
    };
    // The locale's order first, then the others that Windows also tries ("13/1/2005").
    Order orders[3] = {{&a, &b, &c}, {&a, &b, &c}, {&a, &b, &c}};
    int orderCount = 1;
    if (a.digits <= 2) {
      orderCount = 3;
      const Order mdy{&c, &a, &b}, dmy{&c, &b, &a}, ymd{&a, &b, &c};
      switch (locale.dateOrder) {
        case DateOrder::MonthDayYear: orders[0] = mdy, orders[1] = dmy, orders[2] = ymd; break;
        case DateOrder::DayMonthYear: orders[0] = dmy, orders[1] = mdy, orders[2] = ymd; break;
        case DateOrder::YearMonthDay: orders[0] = ymd, orders[1] = mdy, orders[2] = dmy; break;
      }
    }
    bool found = false;
    for (int k = 0; k < orderCount; ++k) {
      const Order& o = orders[k];
      const int y = ExpandYear(*o.y, locale);
      if (o.m->digits <= 2 && o.d->digits <= 2 && ValidDay(y, o.m->value, o.d->value)) {
        year = y;
        mon = o.m->value;
        day = o.d->value;
        found = true;
        break;
      }
    }
    if (!found) return false;
  } else if (count == 2) {
    const DateNumber& a = dateNumbers[0];
    const DateNumber& b = dateNumbers[1];
    // Month and day of the current year, or month and year when one cannot be a day.
    if (a.digits > 2 || b.digits > 2 || a.value > 31 || b.value > 31) {
      const DateNumber& y = (a.digits > 2 || a.value > 31) ? a : b;
      const DateNumber& m = (&y == &a) ? b : a;
      year = ExpandYear(y, locale);
      mon = m.value;
      day = 1;
    } else {
      year = CurrentYear();
      const bool dayFirst = locale.dateOrder == DateOrder::DayMonthYear;
      mon = dayFirst ? b.value : a.value;
      day = dayFirst ? a.value : b.value;
      if (!ValidDay(year, mon, day)) std::swap(mon, day);
    }
    if (!ValidDay(year, mon, day)) return false;
  } else if (count == 1) {
    return false;
  } else {
    if (timeCount == 0) return false;
    year = 1899;
    mon = 12;
    day = 30;
  }
  if (timeCount == 1 && !ampm) return false;
  double result;
  if (!MakeOleDate(year, mon, day, hour, minute, second, &result)) return false;
  if (out) *out = result;
  return true;
}

}  // namespace orlix
