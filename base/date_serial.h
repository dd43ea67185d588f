// OLE Automation dates (days since 30 December 1899, time as the fraction) split into and
// built from calendar parts. Valid from 1 January 100 to 31 December 9999.
#pragma once

namespace orlix {

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
  int weekday = 0;    // 0 Sunday .. 6 Saturday
  int dayOfYear = 1;  // 1 .. 366
};

constexpr double kMinOleDate = -657434.0;          // 1 January 100
constexpr double kMaxOleDate = 2958465.99998843;   // 31 December 9999 23:59:59

// The parts of an OLE date, rounded to the nearest second; false outside the valid range.
bool SplitOleDate(double oleDate, DateParts* parts);

// The OLE date of a calendar day and time of day; false when any part is out of range.
bool MakeOleDate(int year, int month, int day, int hour, int minute, int second, double* oleDate);

int DaysInMonth(int year, int month);

}  // namespace orlix
