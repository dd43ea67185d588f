#include "base/locale_info.h"

namespace orlix {

const LocaleInfo& EnglishUnitedStates() {
  static const LocaleInfo locale = [] {
    LocaleInfo l;
    l.monthNames = {"January", "February", "March",     "April",   "May",      "June",
                    "July",    "August",   "September", "October", "November", "December"};
    l.monthAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    l.dayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    l.dayAbbreviations = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    l.amDesignator = "AM";
    l.pmDesignator = "PM";
    l.dateSeparator = "/";
    l.timeSeparator = ":";
    l.decimalSeparator = ".";
    l.thousandSeparator = ",";
    l.currencySymbol = "$";
    l.dateOrder = DateOrder::MonthDayYear;
    l.shortDatePicture = "m/d/yyyy";
    l.longDatePicture = "dddd, mmmm d, yyyy";
    l.longTimePicture = "h:nn:ss AMPM";
    l.currencyPositiveOrder = 0;
    l.currencyNegativeOrder = 0;
    l.currencyDigits = 2;
    l.monetaryDecimalSeparator = ".";
    l.monetaryThousandSeparator = ",";
    l.numberDigits = 2;
    l.leadingZero = true;
    l.twoDigitYearMax = 2029;
    return l;
  }();
  return locale;
}

}  // namespace orlix
