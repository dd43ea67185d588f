// The format-picture language behind a column's FormatString, and the display text of
// variants. Pictures follow the conventions of VB's Format and oleaut32's VarFormat:
// up to four sections (positive;negative;zero;null), date/time tokens, number placeholders,
// text placeholders and the named formats, all read with the user's locale data.
#include "base/format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "base/date_serial.h"
#include "base/text.h"

namespace orlix {
namespace {

// ---------------------------------------------------------------------------------------
// Small helpers

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Length of the UTF-8 sequence that starts at text[pos] (1 for stray bytes).
std::size_t CodePointLength(const std::string& text, std::size_t pos) {
  const unsigned char c = static_cast<unsigned char>(text[pos]);
  std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
  if (pos + length > text.size()) length = text.size() - pos;
  for (std::size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(text[pos + k]) & 0xC0) != 0x80) return 1;
  return length;
}

std::vector<std::string> CodePoints(const std::string& text) {
  std::vector<std::string> result;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CodePointLength(text, i);
    result.push_back(text.substr(i, length));
    i += length;
  }
  return result;
}

bool MatchNoCase(const std::string& text, std::size_t pos, const char* what) {
  for (std::size_t k = 0; what[k]; ++k)
    if (pos + k >= text.size() || Lower(text[pos + k]) != what[k]) return false;
  return true;
}

std::size_t RunLength(const std::string& text, std::size_t pos, char lowerLetter) {
  std::size_t end = pos;
  while (end < text.size() && Lower(text[end]) == lowerLetter) ++end;
  return end - pos;
}

// Reads a quoted literal or a backslash escape at `pos` into `literal`; false when neither.
bool ReadLiteral(const std::string& picture, std::size_t& pos, std::string& literal) {
  if (picture[pos] == '"') {
    const std::size_t close = picture.find('"', pos + 1);
    const std::size_t end = close == std::string::npos ? picture.size() : close;
    literal += picture.substr(pos + 1, end - pos - 1);
    pos = close == std::string::npos ? picture.size() : close + 1;
    return true;
  }
  if (picture[pos] == '\\') {
    ++pos;
    if (pos < picture.size()) {
      const std::size_t length = CodePointLength(picture, pos);
      literal += picture.substr(pos, length);
      pos += length;
    }
    return true;
  }
  return false;
}

// Sections separated by ';' outside quotes and escapes.
std::vector<std::string> SplitSections(const std::string& picture) {
  std::vector<std::string> sections(1);
  for (std::size_t i = 0; i < picture.size();) {
    const char c = picture[i];
    if (c == '"') {
      const std::size_t close = picture.find('"', i + 1);
      const std::size_t end = close == std::string::npos ? picture.size() : close + 1;
      sections.back() += picture.substr(i, end - i);
      i = end;
    } else if (c == '\\') {
      const std::size_t length = i + 1 < picture.size() ? 1 + CodePointLength(picture, i + 1) : 1;
      sections.back() += picture.substr(i, length);
      i += length;
    } else if (c == ';') {
      sections.emplace_back();
      ++i;
    } else {
      sections.back() += c;
      ++i;
    }
  }
  return sections;
}

enum class PictureKind { Literal, Number, Date, Text };

// The kind of a section: decided by its first token that belongs to one family only.
PictureKind ClassifySection(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    std::string ignored;
    if (ReadLiteral(s, i, ignored)) continue;
    const char c = Lower(s[i]);
    if (c == '0' || c == '#' || c == '%' || c == '.' || c == ',') return PictureKind::Number;
    if (c == 'e' && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) return PictureKind::Number;
    if (c == '@' || c == '&' || c == '<' || c == '>' || c == '!') return PictureKind::Text;
    if (c == 'd' || c == 'm' || c == 'y' || c == 'h' || c == 'n' || c == 's' || c == 'q' || c == 'w' || c == 'c')
      return PictureKind::Date;
    if (c == 't' && RunLength(s, i, 't') >= 5) return PictureKind::Date;
    if (MatchNoCase(s, i, "am/pm") || MatchNoCase(s, i, "a/p") || MatchNoCase(s, i, "ampm")) return PictureKind::Date;
    i += CodePointLength(s, i);
  }
  return PictureKind::Literal;
}

PictureKind ClassifyPicture(const std::vector<std::string>& sections) {
  for (const std::string& s : sections) {
    const PictureKind kind = ClassifySection(s);
    if (kind != PictureKind::Literal) return kind;
  }
  return PictureKind::Literal;
}

// ---------------------------------------------------------------------------------------
// Decimal digits of a double, as the 15 significant digits that VARIANT conversions keep.

struct Decimal {
  std::string digits;  // significant digits, no leading zeros (empty for zero)
  int pointPosition = 0;  // digits before the decimal point (may be <= 0 or > digits.size())
};

Decimal ToDecimal(double value) {
  Decimal d;
  value = std::fabs(value);
  if (value == 0 || !std::isfinite(value)) return d;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  // d.dddddddddddddde[+-]xx
  std::string mantissa;
  const char* p = buffer;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') mantissa += *p;
  const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
  while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
  d.digits = mantissa;
  d.pointPosition = exponent + 1;
  return d;
}

// Rounds half away from zero so that `fraction` digits remain after the point.
Decimal RoundDecimal(Decimal d, int fraction) {
  const long long keep = static_cast<long long>(d.pointPosition) + fraction;
  if (static_cast<long long>(d.digits.size()) <= keep) return d;
  if (keep < 0) return Decimal{};
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    std::size_t k = d.digits.size();
    while (k > 0 && d.digits[k - 1] == '9') {
      d.digits[k - 1] = '0';
      --k;
    }
    if (k == 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.pointPosition;
    } else {
      ++d.digits[k - 1];
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.pointPosition = 0;
  return d;
}

// Digits of the whole part (no leading zeros; empty for zero) and `fraction` fraction digits.
void SplitDecimal(const Decimal& d, int fraction, std::string* whole, std::string* frac) {
  whole->clear();
  frac->assign(static_cast<std::size_t>(fraction), '0');
  const int n = static_cast<int>(d.digits.size());
  for (int k = 0; k < n; ++k) {
    const int position = d.pointPosition - 1 - k;  // 0 units, -1 tenths...
    if (position >= 0) {
      if (whole->empty()) whole->assign(static_cast<std::size_t>(position) + 1, '0');
      (*whole)[whole->size() - 1 - static_cast<std::size_t>(position)] = d.digits[static_cast<std::size_t>(k)];
    } else if (-position <= fraction) {
      (*frac)[static_cast<std::size_t>(-position - 1)] = d.digits[static_cast<std::size_t>(k)];
    }
  }
}

std::string Group(const std::string& digits, const std::string& separator) {
  std::string out;
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) out += separator;
    out += digits[k];
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// Display text

std::string DoubleText(double value, const LocaleInfo& locale) {
  if (value == 0) return "0";
  if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = buffer;
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, locale.decimalSeparator);
  return text;
}

std::string FormatDatePicture(double date, const std::string& section, const LocaleInfo& locale, int depth);

std::string GeneralDateText(double date, const LocaleInfo& locale, int depth) {
  DateParts parts;
  if (!SplitOleDate(date, &parts)) return DoubleText(date, locale);
  const bool hasTime = parts.hour != 0 || parts.minute != 0 || parts.second != 0;
  // Day 0 (30 December 1899) carries no date: a time alone.
  const bool hasDate = !(parts.year == 1899 && parts.month == 12 && parts.day == 30);
  std::string text;
  if (hasDate || !hasTime) text = FormatDatePicture(date, locale.shortDatePicture, locale, depth + 1);
  if (hasTime) {
    if (!text.empty()) text += ' ';
    text += FormatDatePicture(date, locale.longTimePicture, locale, depth + 1);
  }
  return text;
}

// ---------------------------------------------------------------------------------------
// Date pictures

std::string TwoDigits(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d", value);
  return buffer;
}

bool HasDesignatorToken(const std::string& section) {
  for (std::size_t i = 0; i < section.size();) {
    std::string ignored;
    if (ReadLiteral(section, i, ignored)) continue;
    if (MatchNoCase(section, i, "am/pm") || MatchNoCase(section, i, "a/p") || MatchNoCase(section, i, "ampm"))
      return true;
    i += CodePointLength(section, i);
  }
  return false;
}

std::string FormatDatePicture(double date, const std::string& section, const LocaleInfo& locale, int depth) {
  DateParts p;
  if (depth > 3 || !SplitOleDate(date, &p)) return DoubleText(date, locale);
  const bool twelveHour = HasDesignatorToken(section);
  const bool afternoon = p.hour >= 12;
  int hour = p.hour;
  if (twelveHour) {
    hour %= 12;
    if (hour == 0) hour = 12;
  }
  std::string out;
  bool afterHour = false;  // m or mm right after an hour token means minutes
  for (std::size_t i = 0; i < section.size();) {
    if (ReadLiteral(section, i, out)) continue;
    const char c = Lower(section[i]);
    if (MatchNoCase(section, i, "am/pm")) {
      out += afternoon ? section.substr(i + 3, 2) : section.substr(i, 2);
      i += 5;
      continue;
    }
    if (MatchNoCase(section, i, "a/p")) {
      out += afternoon ? section[i + 2] : section[i];
      i += 3;
      continue;
    }
    if (MatchNoCase(section, i, "ampm")) {
      out += afternoon ? locale.pmDesignator : locale.amDesignator;
      i += 4;
      continue;
    }
    const std::size_t run = RunLength(section, i, c);
    switch (c) {
      case 'c':
        out += GeneralDateText(date, locale, depth);
        i += 1;
        afterHour = false;
        continue;
      case 'd': {
        const std::size_t n = run > 6 ? 6 : run;
        if (n == 1) out += std::to_string(p.day);
        else if (n == 2) out += TwoDigits(p.day);
        else if (n == 3) out += locale.dayAbbreviations[static_cast<std::size_t>(p.weekday)];
        else if (n == 4) out += locale.dayNames[static_cast<std::size_t>(p.weekday)];
        else if (n == 5) out += FormatDatePicture(date, locale.shortDatePicture, locale, depth + 1);
        else out += FormatDatePicture(date, locale.longDatePicture, locale, depth + 1);
        i += n;
        afterHour = false;
        continue;
      }
      case 'w': {
        if (run >= 2) {
          // Week of the year, weeks starting on Sunday, week 1 holding 1 January.
          const int jan1Weekday = ((p.weekday - (p.dayOfYear - 1)) % 7 + 7) % 7;
          out += std::to_string((p.dayOfYear - 1 + jan1Weekday) / 7 + 1);
          i += 2;
        } else {
          out += std::to_string(p.weekday + 1);
          i += 1;
        }
        afterHour = false;
        continue;
      }
      case 'm': {
        if (afterHour && run <= 2) {
          out += run == 2 ? TwoDigits(p.minute) : std::to_string(p.minute);
          i += run;
          afterHour = false;
          continue;
        }
        const std::size_t n = run > 4 ? 4 : run;
        if (n == 1) out += std::to_string(p.month);
        else if (n == 2) out += TwoDigits(p.month);
        else if (n == 3) out += locale.monthAbbreviations[static_cast<std::size_t>(p.month - 1)];
        else out += locale.monthNames[static_cast<std::size_t>(p.month - 1)];
        i += n;
        afterHour = false;
        continue;
      }
      case 'q':
        out += std::to_string((p.month - 1) / 3 + 1);
        i += 1;
        afterHour = false;
        continue;
      case 'y': {
        if (run >= 4) {
          char buffer[16];
          std::snprintf(buffer, sizeof buffer, "%04d", p.year);
          out += buffer;
          i += 4;
        } else if (run >= 2) {
          out += TwoDigits(p.year % 100);
          i += 2;
        } else {
          out += std::to_string(p.dayOfYear);
          i += 1;
        }
        afterHour = false;
        continue;
      }
      case 'h':
      case 'n':
      case 's': {
        const int value = c == 'h' ? hour : c == 'n' ? p.minute : p.second;
        const std::size_t n = run > 2 ? 2 : run;
        out += n == 2 ? TwoDigits(value) : std::to_string(value);
        i += n;
        afterHour = c == 'h';
        continue;
      }
      case 't':
        if (run >= 5) {
          out += FormatDatePicture(date, locale.longTimePicture, locale, depth + 1);
          i += 5;
          afterHour = false;
          continue;
        }
        break;
      case '/':
        out += locale.dateSeparator;
        i += 1;
        continue;
      case ':':
        out += locale.timeSeparator;
        i += 1;
        continue;
      default:
        break;
    }
    const std::size_t length = CodePointLength(section, i);
    out += section.substr(i, length);
    i += length;
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// Number pictures

enum class NumberToken { Zero, Hash, Point, Comma, Percent, Exponent, Literal };

struct NumberItem {
  NumberToken token;
  std::string text;  // literal text, or the exponent letter and sign ("E+")
};

std::vector<NumberItem> TokenizeNumber(const std::string& section) {
  std::vector<NumberItem> items;
  bool pointSeen = false, exponentSeen = false;
  for (std::size_t i = 0; i < section.size();) {
    std::string literal;
    if (ReadLiteral(section, i, literal)) {
      items.push_back({NumberToken::Literal, literal});
      continue;
    }
    const char c = section[i];
    if (c == '0') items.push_back({NumberToken::Zero, ""});
    else if (c == '#') items.push_back({NumberToken::Hash, ""});
    else if (c == '.' && !pointSeen && !exponentSeen) {
      items.push_back({NumberToken::Point, ""});
      pointSeen = true;
    } else if (c == ',') items.push_back({NumberToken::Comma, ""});
    else if (c == '%') items.push_back({NumberToken::Percent, ""});
    else if ((c == 'e' || c == 'E') && !exponentSeen && i + 1 < section.size() &&
             (section[i + 1] == '+' || section[i + 1] == '-')) {
      items.push_back({NumberToken::Exponent, section.substr(i, 2)});
      exponentSeen = true;
      i += 2;
      continue;
    } else {
      const std::size_t length = CodePointLength(section, i);
      items.push_back({NumberToken::Literal, section.substr(i, length)});
      i += length;
      continue;
    }
    ++i;
  }
  return items;
}

bool IsDigitToken(NumberToken t) { return t == NumberToken::Zero || t == NumberToken::Hash; }

// Renders |value| with one number section; `sign` goes in front of the first digit (after
// any leading literal text, as in "Total: -1.00").
std::string FormatNumberSection(double value, const std::string& section, const LocaleInfo& locale,
                                const char* sign = "") {
  std::vector<NumberItem> items = TokenizeNumber(section);
  // Where the parts of the number end: [0, wholeEnd) whole part, then fraction, then exponent.
  std::size_t pointIndex = items.size(), exponentIndex = items.size();
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (items[k].token == NumberToken::Point && pointIndex == items.size()) pointIndex = k;
    if (items[k].token == NumberToken::Exponent && exponentIndex == items.size()) exponentIndex = k;
  }
  const std::size_t wholeEnd = std::min(pointIndex, exponentIndex);
  const std::size_t fractionEnd = exponentIndex;
  int wholeCount = 0, fractionCount = 0, exponentZeros = 0, percent = 0;
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (items[k].token == NumberToken::Percent) ++percent;
    if (!IsDigitToken(items[k].token)) continue;
    if (k < wholeEnd) ++wholeCount;
    else if (k < fractionEnd) ++fractionCount;
    else if (items[k].token == NumberToken::Zero) ++exponentZeros;
  }
  // Digits without a whole-part placeholder ("." or ".00") still show the whole part.
  if (wholeCount == 0 && (pointIndex < items.size() || fractionCount > 0)) {
    std::size_t at = wholeEnd;
    for (std::size_t k = 0; k < wholeEnd; ++k)
      if (items[k].token != NumberToken::Literal) {
        at = k;
        break;
      }
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), NumberItem{NumberToken::Hash, ""});
    wholeCount = 1;
  }
  // Recompute the part boundaries after a possible insertion.
  std::size_t firstDigit = items.size(), lastWholeDigit = items.size();
  std::size_t wholeLimit = items.size();
  exponentIndex = items.size();
  for (std::size_t k = 0; k < items.size(); ++k) {
    if ((items[k].token == NumberToken::Point || items[k].token == NumberToken::Exponent) && wholeLimit == items.size())
      wholeLimit = k;
    if (items[k].token == NumberToken::Exponent) exponentIndex = k;
  }
  for (std::size_t k = 0; k < wholeLimit; ++k) {
    if (IsDigitToken(items[k].token)) {
      if (firstDigit == items.size()) firstDigit = k;
      lastWholeDigit = k;
    }
  }
  // Commas between whole-part digits group thousands; commas after the last whole digit
  // (before the point or the end of the number) divide by a thousand each.
  bool grouping = false;
  int scale = 0;
  for (std::size_t k = 0; k < wholeLimit; ++k) {
    if (items[k].token != NumberToken::Comma || firstDigit == items.size() || k < firstDigit) continue;
    if (k < lastWholeDigit) grouping = true;
    else ++scale;
  }

  double v = std::fabs(value);
  for (int k = 0; k < percent; ++k) v *= 100;
  for (int k = 0; k < scale; ++k) v /= 1000;
  // Beyond the range of a double (a run of % signs): the plain number rather than a wrong zero.
  if (!std::isfinite(v)) return sign + DoubleText(std::fabs(value), locale);

  std::string whole, fraction;
  int exponent = 0;
  const bool scientific = exponentIndex < items.size();
  if (scientific) {
    Decimal d = ToDecimal(v);
    if (!d.digits.empty()) {
      const int wholeDigits = wholeCount > 0 ? wholeCount : 1;
      exponent = d.pointPosition - wholeDigits;
      d.pointPosition = wholeDigits;
      Decimal r = RoundDecimal(d, fractionCount);
      if (r.pointPosition > wholeDigits) {  // 9.99 rounded up to 10.0
        ++exponent;
        r.pointPosition = wholeDigits;
        r = RoundDecimal(r, fractionCount);
      }
      d = r;
    }
    SplitDecimal(d, fractionCount, &whole, &fraction);
  } else {
    SplitDecimal(RoundDecimal(ToDecimal(v), fractionCount), fractionCount, &whole, &fraction);
  }

  // Fraction placeholders: '#' shows nothing after the last significant or '0' position.
  std::vector<NumberToken> fractionTokens;
  for (std::size_t k = wholeLimit; k < exponentIndex; ++k)
    if (IsDigitToken(items[k].token)) fractionTokens.push_back(items[k].token);
  int lastShown = -1;
  for (int k = 0; k < static_cast<int>(fractionTokens.size()) && k < static_cast<int>(fraction.size()); ++k)
    if (fractionTokens[static_cast<std::size_t>(k)] == NumberToken::Zero || fraction[static_cast<std::size_t>(k)] != '0')
      lastShown = k;

  std::string out;
  const int wholeDigits = static_cast<int>(whole.size());
  int wholePlaceholder = 0, fractionPlaceholder = 0, exponentPlaceholder = 0;
  bool inExponent = false;
  std::string exponentText;
  {
    const int absExponent = exponent < 0 ? -exponent : exponent;
    exponentText = std::to_string(absExponent);
  }
  bool signPlaced = false;
  for (std::size_t k = 0; k < items.size(); ++k) {
    const NumberItem& item = items[k];
    if (!signPlaced && item.token != NumberToken::Literal && item.token != NumberToken::Comma) {
      out += sign;
      signPlaced = true;
    }
    switch (item.token) {
      case NumberToken::Literal:
        out += item.text;
        break;
      case NumberToken::Percent:
        out += '%';
        break;
      case NumberToken::Comma:
        break;
      case NumberToken::Point:
        out += locale.decimalSeparator;
        break;
      case NumberToken::Exponent: {
        inExponent = true;
        out += item.text[0];
        if (exponent < 0) out += '-';
        else if (item.text[1] == '+') out += '+';
        // The exponent's digits come with its placeholders; pad to the count of zeros.
        std::string digits = exponentText;
        while (static_cast<int>(digits.size()) < exponentZeros) digits.insert(digits.begin(), '0');
        bool hasPlaceholders = false;
        for (std::size_t j = k + 1; j < items.size(); ++j)
          if (IsDigitToken(items[j].token)) hasPlaceholders = true;
        if (!hasPlaceholders) out += digits;
        else exponentText = digits;
        break;
      }
      case NumberToken::Zero:
      case NumberToken::Hash:
        if (inExponent) {
          // All exponent digits at the first placeholder.
          if (exponentPlaceholder++ == 0) out += exponentText;
        } else if (k < wholeLimit) {
          const int position = wholeCount - 1 - wholePlaceholder;  // 0 = units
          const int top = wholePlaceholder == 0 ? std::max(wholeDigits - 1, position) : position;
          for (int r = top; r >= position; --r) {
            bool emitted = false;
            if (r < wholeDigits) {
              out += whole[static_cast<std::size_t>(wholeDigits - 1 - r)];
              emitted = true;
            } else if (item.token == NumberToken::Zero) {
              out += '0';
              emitted = true;
            }
            if (emitted && grouping && r > 0 && r % 3 == 0) out += locale.thousandSeparator;
          }
          ++wholePlaceholder;
        } else {
          const int index = fractionPlaceholder++;
          if (index <= lastShown && index < static_cast<int>(fraction.size()))
            out += fraction[static_cast<std::size_t>(index)];
        }
        break;
    }
  }
  if (!signPlaced) out.insert(0, sign);
  return out;
}

// Whether a number section shows any non-zero digit for this value (a rounded-away
// negative shows no minus sign).
bool ShowsNonZero(const std::string& text) {
  for (char c : text)
    if (c >= '1' && c <= '9') return true;
  return false;
}

std::string FormatNumberSections(double value, const std::vector<std::string>& sections, const LocaleInfo& locale) {
  if (!std::isfinite(value)) return DoubleText(value, locale);
  if (value < 0 && sections.size() >= 2 && !sections[1].empty())
    return FormatNumberSection(value, sections[1], locale);
  if (value == 0 && sections.size() >= 3 && !sections[2].empty())
    return FormatNumberSection(value, sections[2], locale);
  // A negative value that rounds to zero shows no minus sign ("0.00", not "-0.00").
  const std::string text = FormatNumberSection(value, sections[0], locale);
  if (value < 0 && ShowsNonZero(text)) return FormatNumberSection(value, sections[0], locale, "-");
  return text;
}

std::string FormatDateSections(double date, const std::vector<std::string>& sections, const LocaleInfo& locale) {
  if (date < 0 && sections.size() >= 2 && !sections[1].empty())
    return FormatDatePicture(date, sections[1], locale, 0);
  if (date == 0 && sections.size() >= 3 && !sections[2].empty())
    return FormatDatePicture(date, sections[2], locale, 0);
  return FormatDatePicture(date, sections[0], locale, 0);
}

// ---------------------------------------------------------------------------------------
// Text pictures

std::string FormatTextSection(const std::string& value, const std::string& section) {
  struct Item {
    char placeholder;  // '@', '&' or 0 for literal
    std::string text;
  };
  std::vector<Item> items;
  bool lower = false, upper = false, leftToRight = false;
  for (std::size_t i = 0; i < section.size();) {
    std::string literal;
    if (ReadLiteral(section, i, literal)) {
      items.push_back({0, literal});
      continue;
    }
    const char c = section[i];
    if (c == '@' || c == '&') items.push_back({c, ""});
    else if (c == '<') lower = true, upper = false;
    else if (c == '>') upper = true, lower = false;
    else if (c == '!') leftToRight = true;
    else {
      const std::size_t length = CodePointLength(section, i);
      items.push_back({0, section.substr(i, length)});
      i += length;
      continue;
    }
    ++i;
  }
  std::string text = lower ? ToLowerAscii(value) : upper ? ToUpperAscii(value) : value;
  const std::vector<std::string> chars = CodePoints(text);
  int placeholders = 0;
  for (const Item& item : items)
    if (item.placeholder) ++placeholders;
  std::string out;
  if (placeholders == 0) {
    for (const Item& item : items) out += item.text;
    return out + text;
  }
  const int n = static_cast<int>(chars.size());
  int index = 0;
  for (const Item& item : items) {
    if (!item.placeholder) {
      out += item.text;
      continue;
    }
    const int j = index++;
    int from, to;  // character range [from, to) for placeholder j
    if (leftToRight) {
      from = j;
      to = j == placeholders - 1 ? std::max(n, j + 1) : j + 1;
    } else if (n > placeholders) {
      // More characters than placeholders: one each from the left, the rest at the last.
      from = j;
      to = j == placeholders - 1 ? n : j + 1;
    } else {
      from = to = j + n - placeholders;  // right-aligned: leading placeholders stay empty
      ++to;
    }
    bool any = false;
    for (int k = from; k < to; ++k) {
      if (k >= 0 && k < n) {
        out += chars[static_cast<std::size_t>(k)];
        any = true;
      }
    }
    if (!any && item.placeholder == '@') out += ' ';
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// Named formats

std::string Zeros(int count) { return std::string(static_cast<std::size_t>(count > 0 ? count : 0), '0'); }

std::string CurrencyText(double value, const LocaleInfo& locale) {
  const int digits = locale.currencyDigits < 0 ? 0 : locale.currencyDigits > 9 ? 9 : locale.currencyDigits;
  std::string whole, fraction;
  SplitDecimal(RoundDecimal(ToDecimal(value), digits), digits, &whole, &fraction);
  const std::string& decimal = locale.monetaryDecimalSeparator.empty() ? locale.decimalSeparator
                                                                      : locale.monetaryDecimalSeparator;
  const std::string& thousands = locale.monetaryThousandSeparator;
  std::string number = Group(whole.empty() ? "0" : whole, thousands);
  if (digits > 0) number += decimal + fraction;
  const std::string& s = locale.currencySymbol;
  const bool negative = value < 0 && ShowsNonZero(whole + fraction);
  if (!negative) {
    switch (locale.currencyPositiveOrder) {
      case 1: return number + s;
      case 2: return s + " " + number;
      case 3: return number + " " + s;
      default: return s + number;
    }
  }
  switch (locale.currencyNegativeOrder) {
    case 1: return "-" + s + number;
    case 2: return s + "-" + number;
    case 3: return s + number + "-";
    case 4: return "(" + number + s + ")";
    case 5: return "-" + number + s;
    case 6: return number + "-" + s;
    case 7: return number + s + "-";
    case 8: return "-" + number + " " + s;
    case 9: return "-" + s + " " + number;
    case 10: return number + " " + s + "-";
    case 11: return s + " " + number + "-";
    case 12: return s + " " + "-" + number;
    case 13: return number + "- " + s;
    case 14: return "(" + s + " " + number + ")";
    case 15: return "(" + number + " " + s + ")";
    default: return "(" + s + number + ")";
  }
}

enum class Conversion { None, ToNumber, ToDate };

// Reads a value as a number for number pictures: false when it has no number form.
bool AsNumber(const Variant& value, const LocaleInfo& locale, double* out) {
  switch (value.Type()) {
    case VariantType::Int16:
    case VariantType::Int32:
    case VariantType::Double:
      *out = value.Number();
      return true;
    case VariantType::Date:
      *out = value.Date();
      return true;
    case VariantType::Bool:
      *out = value.Bool() ? -1 : 0;
      return true;
    case VariantType::Empty:
      *out = 0;
      return true;
    case VariantType::Text:
      return ParseNumberText(value.Text(), locale, out);
    default:
      return false;
  }
}

// Reads a value as a date for date pictures: text as a date, else as a plain serial number
// (no currency, grouping or parentheses: "$5" is not a date).
bool AsDate(const Variant& value, const LocaleInfo& locale, double* out) {
  if (value.IsText()) {
    const std::string_view text = value.Text();
    if (ParseDateText(text, locale, out)) return true;
    if (text.find('(') != std::string::npos || (!locale.currencySymbol.empty() && text.find(locale.currencySymbol) != std::string::npos) ||
        (!locale.thousandSeparator.empty() && text.find(locale.thousandSeparator) != std::string::npos))
      return false;
    return ParseNumberText(text, locale, out);
  }
  return AsNumber(value, locale, out);
}

bool FormatNamed(const Variant& value, const std::string& picture, const LocaleInfo& locale, std::string* out) {
  struct DateName {
    const char* name;
    int which;
  };
  static const char* const kDateNames[] = {"general date", "long date", "medium date", "short date",
                                           "long time",    "medium time", "short time"};
  for (int k = 0; k < 7; ++k) {
    if (!EqualsNoCase(picture, kDateNames[k])) continue;
    double date;
    if (!AsDate(value, locale, &date)) {
      *out = VariantToText(value, locale);
      return true;
    }
    const std::string pictures[] = {"c", locale.longDatePicture, "dd-mmm-yy", locale.shortDatePicture,
                                    locale.longTimePicture, "hh:nn AMPM", "hh:nn"};
    *out = FormatDatePicture(date, pictures[k], locale, 0);
    return true;
  }
  static const char* const kNumberNames[] = {"general number", "currency",   "fixed",      "standard", "percent",
                                             "scientific",     "yes/no",     "true/false", "on/off"};
  for (int k = 0; k < 9; ++k) {
    if (!EqualsNoCase(picture, kNumberNames[k])) continue;
    double number;
    // Text stays as written under General Number; other names read it as a number.
    if ((k == 0 && value.IsText()) || !AsNumber(value, locale, &number)) {
      *out = VariantToText(value, locale);
      return true;
    }
    const std::string fixed = locale.numberDigits > 0 ? "0." + Zeros(locale.numberDigits) : "0";
    switch (k) {
      case 0: *out = DoubleText(number, locale); break;
      case 1: *out = CurrencyText(number, locale); break;
      case 2: *out = FormatNumberSections(number, {fixed}, locale); break;
      case 3: *out = FormatNumberSections(number, {"#,##" + fixed}, locale); break;
      case 4: *out = FormatNumberSections(number, {"0.00%"}, locale); break;
      case 5: *out = FormatNumberSections(number, {"0.00E+00"}, locale); break;
      case 6: *out = number != 0 ? "Yes" : "No"; break;
      case 7: *out = number != 0 ? "True" : "False"; break;
      default: *out = number != 0 ? "On" : "Off"; break;
    }
    return true;
  }
  return false;
}

}  // namespace

std::string VariantToText(const Variant& value, const LocaleInfo& locale) {
  switch (value.Type()) {
    case VariantType::Empty:
    case VariantType::Null:
      return std::string();
    case VariantType::Text:
      return std::string(value.Text());
    case VariantType::Bool:
      return value.Bool() ? "True" : "False";
    case VariantType::Int16:
    case VariantType::Int32:
      return std::to_string(value.Integer());
    case VariantType::Double:
      return DoubleText(value.Number(), locale);
    case VariantType::Date:
      return GeneralDateText(value.Date(), locale, 0);
    case VariantType::Array:
      break;
  }
  throw std::invalid_argument("an array has no text form");
}

std::string FormatVariant(const Variant& value, const std::string& picture, const LocaleInfo& locale) {
  if (picture.empty()) return VariantToText(value, locale);
  if (value.IsArray()) throw std::invalid_argument("an array has no text form");
  std::string named;
  if (!value.IsNull() && FormatNamed(value, picture, locale, &named)) return named;

  const std::vector<std::string> sections = SplitSections(picture);
  const PictureKind kind = ClassifyPicture(sections);

  if (kind == PictureKind::Text) {
    const std::string text = VariantToText(value, locale);
    if (text.empty() && sections.size() >= 2) return FormatTextSection(text, sections[1]);
    if (value.IsNull()) return std::string();
    return FormatTextSection(text, sections[0]);
  }
  if (value.IsNull()) {
    if (sections.size() >= 4) return FormatNumberSection(0, sections[3], locale);
    return std::string();
  }
  if (kind == PictureKind::Date) {
    double date;
    if (!AsDate(value, locale, &date)) return VariantToText(value, locale);
    return FormatDateSections(date, sections, locale);
  }
  double number;
  if (!AsNumber(value, locale, &number)) return VariantToText(value, locale);
  return FormatNumberSections(number, sections, locale);
}

}  // namespace orlix
