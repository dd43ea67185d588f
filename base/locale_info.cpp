#include "base/locale_info.h"

namespace orlix {
namespace {

std::size_t Run(const std::string& text, std::size_t pos) {
  std::size_t end = pos;
  while (end < text.size() && text[end] == text[pos]) ++end;
  return end - pos;
}

void AppendLiteral(std::string& out, const std::string& text) {
  if (text.empty()) return;
  if (text.find('"') == std::string::npos) {
    out += '"' + text + '"';
    return;
  }
  for (char c : text) {
    out += '\\';
    out += c;
  }
}

}  // namespace

std::string PictureFromWindowsFormat(const std::string& windowsPicture) {
  const std::string& w = windowsPicture;
  std::string out, literal;
  auto flush = [&] {
    AppendLiteral(out, literal);
    literal.clear();
  };
  for (std::size_t i = 0; i < w.size();) {
    const char c = w[i];
    if (c == '\'') {
      // 'text', with '' standing for one quote
      std::size_t j = i + 1;
      for (;;) {
        if (j >= w.size()) break;
        if (w[j] == '\'') {
          if (j + 1 < w.size() && w[j + 1] == '\'') {
            literal += '\'';
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        literal += w[j++];
      }
      if (j == i + 2 && w[i + 1] == '\'') literal += '\'';  // '' outside quotes
      i = j;
      continue;
    }
    const std::size_t run = Run(w, i);
    std::string token;
    switch (c) {
      case 'd': token = std::string(run > 4 ? 4 : run, 'd'); break;
      case 'M': token = std::string(run > 4 ? 4 : run, 'm'); break;
      case 'y': token = run >= 3 ? "yyyy" : "yy"; break;
      case 'g': break;  // era: none in the Gregorian calendar
      case 'h':
      case 'H': token = run >= 2 ? "hh" : "h"; break;
      case 'm': token = run >= 2 ? "nn" : "n"; break;
      case 's': token = run >= 2 ? "ss" : "s"; break;
      case 't': token = "AMPM"; break;
      default:
        literal += c;
        ++i;
        continue;
    }
    flush();
    out += token;
    i += run;
  }
  flush();
  return out;
}

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
