#include "base/date_serial.h"

#include <cmath>

namespace orlix {
namespace {

// Days from 1 January 1970 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int* year, int* month, int* day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(y + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

const long long kOleEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

int DaysInMonth(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

bool SplitOleDate(double oleDate, DateParts* parts) {
  if (!std::isfinite(oleDate) || oleDate < kMinOleDate - 1 || oleDate > kMaxOleDate + 1) return false;
  // The whole part counts days either side of the epoch; the fraction is always the time of
  // day forwards from midnight, so -1.25 is 29 December 1899 06:00.
  double whole = std::trunc(oleDate);
  long long days = static_cast<long long>(whole);
  long long seconds = std::llround(std::fabs(oleDate - whole) * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++days;
  }
  int year, month, day;
  CivilFromDays(kOleEpoch + days, &year, &month, &day);
  if (year < 100 || year > 9999) return false;
  parts->year = year;
  parts->month = month;
  parts->day = day;
  parts->hour = static_cast<int>(seconds / 3600);
  parts->minute = static_cast<int>(seconds / 60 % 60);
  parts->second = static_cast<int>(seconds % 60);
  long long weekday = (kOleEpoch + days + 4) % 7;  // 1 January 1970 was a Thursday
  if (weekday < 0) weekday += 7;
  parts->weekday = static_cast<int>(weekday);
  parts->dayOfYear = static_cast<int>(kOleEpoch + days - DaysFromCivil(year, 1, 1) + 1);
  return true;
}

bool MakeOleDate(int year, int month, int day, int hour, int minute, int second, double* oleDate) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return false;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
  const double days = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month),
                                                        static_cast<unsigned>(day)) - kOleEpoch);
  const double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  *oleDate = days < 0 ? days - time : days + time;
  return true;
}

}  // namespace orlix
