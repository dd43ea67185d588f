// Differential test: our formatter and text readers against the system's oleaut32
// (VarFormat, VariantChangeType to text, VarR8FromStr, VarDateFromStr) in the user's locale.
// Every disagreement is printed; the test fails on any that is not listed, with its reason,
// in the table of expected differences below.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/format.h"
#include "base/locale_info.h"
#include "platform/current_locale.h"
#include "platform/ansi_win.h"
#include "platform/variant_com_win.h"

namespace orlix {
namespace {

struct ExpectedDifference {
  const char* picture;  // the picture, "number-text" / "date-text" / "display", or "*" for any
  const char* value;    // the value label (see Label), or "*" for any
  const char* reason;
};

// Where we differ from Wine's oleaut32 on purpose: its known faults, and the few places where
// we keep the documented behaviour of VB's Format.
const ExpectedDifference kExpectedDifferences[] = {
    {"hh:nn:ss AM/PM", "*", "Wine shows a 24-hour hour under AM/PM; a 12-hour hour is meant"},
    {"c", "*", "Wine appends stray characters after the general date"},
    {"Medium Date", "*", "Wine shows the long date; the medium date is dd-mmm-yy"},
    {"ww", "*", "Wine's week number is off by one: week 1 holds 1 January and weeks start on Sunday"},
    {"ttttt", "*", "a date without a time shows midnight under a time picture; Wine shows nothing"},
    {"Long Time", "*", "a date without a time shows midnight under a time picture; Wine shows nothing"},
    {"##0.0E+0", "R8:0", "Wine writes zero as 000.0E-2"},
    {"#,##0,", "*", "a comma before the decimal point divides by a thousand; Wine ignores it"},
    {"#,##0,,", "*", "each comma before the decimal point divides by a thousand; Wine ignores them"},
    {".00", "*", "Wine drops the whole part when the picture has no whole-part placeholder"},
    {"*", "R8:-0.001", "a negative value that rounds to zero shows no minus sign"},
    {"*", "BSTR:Mixed Case", "Wine lowercases text under text pictures that have no <"},
    {"!@@@@@", "*", "! fills placeholders from the left; Wine ignores it"},
    {"@", "BOOL:True", "a boolean shows True/False under a text picture, as its display text does"},
    {"@", "BOOL:False", "a boolean shows True/False under a text picture, as its display text does"},
    {"0", "EMPTY", "an empty value formats as zero; Wine drops the zero digits"},
    {"0.00", "EMPTY", "an empty value formats as zero; Wine drops the zero digits"},
    {"Currency", "EMPTY", "an empty value formats as zero; Wine drops the zero digits"},
    {"General Number", "EMPTY", "an empty value formats as zero; Wine drops the zero digits"},
    {"0;0;0;\"null\"", "EMPTY", "an empty value is zero, not null; Wine uses the null section"},
    {"0;0;0;\"null\"", "NULL", "the fourth section is the one for null; Wine shows nothing"},
    // Seen in other locales.
    {"Currency", "*", "the currency layout follows the locale (1,00 \xE2\x82\xAC); Wine always puts the symbol first"},
    {"Yes/No", "*", "Yes/No stays English, like the True/False display text; Wine translates it"},
    {"True/False", "*", "True/False stays English, like the display text of booleans; Wine translates it"},
    {"On/Off", "*", "On/Off stays English, like the display text of booleans; Wine translates it"},
    {"*", "BSTR:1,234.5", "a thousands separator after the decimal separator ends the number; Wine skips it"},
    {"display", "R8:-2.5e-07", "the exponent form keeps the locale's decimal separator; Wine writes a period"},
};

bool Matches(const char* pattern, const std::string& text) { return std::string(pattern) == "*" || text == pattern; }

std::string Label(const Variant& v) {
  char buffer[64];
  switch (v.Type()) {
    case VariantType::Empty: return "EMPTY";
    case VariantType::Null: return "NULL";
    case VariantType::Int16: return "I2:" + std::to_string(v.Integer());
    case VariantType::Int32: return "I4:" + std::to_string(v.Integer());
    case VariantType::Double:
      std::snprintf(buffer, sizeof buffer, "R8:%.15g", v.Number());
      return buffer;
    case VariantType::Date:
      std::snprintf(buffer, sizeof buffer, "DATE:%.15g", v.Date());
      return buffer;
    case VariantType::Bool: return v.Bool() ? "BOOL:True" : "BOOL:False";
    case VariantType::Text: return "BSTR:" + std::string(v.Text());
    default: return "?";
  }
}

std::string HresultText(HRESULT hr) { return "(error " + std::to_string(static_cast<unsigned long>(hr)) + ")"; }

// Counts the pairs compared and prints every disagreement; those not listed above are unexpected.
struct Differences {
  int compared = 0, unexpected = 0;
  void Compare(const std::string& picture, const std::string& value, const std::string& ours, const std::string& theirs) {
    ++compared;
    if (ours == theirs) return;
    bool expected = false;
    for (const ExpectedDifference& e : kExpectedDifferences) expected |= Matches(e.picture, picture) && Matches(e.value, value);
    std::printf("%s [%s] %s: ours \"%s\", oleaut32 \"%s\"\n", expected ? "expected" : "DIFFERENT", picture.c_str(),
                value.c_str(), ours.c_str(), theirs.c_str());
    unexpected += expected ? 0 : 1;
  }
};

std::string OleFormat(const Variant& value, const std::string& picture) {
  UniqueVariant in;
  if (FAILED(VariantToCom(value, in.get()))) return "(no VARIANT)";
  const std::wstring wide = Utf8ToWide(picture);
  UniqueBstr out;
  const HRESULT hr = ::VarFormat(in.get(), const_cast<LPOLESTR>(wide.c_str()), 1, 1, 0, out.put());
  if (FAILED(hr)) return HresultText(hr);
  return out.get() ? WideToUtf8(std::wstring(out.get(), ::SysStringLen(out.get()))) : std::string();
}

std::string OleDisplay(const Variant& value) {
  UniqueVariant in, out;
  if (FAILED(VariantToCom(value, in.get()))) return "(no VARIANT)";
  const HRESULT hr = ::VariantChangeType(out.get(), in.get(), VARIANT_ALPHABOOL, VT_BSTR);
  if (FAILED(hr)) return HresultText(hr);
  BSTR b = V_BSTR(out.get());
  return b ? WideToUtf8(std::wstring(b, ::SysStringLen(b))) : std::string();
}

std::vector<Variant> Dates() {
  return {Variant::FromDate(38356.4208333333),  // 4 Jan 2005 10:06
          Variant::FromDate(38356.9208333333),  // 4 Jan 2005 22:06
          Variant::FromDate(38356),             // date only
          Variant::FromDate(0.75),              // time only
          Variant::FromDate(36526.9999884259),  // 1 Jan 2000 23:59:59
          Variant::FromDate(45000.0423611111),  // 15 Mar 2023 01:01
          Variant::FromDate(2958465),           // 31 Dec 9999
          Variant::FromDate(-1.25),             // 29 Dec 1899 06:00
          Variant::FromDate(40543.5)};          // 31 Dec 2010 12:00 (week 53)
}

const char* const kDatePictures[] = {
    "dddd, mmmm d yyyy", "hh:mm:ss AMPM", "YYYYMMDDHhNnSs", "d", "dd", "ddd", "dddd", "ddddd", "dddddd", "m", "mm",
    "mmm", "mmmm", "q", "y", "yy", "yyyy", "w", "ww", "h", "hh", "n", "nn", "s", "ss", "ttttt", "AM/PM", "am/pm",
    "A/P", "a/p", "AMPM", "h:mm", "hh:mm:ss", "m/d/yy", "dd/mm/yyyy", "yyyy-mm-dd", "hh:nn:ss AM/PM", "c",
    "dd \"of\" mmmm", "\\d\\a\\y d", "h:m:s", "mm:ss", "DDDD MMMM YYYY", "H:NN", "hh\\hnn", "yyyy/mm/dd hh:nn",
    "d-mmm-yy", "mmm yyyy", "h AMPM", "General Date", "Long Date", "Medium Date", "Short Date", "Long Time",
    "Medium Time", "Short Time", "general date", "ddd d mmm", "yyyymmdd", "q\\Qyyyy"};

std::vector<Variant> Numbers() {
  return {Variant::FromDouble(0),          Variant::FromDouble(1),          Variant::FromDouble(-1),
          Variant::FromDouble(1.5),        Variant::FromDouble(-1234.5678), Variant::FromDouble(0.125),
          Variant::FromDouble(2.5),        Variant::FromDouble(1234567.891), Variant::FromDouble(1e20),
          Variant::FromDouble(0.00001),    Variant::FromDouble(99.995),     Variant::FromInt32(7),
          Variant::FromInt16(-42),         Variant::FromDouble(-0.001)};
}

const char* const kNumberPictures[] = {
    "0", "0.00", "#,##0", "#,##0.00", "#.##", "0.0#", "#", "00000", "0%", "0.00%", "0.00E+00", "0.00e-00",
    "##0.0E+0", "$#,##0.00;($#,##0.00)", "0;(0);\"zero\"", "0.00;;\"nil\"", "000-00-0000", "#,##0,", "#,##0,,",
    ".00", "\"Total: \"0.00", "0\" units\"", "+0;-0;0", "General Number", "Currency", "Fixed", "Standard",
    "Percent", "Scientific", "Yes/No", "True/False", "On/Off"};

// The locale data is Windows' own; a run under another locale names what it expects.
TEST(FormatOleaut, LocaleComesFromGetLocaleInfo) {
  const LocaleInfo& locale = CurrentLocale();
  char buffer[128];
  ASSERT_GT(::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer), 0);
  EXPECT_EQ(locale.decimalSeparator, AnsiToUtf8(buffer));
  ASSERT_GT(::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME7, buffer, sizeof buffer), 0);
  EXPECT_EQ(locale.dayNames[0], AnsiToUtf8(buffer));  // Sunday first
  if (const char* decimal = std::getenv("ORLIX_EXPECT_DECIMAL")) {
    EXPECT_EQ(locale.decimalSeparator, decimal);
  }
  if (const char* month = std::getenv("ORLIX_EXPECT_MONTH")) {
    EXPECT_EQ(locale.monthNames[0], month);
  }
}

TEST(FormatOleaut, AgreesWithVarFormat) {
  const LocaleInfo& locale = CurrentLocale();
  Differences diff;
  auto compare = [&](const Variant& v, const std::string& picture) {
    diff.Compare(picture, Label(v), FormatVariant(v, picture, locale), OleFormat(v, picture));
  };
  for (const Variant& v : Dates())
    for (const char* picture : kDatePictures) compare(v, picture);
  for (const Variant& v : Numbers())
    for (const char* picture : kNumberPictures) compare(v, picture);

  const char* const texts[] = {"abc", "hello world", "", "12", "1/4/2005", "Mixed Case"};
  const char* const textPictures[] = {"@@@@@", "&&&&&", "!@@@@@", ">", "<", "@@-@@", "(@@@) @@@-@@@@",
                                      "@;\"empty\"", ">@@@@@@", "!&&&"};
  for (const char* t : texts)
    for (const char* picture : textPictures) compare(Variant::FromText(t), picture);

  // Text read as a number or a date under number and date pictures, as Windows does.
  const char* const convertible[] = {"12", "1,234.5", "abc", "1/4/2005", "$5", "(5)", "  3.25  ", "1e3", "-7"};
  const char* const crossPictures[] = {"0.00", "yyyy-mm-dd", "Currency", "Yes/No", "#,##0", "General Number"};
  for (const char* t : convertible)
    for (const char* picture : crossPictures) compare(Variant::FromText(t), picture);

  const char* const valuePictures[] = {"0", "Yes/No", "True/False", "On/Off", "General Number", "@", "0.00",
                                       "yyyy", "0;0;0;\"null\"", "Currency"};
  for (const char* picture : valuePictures)
    for (const Variant& v : {Variant::FromBool(true), Variant::FromBool(false), Variant::Null(), Variant(), Variant::FromInt16(300)})
      compare(v, picture);

  std::printf("%d value/picture pairs compared, %d unexpected differences\n", diff.compared, diff.unexpected);
  EXPECT_GE(diff.compared, 300);
  EXPECT_EQ(diff.unexpected, 0);
}

TEST(FormatOleaut, DisplayTextAgreesWithVariantChangeType) {
  const LocaleInfo& locale = CurrentLocale();
  Differences diff;
  std::vector<Variant> values = Numbers();
  for (const Variant& d : Dates()) values.push_back(d);
  for (double x : {1e15, 123456789012345.0, 1.0 / 3, -2.5e-7, 1e-4, 1e21, 0.1 + 0.2})
    values.push_back(Variant::FromDouble(x));
  values.insert(values.end(), {Variant::FromBool(true), Variant::FromBool(false)});
  for (const Variant& v : values) diff.Compare("display", Label(v), VariantToText(v, locale), OleDisplay(v));
  EXPECT_EQ(diff.unexpected, 0);
}

// Text read as a number and as a date, against VarR8FromStr and VarDateFromStr.
TEST(FormatOleaut, TextReadersAgreeWithVarR8FromStrAndVarDateFromStr) {
  const LocaleInfo& locale = CurrentLocale();
  Differences diff;
  // Reads `text` both ways and compares what each read, or that it could not.
  const auto compare = [&](const char* kind, const std::string& text, bool ourOk, double ours, auto theirRead,
                           const char* format) {
    double theirs = 0;
    const std::wstring wide = Utf8ToWide(text);
    const bool theirOk = SUCCEEDED(theirRead(const_cast<OLECHAR*>(wide.c_str()), LOCALE_USER_DEFAULT, 0, &theirs));
    char a[64], b[64];
    std::snprintf(a, sizeof a, format, ours);
    std::snprintf(b, sizeof b, format, theirs);
    diff.Compare(kind, "BSTR:" + text, ourOk ? a : "(not read)", theirOk ? b : "(not read)");
  };
  const std::string d = locale.decimalSeparator, t = locale.thousandSeparator, c = locale.currencySymbol;
  for (const std::string& text : std::vector<std::string>{
           "0", "12", "-12", "+12", " 12 ", "12-", "12+", "(12)", "1" + d + "5", d + "5", "1" + d, "1" + t + "234",
           "1" + t + "234" + d + "5", "1e5", "1E-3", "1d2", "1e", "&HFF", "&hff", "&O17", "&HFFFF", "&H10000", "&H",
           c + "12", c + " 12", "12" + c, "-" + c + "12", c + "-12", "", " ", "abc", "12a", "1 2", "--1", "(12",
           "12)", "1" + d + "2" + d + "3", "\t7\t", "0x10", "1e400", "-0", "00012", t + "12", "(" + c + "5)"}) {
    double ours = 0;
    const bool ourOk = ParseNumberText(text, locale, &ours);
    compare("number-text", text, ourOk, ours, ::VarR8FromStr, "%.15g");
  }
  // Texts written by our own pictures in this locale, then common hand-written forms.
  std::vector<std::string> dates;
  for (const char* picture : {"dddd, mmmm d yyyy", "hh:mm:ss AMPM", "ddddd", "dddddd", "ddddd ttttt", "c",
                              "d mmm yyyy", "mmmm d, yyyy", "ttttt", "yyyy-mm-dd"})
    dates.push_back(FormatVariant(Variant::FromDate(38356.9208333333), picture, locale));
  for (const char* text : {"1/4/2005", "13/1/2005", "2005-01-04", "4 Jan 2005", "Jan 4 2005", "January 2005",
                           "10:05", "10:05 PM", "10:05:30", "5 PM", "12:00 AM", "12:00 PM", "1/4/05", "1/4/29",
                           "1/4/30", "2/30/2005", "abc", "", "1", "25:00", "10:61", "1/4/2005 10:05 AM", "Jan",
                           "31/12/9999", "1/1/100", "3.25", "  3.25  ", "12", "1,234.5", "1e3", "-7", "4.1.2005",
                           "10.30", "1-4-2005", "2005/1/4", "Tuesday", "4 January", "PM", "10 PM 1/4/2005"})
    dates.push_back(text);
  for (const std::string& text : dates) {
    double ours = 0;
    const bool ourOk = ParseDateText(text, locale, &ours);
    compare("date-text", text, ourOk, ours, ::VarDateFromStr, "%.6f");
  }
  EXPECT_EQ(diff.unexpected, 0);
}

}  // namespace
}  // namespace orlix
