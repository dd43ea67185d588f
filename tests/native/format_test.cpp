// The format-picture language, the display text of values and the numeric and date text
// readers, grouped by picture family. English (United States) unless a test builds a locale.
#include "base/format.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "base/date_serial.h"

namespace orlix {
namespace {

const LocaleInfo& En() { return EnglishUnitedStates(); }

// A German layout: decimal comma, day-month order, symbol after the number.
LocaleInfo German() {
  LocaleInfo l = EnglishUnitedStates();
  l.monthNames = {"Januar", "Februar", "März", "April", "Mai", "Juni",
                  "Juli", "August", "September", "Oktober", "November", "Dezember"};
  l.monthAbbreviations = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
  l.dayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
  l.amDesignator = l.pmDesignator = "";
  l.dateSeparator = ".";
  l.decimalSeparator = l.monetaryDecimalSeparator = ",";
  l.thousandSeparator = l.monetaryThousandSeparator = ".";
  l.currencySymbol = "\xE2\x82\xAC";
  l.currencyPositiveOrder = 3;
  l.currencyNegativeOrder = 8;
  l.dateOrder = DateOrder::DayMonthYear;
  l.shortDatePicture = PictureFromWindowsFormat("dd.MM.yyyy");
  l.longDatePicture = PictureFromWindowsFormat("dddd, d. MMMM yyyy");
  l.longTimePicture = PictureFromWindowsFormat("HH:mm:ss");
  return l;
}

double Date(int y, int m, int d, int h = 0, int n = 0, int s = 0) {
  double value = 0;
  EXPECT_TRUE(MakeOleDate(y, m, d, h, n, s, &value));
  return value;
}

std::string F(const Variant& v, const std::string& picture, const LocaleInfo& l = En()) {
  return FormatVariant(v, picture, l);
}
std::string FD(double date, const std::string& picture, const LocaleInfo& l = En()) {
  return F(Variant::FromDate(date), picture, l);
}
std::string FN(double number, const std::string& picture, const LocaleInfo& l = En()) {
  return F(Variant::FromDouble(number), picture, l);
}

TEST(OleDate, SplitsAndBuildsCalendarDates) {
  DateParts p;
  ASSERT_TRUE(SplitOleDate(38356.4208333333, &p));
  EXPECT_EQ(std::tie(p.year, p.month, p.day, p.hour, p.minute, p.weekday), std::make_tuple(2005, 1, 4, 10, 6, 2));
  EXPECT_EQ(Date(1899, 12, 30), 0);
  EXPECT_EQ(Date(2000, 1, 1), 36526);
  EXPECT_EQ(Date(1899, 12, 29, 6), -1.25);  // time runs forwards from midnight before the epoch
  ASSERT_TRUE(SplitOleDate(-1.25, &p));
  EXPECT_EQ(std::tie(p.day, p.hour), std::make_tuple(29, 6));
  // 23:59:59.9 rounds into the next day, not to second 60.
  ASSERT_TRUE(SplitOleDate(36526.99999999, &p));
  EXPECT_EQ(std::tie(p.day, p.hour), std::make_tuple(2, 0));
  EXPECT_FALSE(SplitOleDate(3e6, &p));
  EXPECT_FALSE(SplitOleDate(-7e5, &p));
  double out;
  EXPECT_FALSE(MakeOleDate(2005, 2, 29, 0, 0, 0, &out));
  EXPECT_TRUE(MakeOleDate(2004, 2, 29, 0, 0, 0, &out));
  EXPECT_TRUE(MakeOleDate(2000, 2, 29, 0, 0, 0, &out));  // a century divisible by 400 leaps
  EXPECT_FALSE(MakeOleDate(1900, 2, 29, 0, 0, 0, &out));
  EXPECT_FALSE(MakeOleDate(99, 1, 1, 0, 0, 0, &out));
}

TEST(DatePictures, EveryToken) {
  const double t = Date(2005, 1, 4, 22, 6, 9);  // the pictures the reports use
  EXPECT_EQ(FD(t, "dddd, mmmm d yyyy"), "Tuesday, January 4 2005");
  EXPECT_EQ(FD(t, "hh:mm:ss AMPM"), "10:06:09 PM");
  EXPECT_EQ(FD(t, "YYYYMMDDHhNnSs"), "20050104220609");
  EXPECT_EQ(FD(Date(2005, 1, 4, 9, 5, 0), "hh:mm:ss AMPM"), "09:05:00 AM");
  const std::pair<const char*, const char*> monday[] = {  // 7 March 2005, 13:05:09
      {"d dd ddd dddd", "7 07 Mon Monday"}, {"ddddd", "3/7/2005"}, {"dddddd", "Monday, March 7, 2005"},
      {"m mm mmm mmmm", "3 03 Mar March"}, {"q y yy yyyy", "1 66 05 2005"}, {"w ww", "2 11"},
      {"h hh n nn s ss", "13 13 5 05 9 09"}, {"ttttt", "1:05:09 PM"}, {"h AM/PM", "1 PM"}, {"h am/pm", "1 pm"},
      {"h A/P a/p", "1 P p"}};
  for (const auto& [picture, text] : monday) EXPECT_EQ(FD(Date(2005, 3, 7, 13, 5, 9), picture), text) << picture;
  EXPECT_EQ(FD(Date(2005, 3, 7, 0, 30), "h:nn AMPM"), "12:30 AM");  // midnight hour is 12
  EXPECT_EQ(FD(Date(2005, 3, 7, 12, 30), "h:nn AMPM"), "12:30 PM");
  // Week 1 holds 1 January, weeks start on Sunday: 1 January 2005 was a Saturday.
  EXPECT_EQ(FD(Date(2005, 1, 1), "ww"), "1");
  EXPECT_EQ(FD(Date(2005, 1, 2), "ww"), "2");
  EXPECT_EQ(FD(Date(2010, 12, 31), "ww"), "53");
}

TEST(DatePictures, MinuteAfterHourCaseLiteralsAndSeparators) {
  const double d = Date(2005, 3, 7, 13, 5, 9);
  // Only the first m after the hour is minutes.
  const std::pair<const char*, const char*> cases[] = {
      {"hh:mm", "13:05"}, {"mm/dd hh:mm", "03/07 13:05"}, {"h mm mm", "13 05 03"},
      {"DDDD MMMM YYYY", "Monday March 2005"}, {"dd \"of\" mmmm", "07 of March"}, {"\\d\\a\\y d", "day 7"},
      {"\"unterminated", "unterminated"}, {"d\\", "7"}};
  for (const auto& [picture, text] : cases) EXPECT_EQ(FD(d, picture), text) << picture;
  const LocaleInfo de = German();
  EXPECT_EQ(FD(d, "dd/mm/yyyy hh:nn", de), "07.03.2005 13:05");  // the locale's separators
  EXPECT_EQ(FD(d, "dddd, d. mmmm", de), "Montag, 7. März");
}

TEST(DatePictures, GeneralDateAndNamedDateFormats) {
  EXPECT_EQ(FD(Date(2005, 1, 4), "c"), "1/4/2005");                 // no time part
  EXPECT_EQ(FD(0.75, "c"), "6:00:00 PM");                            // day 0: time alone
  EXPECT_EQ(FD(Date(2005, 1, 4, 18), "c"), "1/4/2005 6:00:00 PM");
  const double d = Date(2005, 1, 4, 18, 30);
  const std::pair<const char*, const char*> named[] = {
      {"General Date", "1/4/2005 6:30:00 PM"}, {"long date", "Tuesday, January 4, 2005"}, {"Medium Date", "04-Jan-05"},
      {"Short Date", "1/4/2005"}, {"Long Time", "6:30:00 PM"}, {"Medium Time", "06:30 PM"}, {"Short Time", "18:30"}};
  for (const auto& [picture, text] : named) EXPECT_EQ(FD(d, picture), text) << picture;
  EXPECT_EQ(FD(Date(2005, 1, 4), "Long Time"), "12:00:00 AM");
  EXPECT_EQ(FD(d, "General Date", German()), "04.01.2005 18:30:00");
}

TEST(DatePictures, OtherValuesUnderDatePictures) {
  EXPECT_EQ(F(Variant::FromText("1/4/2005"), "yyyy-mm-dd"), "2005-01-04");
  EXPECT_EQ(F(Variant::FromText("January 4, 2005 10:05 PM"), "yyyymmddhhnn"), "200501042205");
  EXPECT_EQ(F(Variant::FromText("12"), "yyyy-mm-dd"), "1900-01-11");  // a serial number
  EXPECT_EQ(F(Variant::FromText("$5"), "yyyy"), "$5");              // neither: shown as written
  EXPECT_EQ(F(Variant::FromText("abc"), "yyyy"), "abc");
  EXPECT_EQ(F(Variant::FromInt32(36526), "yyyy"), "2000");
  EXPECT_EQ(F(Variant::Null(), "yyyy"), "");
  // Outside the calendar: the number, never a crash.
  EXPECT_EQ(FN(1e300, "yyyy"), "1E+300");
}

TEST(NumberPictures, DigitsRoundingGroupingScalingPercentAndExponent) {
  // Halves round away from zero, on decimal digits (1.005 is 1.01); rounding carries into the exponent.
  const std::tuple<double, const char*, const char*> cases[] = {
      {1.5, "0", "2"}, {2.5, "0", "3"}, {-2.5, "0", "-3"}, {0.125, "0.00", "0.13"}, {1.005, "0.00", "1.01"},
      {99.995, "0.00", "100.00"}, {0.5, "#.##", ".5"}, {1, "#.##", "1."}, {1.5, "0.0#", "1.5"}, {1.25, "0.0#", "1.25"},
      {0, "#", ""}, {7, "00000", "00007"}, {123456, "00", "123456"}, {1.5, ".00", "1.50"},
      {123456789, "000-00-0000", "123-45-6789"}, {1234567.891, "#,##0.00", "1,234,567.89"}, {5, "0,000", "0,005"},
      {1234567.891, "#,##0,", "1,235"}, {1234567.891, "#,##0,,", "1"}, {1e20, "#,##0", "100,000,000,000,000,000,000"},
      {0.125, "0.0%", "12.5%"}, {12345, "0.00E+00", "1.23E+04"}, {0.00012345, "0.00E+00", "1.23E-04"},
      {12345, "0.00E-00", "1.23E04"}, {9.999, "0.00e+0", "1.00e+1"}, {0, "0.00E+00", "0.00E+00"}};
  for (const auto& [number, picture, text] : cases) EXPECT_EQ(FN(number, picture), text) << number << " " << picture;
  EXPECT_EQ(FN(1.5, "0.00", German()), "1,50");
  EXPECT_EQ(FN(1234567.891, "#,##0.00", German()), "1.234.567,89");
}

TEST(NumberPictures, SectionsSignsLiteralsAndOtherValues) {
  const std::string money = "$#,##0.00;($#,##0.00);\"zero\";\"null\"";
  EXPECT_EQ(F(Variant::Null(), money), "null");
  EXPECT_EQ(F(Variant::Null(), "0.00"), "");
  // An empty negative section takes the positive one with a sign; what rounds to zero has none.
  const std::tuple<double, std::string, const char*> cases[] = {
      {1234.5, money, "$1,234.50"}, {-1234.5, money, "($1,234.50)"}, {0, money, "zero"}, {-5, "0;;\"nil\"", "-5"},
      {-5, "\"Total: \"0.00", "Total: -5.00"}, {-5, "$0", "$-5"}, {-0.001, "0.00", "0.00"},
      {5, "0\" units\"", "5 units"}, {5, "\\#0", "#5"}, {5, "\"Yes\";\"Yes\";\"No\"", "Yes"},
      {0, "\"Yes\";\"Yes\";\"No\"", "No"}};
  for (const auto& [number, picture, text] : cases) EXPECT_EQ(FN(number, picture), text) << number << " " << picture;

  EXPECT_EQ(F(Variant::FromText(" 1,234.5 "), "0.00"), "1234.50");
  EXPECT_EQ(F(Variant::FromText("(5)"), "0"), "-5");
  EXPECT_EQ(F(Variant::FromText("abc"), "0.00"), "abc");
  EXPECT_EQ(F(Variant::FromText("1/4/2005"), "0.00"), "1/4/2005");  // dates stay text here
  EXPECT_EQ(F(Variant::FromBool(true), "0"), "-1");
  EXPECT_EQ(F(Variant::FromDate(Date(2000, 1, 1, 12)), "0.0"), "36526.5");
  EXPECT_EQ(F(Variant(), "0.00"), "0.00");
  EXPECT_EQ(F(Variant::FromInt16(-42), "000"), "-042");
}

TEST(NamedFormats, NumberNames) {
  const std::tuple<double, const char*, const char*> cases[] = {
      {-1234.5, "Currency", "($1,234.50)"}, {1234.5, "currency", "$1,234.50"}, {1234.5, "Fixed", "1234.50"},
      {1234.5, "Standard", "1,234.50"}, {0.125, "Percent", "12.50%"}, {1234.5, "Scientific", "1.23E+03"},
      {1234.5, "General Number", "1234.5"}, {2, "Yes/No", "Yes"}, {0, "Yes/No", "No"}, {0, "On/Off", "Off"}};
  for (const auto& [number, picture, text] : cases) EXPECT_EQ(FN(number, picture), text) << number << " " << picture;
  EXPECT_EQ(FN(-1234.5, "Currency", German()), "-1.234,50 \xE2\x82\xAC");
  EXPECT_EQ(F(Variant::FromText("1e3"), "General Number"), "1e3");
  EXPECT_EQ(F(Variant::FromBool(true), "True/False"), "True");
  EXPECT_EQ(F(Variant::FromText("abc"), "Yes/No"), "abc");
}

TEST(TextPictures, PlaceholdersCaseAndSections) {
  // Extra characters go last; text counts characters, not bytes.
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"abc", "@@@@@", "  abc"}, {"abc", "&&&&&", "abc"}, {"abc", "!@@@@@", "abc  "}, {"abc", "@@-@@", " a-bc"},
      {"hello world", "@@-@@", "he-llo world"}, {"5551234567", "(@@@) @@@-@@@@", "(555) 123-4567"},
      {"Mixed Case", ">", "MIXED CASE"}, {"Mixed Case", "<", "mixed case"}, {"", "@;\"empty\"", "empty"},
      {"caf\xC3\xA9", "@@@@@@", "  caf\xC3\xA9"}};
  for (const auto& [text, picture, shown] : cases) EXPECT_EQ(F(Variant::FromText(text), picture), shown) << picture;
  EXPECT_EQ(F(Variant::Null(), "@;\"empty\""), "empty");
  EXPECT_EQ(F(Variant::Null(), "@@@"), "");
  EXPECT_EQ(F(Variant::FromInt32(42), "@@@@"), "  42");
}

TEST(DisplayText, NumbersBooleansDatesAndNothing) {
  const auto T = [](const Variant& v) { return VariantToText(v, En()); };
  const std::pair<double, const char*> doubles[] = {
      {1.5, "1.5"}, {-1234.5678, "-1234.5678"}, {1e20, "1E+20"}, {1e-5, "1E-05"},
      {123456789012345.0, "123456789012345"}, {1e15, "1E+15"}, {0.1 + 0.2, "0.3"}, {-0.0, "0"}};
  for (const auto& [number, text] : doubles) EXPECT_EQ(T(Variant::FromDouble(number)), text) << number;
  EXPECT_EQ(T(Variant::FromInt16(-7)), "-7");
  EXPECT_EQ(T(Variant::FromBool(true)), "True");
  EXPECT_EQ(T(Variant::FromBool(false)), "False");
  EXPECT_EQ(T(Variant::FromDate(Date(2005, 1, 4))), "1/4/2005");
  EXPECT_EQ(T(Variant::FromDate(0.5)), "12:00:00 PM");
  EXPECT_EQ(T(Variant::FromDate(Date(2005, 1, 4, 10, 5))), "1/4/2005 10:05:00 AM");
  EXPECT_EQ(T(Variant::Null()), "");
  EXPECT_EQ(T(Variant()), "");
  EXPECT_EQ(VariantToText(Variant::FromDouble(1.5), German()), "1,5");
  EXPECT_EQ(VariantToText(Variant::FromDouble(-2.5e-7), German()), "-2,5E-07");
  EXPECT_THROW(VariantToText(Variant::FromArray(std::make_shared<VariantArray>(VariantArray::TwoDimensional(1, 1))), En()),
               std::invalid_argument);
}

TEST(NumberText, ReadsWhatWindowsCallsNumeric) {
  const auto N = [](const std::string& text, const LocaleInfo& l = En()) {
    double v = 0;
    return ParseNumberText(text, l, &v) ? v : -99999;
  };
  const std::pair<const char*, double> numbers[] = {
      {"12", 12}, {" 12 ", 12}, {"\t-12\n", -12}, {"12-", -12}, {"+12", 12}, {"(12)", -12}, {"1,234.5", 1234.5},
      {".5", 0.5}, {"1.", 1}, {"1E3", 1000}, {"1e-3", 0.001}, {"$12", 12}, {"-$12", -12}, {"&HFF", 255},
      {"&HFFFF", 65535}, {"&O17", 15}};
  for (const auto& [text, number] : numbers) EXPECT_EQ(N(text), number) << text;
  EXPECT_EQ(N("1,5", German()), 1.5);
  EXPECT_EQ(N("1.234,5", German()), 1234.5);
  EXPECT_EQ(N("12 \xE2\x82\xAC", German()), 12);
  for (const char* bad : {"", " ", "abc", "12a", "1 2", "--1", "(12", "12)", "1.2.3", "1e", "1d2", "&H", "&HG",
                          "&O8", "1e999", ",12", ".", "0x10", "-(1)", "12--"})
    EXPECT_FALSE(ParseNumberText(bad, En(), nullptr)) << bad;
  EXPECT_TRUE(IsNumericVariant(Variant::FromInt16(3), En()));
  EXPECT_TRUE(IsNumericVariant(Variant::FromText(" 1.5 "), En()));
  EXPECT_FALSE(IsNumericVariant(Variant::FromText("12a"), En()));
  EXPECT_FALSE(IsNumericVariant(Variant::FromBool(true), En()));
  EXPECT_FALSE(IsNumericVariant(Variant::Null(), En()));
}

TEST(DateText, ReadsDatesAndTimesInTheLocaleOrder) {
  const auto D = [](const std::string& text, const LocaleInfo& l = En()) {
    double v = 0;
    return ParseDateText(text, l, &v) ? v : -99999;
  };
  const double jan4 = Date(2005, 1, 4);
  for (const char* text : {"1/4/2005", "2005-01-04", "Tuesday, January 4 2005", "4 Jan 2005", "Jan 4, 05"})
    EXPECT_EQ(D(text), jan4) << text;
  EXPECT_EQ(D("January 2005"), Date(2005, 1, 1));
  EXPECT_EQ(D("13/1/2005"), Date(2005, 1, 13));  // impossible month: the other order
  EXPECT_EQ(D("1/4/29"), Date(2029, 1, 4));
  EXPECT_EQ(D("1/4/30"), Date(1930, 1, 4));
  EXPECT_EQ(D("10:05:30 PM"), Date(1899, 12, 30, 22, 5, 30));
  EXPECT_EQ(D("12:00 AM"), 0);
  EXPECT_EQ(D("5 pm"), Date(1899, 12, 30, 17));
  EXPECT_EQ(D("10.30"), Date(1899, 12, 30, 10, 30));
  EXPECT_EQ(D("1/4/2005 10:05 AM"), Date(2005, 1, 4, 10, 5));
  EXPECT_EQ(D("4.1.2005", German()), jan4);
  EXPECT_EQ(D("Dienstag, 4. Januar 2005 18:30:00", German()), Date(2005, 1, 4, 18, 30));
  for (const char* bad : {"", "abc", "1", "12", "2/30/2005", "25:00", "10:61", "13:00 PM", "1/2/3/4", "10:",
                          "Jan Feb 2005", "1/4/2005 x", "99999/1/1", "PM"})
    EXPECT_FALSE(ParseDateText(bad, En(), nullptr)) << bad;
}

TEST(DateText, ReadsBackWhatThePicturesWrite) {
  for (const LocaleInfo& l : {En(), German()}) {
    const double d = Date(2005, 1, 4, 22, 6, 9);
    for (const char* picture : {"dddd, mmmm d yyyy hh:mm:ss AMPM", "c", "dddddd ttttt", "d mmm yyyy h:nn:ss"}) {
      double back = 0;
      const std::string text = FD(d, picture, l);
      if (l.amDesignator.empty() && std::string(picture).find("AMPM") != std::string::npos) continue;
      ASSERT_TRUE(ParseDateText(text, l, &back)) << text;
      EXPECT_NEAR(back, d, 1e-9) << text;
    }
  }
}

TEST(WindowsPictures, RewrittenInThePictureLanguage) {
  EXPECT_EQ(PictureFromWindowsFormat("M/d/yyyy"), "m\"/\"d\"/\"yyyy");
  EXPECT_EQ(PictureFromWindowsFormat("h:mm:ss tt"), "h\":\"nn\":\"ss\" \"AMPM");
  EXPECT_EQ(PictureFromWindowsFormat("dd.MM.yy"), "dd\".\"mm\".\"yy");
  EXPECT_EQ(PictureFromWindowsFormat("d 'de' MMMM"), "d\" de \"mmmm");
  EXPECT_EQ(PictureFromWindowsFormat("HH'h'mm"), "hh\"h\"nn");
  const double d = Date(2005, 1, 4, 22, 6, 9);
  EXPECT_EQ(FD(d, PictureFromWindowsFormat("d 'de' MMMM 'de' yyyy")), "4 de January de 2005");
  EXPECT_EQ(FD(d, PictureFromWindowsFormat("'It''s' H:mm")), "It's 22:06");
}

// Long pictures and texts stay linear (random ones are the fuzzer's).
TEST(Robustness, LongPicturesAndTexts) {
  EXPECT_EQ(FN(1, std::string(5000, '0')).size(), 5000u);
  EXPECT_EQ(FN(1, "0." + std::string(5000, '0')).size(), 5002u);
  EXPECT_EQ(FN(-1, std::string(400, '%') + "0"), "-1");  // overflow shows the number, not 0
  EXPECT_FALSE(ParseNumberText(std::string(100000, '1') + "x", En(), nullptr));
  EXPECT_FALSE(ParseDateText(std::string(100000, '/'), En(), nullptr));
}

}  // namespace
}  // namespace orlix
