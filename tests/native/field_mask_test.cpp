#include "reportview/field_mask_info.h"

#include <gtest/gtest.h>

#include <string>

#include "base/format.h"

namespace orlix {
namespace {

const char kMainMask[] = "0=\"ProgID\",1=\"File Path\",2=\"Version\",3=\"Attribute\",4=\"CLSID\"";

// Reads one entry and returns the rest.
std::string Read(cFieldMaskInfo& field, const std::string& mask) { return field.SetProperties(mask); }

std::string Shown(const cFieldMaskInfo& field, const Variant& cell) {
  const Variant v = field.TranslateValue(cell, EnglishUnitedStates());
  EXPECT_TRUE(v.IsText()) << "a translated or formatted cell is text";
  return v.IsText() ? std::string(v.Text()) : std::string();
}

// ---- the character-level steps ----

TEST(FieldMaskSteps, NextTokenStopsAtTheFirstDelimiterAndKeepsIt) {
  std::string rest = "  12 = \"x\"  ";
  EXPECT_EQ(fieldmask::NextToken(rest, "={,["), "12");
  EXPECT_EQ(rest, "= \"x\"");

  rest = " a b {c} ";
  EXPECT_EQ(fieldmask::NextToken(rest, "=,"), "a b {c}");  // no delimiter: all of it
  EXPECT_EQ(rest, "");

  rest = ",next";
  EXPECT_EQ(fieldmask::NextToken(rest, ",}"), "");  // delimiter first: empty token
  EXPECT_EQ(rest, ",next");

  rest = "\ta\t=b";  // tabs are not trimmed
  EXPECT_EQ(fieldmask::NextToken(rest, "="), "\ta\t");
}

TEST(FieldMaskSteps, SkipDelimiterDropsOneCharacterAndTrims) {
  std::string rest = "=  \"x\" ";
  fieldmask::SkipDelimiter(rest);
  EXPECT_EQ(rest, "\"x\"");
  rest = "";
  fieldmask::SkipDelimiter(rest);
  EXPECT_EQ(rest, "");
  rest = "\xC3\xA9tat";  // a whole character goes, not half of one
  fieldmask::SkipDelimiter(rest);
  EXPECT_EQ(rest, "tat");
}

TEST(FieldMaskSteps, UnquoteRemovesOneQuoteAtEachEndAfterTrimming) {
  EXPECT_EQ(fieldmask::Unquote("  \"Yes\"  "), "Yes");
  EXPECT_EQ(fieldmask::Unquote("\" Yes \""), " Yes ");  // nothing trimmed after unquoting
  EXPECT_EQ(fieldmask::Unquote("\"Yes"), "Yes");
  EXPECT_EQ(fieldmask::Unquote("Yes\""), "Yes");
  EXPECT_EQ(fieldmask::Unquote("\"\"a\"\""), "\"a\"");
  EXPECT_EQ(fieldmask::Unquote("\""), "");
  EXPECT_EQ(fieldmask::Unquote(""), "");
}

// ---- field numbers ----

std::int32_t Number(const std::string& text) {
  std::int32_t n = -12345;
  EXPECT_TRUE(fieldmask::ReadFieldNumber(text, &n)) << text;
  return n;
}

bool Overflows(const std::string& text) {
  std::int32_t n = -12345;
  const bool ok = fieldmask::ReadFieldNumber(text, &n);
  EXPECT_EQ(n, -12345) << "an unreadable number leaves the target alone: " << text;
  return !ok;
}

TEST(FieldNumber, DigitsSignsAndSkippedBlanks) {
  EXPECT_EQ(Number("12"), 12);
  EXPECT_EQ(Number("  -7"), -7);
  EXPECT_EQ(Number("+7"), 7);
  EXPECT_EQ(Number("1 2\t3\n4"), 1234);  // blanks, tabs and line feeds inside the number
  EXPECT_EQ(Number("- 5"), -5);
  EXPECT_EQ(Number("12abc"), 12);
  EXPECT_EQ(Number("1\r2"), 1);  // a carriage return is not skipped
  EXPECT_EQ(Number(""), 0);
  EXPECT_EQ(Number("abc"), 0);
  EXPECT_EQ(Number("-"), 0);
  EXPECT_EQ(Number("."), 0);
  EXPECT_EQ(Number("E5"), 0);
}

TEST(FieldNumber, DecimalsAndExponentsRoundHalfToEven) {
  EXPECT_EQ(Number("2.5"), 2);
  EXPECT_EQ(Number("3.5"), 4);
  EXPECT_EQ(Number("-2.5"), -2);
  EXPECT_EQ(Number("2.51"), 3);
  EXPECT_EQ(Number(".5"), 0);
  EXPECT_EQ(Number("1.5"), 2);
  EXPECT_EQ(Number("7."), 7);
  EXPECT_EQ(Number("1E3"), 1000);
  EXPECT_EQ(Number("1d2"), 100);
  EXPECT_EQ(Number("15e-1"), 2);
  EXPECT_EQ(Number("2 5 e - 1"), 2);  // 2.5 after skipping the blanks
  EXPECT_EQ(Number("3e"), 3);         // an exponent without digits counts for nothing
  EXPECT_EQ(Number("1e-400"), 0);     // too small to tell from zero
  EXPECT_EQ(Number("0e999999"), 0);
}

TEST(FieldNumber, HexadecimalAndOctalPrefixes) {
  EXPECT_EQ(Number("&H1F"), 31);
  EXPECT_EQ(Number("&hff"), 255);
  EXPECT_EQ(Number("&O17"), 15);
  EXPECT_EQ(Number("&o19"), 1);  // 9 is no octal digit
  EXPECT_EQ(Number("&H 1 F"), 31);
  EXPECT_EQ(Number("&H"), 0);
  EXPECT_EQ(Number("&X12"), 0);
  EXPECT_EQ(Number("&H7FFFFFFF"), 2147483647);
  EXPECT_TRUE(Overflows("&H80000000"));
  EXPECT_TRUE(Overflows("&HFFFFFFFFFFFFFFFFFFFF"));  // no wrap-around of the accumulator
}

TEST(FieldNumber, ThirtyTwoBitLimits) {
  EXPECT_EQ(Number("2147483647"), 2147483647);
  EXPECT_EQ(Number("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(Number("2147483647.4"), 2147483647);
  EXPECT_EQ(Number("-2147483648.5"), -2147483647 - 1);  // tie to the even neighbour
  EXPECT_TRUE(Overflows("2147483647.5"));
  EXPECT_TRUE(Overflows("2147483648"));
  EXPECT_TRUE(Overflows("-2147483649"));
  EXPECT_TRUE(Overflows("99999999999"));
  EXPECT_TRUE(Overflows("1e400"));
  EXPECT_TRUE(Overflows("1e99999999999999999999"));
}

// ---- SetProperties ----

TEST(SetProperties, FirstEntryOfTheMainProgramsMask) {
  cFieldMaskInfo field;
  const std::string rest = Read(field, kMainMask);
  EXPECT_EQ(field.FieldNumber(), 0);
  EXPECT_EQ(field.Description(), "ProgID");
  EXPECT_EQ(field.Key(), "");
  EXPECT_EQ(field.FormatString(), "");
  EXPECT_FALSE(field.RTFField());
  EXPECT_FALSE(field.HasTranslations());
  EXPECT_EQ(field.Translations(), nullptr);
  EXPECT_FALSE(field.ReadFailed());
  EXPECT_EQ(rest.rfind("1=\"File Path\"", 0), 0u) << rest;
}

TEST(SetProperties, SingleEntryConsumesEverything) {
  cFieldMaskInfo field;
  EXPECT_EQ(Read(field, "0=\"ProgID\""), "");
  EXPECT_EQ(field.Description(), "ProgID");
  EXPECT_EQ(field.Key(), "");
}

TEST(SetProperties, SpacesAroundElementsAreTrimmed) {
  cFieldMaskInfo field;
  EXPECT_EQ(Read(field, "  12 = \" Size \" , 13=\"Next\""), "13=\"Next\"");
  EXPECT_EQ(field.FieldNumber(), 12);
  EXPECT_EQ(field.Description(), "Size");
  EXPECT_EQ(field.Key(), "MASK12");
}

TEST(SetProperties, KeyOnlyForFieldNumbersFromOne) {
  for (const auto& [mask, key] : std::vector<std::pair<std::string, std::string>>{
           {"-1=\"X\"", ""}, {"0=\"X\"", ""}, {"1=\"X\"", "MASK1"}, {"&H10=\"X\"", "MASK16"}, {"2.5=\"X\"", "MASK2"}}) {
    cFieldMaskInfo field;
    Read(field, mask);
    EXPECT_EQ(field.Key(), key) << mask;
  }
  cFieldMaskInfo field;
  field.FieldNumber(7);
  EXPECT_EQ(field.Key(), "MASK7");
}

TEST(SetProperties, DescriptionKeepsCommasBracesAndBrackets) {
  cFieldMaskInfo field;
  EXPECT_EQ(Read(field, "1=\"a, {b} [c]\",2=\"d\""), "2=\"d\"");
  EXPECT_EQ(field.Description(), "a, {b} [c]");
  EXPECT_EQ(field.FormatString(), "");
  EXPECT_FALSE(field.HasTranslations());
}

TEST(SetProperties, MalformedEntriesAreReadCharacterByCharacter) {
  cFieldMaskInfo unquoted;
  EXPECT_EQ(Read(unquoted, "0=ProgID"), "");
  EXPECT_EQ(unquoted.Description(), "rogID");  // its first letter went as the opening quote

  cFieldMaskInfo noDescription;
  EXPECT_EQ(Read(noDescription, "5"), "");
  EXPECT_EQ(noDescription.FieldNumber(), 5);
  EXPECT_EQ(noDescription.Description(), "");

  cFieldMaskInfo noNumber;
  EXPECT_EQ(Read(noNumber, "=\"Name\",1=\"B\""), "1=\"B\"");
  EXPECT_EQ(noNumber.FieldNumber(), 0);
  EXPECT_EQ(noNumber.Description(), "Name");

  cFieldMaskInfo unterminated;
  EXPECT_EQ(Read(unterminated, "3=\"Open, 4=\"Next"), "Next");
  EXPECT_EQ(unterminated.Description(), "Open, 4=");
}

TEST(SetProperties, TranslationListValuesStayQuotedResultsAreUnquoted) {
  cFieldMaskInfo field;
  EXPECT_EQ(Read(field, "3=\"Att\"{0=\"No\", 1 = Yes ,\"q\"=\"Quoted\"} , 4=\"N\""), "4=\"N\"");
  ASSERT_NE(field.Translations(), nullptr);
  ASSERT_EQ(field.Translations()->Count(), 3u);
  EXPECT_TRUE(field.HasTranslations());
  EXPECT_FALSE(field.RTFField());
  EXPECT_EQ(field.Translations()->At(0)->Value, "0");
  EXPECT_EQ(field.Translations()->At(0)->Result, "No");
  EXPECT_EQ(field.Translations()->At(1)->Value, "1");
  EXPECT_EQ(field.Translations()->At(1)->Result, "Yes");
  EXPECT_EQ(field.Translations()->At(2)->Value, "\"q\"");
  EXPECT_EQ(field.Translations()->At(2)->Result, "Quoted");
  EXPECT_EQ(field.Translations()->KeyAt(0), "");
}

TEST(SetProperties, ResultEndsAtCommaEvenInsideQuotes) {
  cFieldMaskInfo field;
  const std::string rest = Read(field, "1=\"A\"{x=\"a,b\"}");
  ASSERT_EQ(field.Translations()->Count(), 2u);
  EXPECT_EQ(field.Translations()->At(0)->Result, "a");  // only the opening quote went
  EXPECT_EQ(field.Translations()->At(1)->Value, "b\"");
  EXPECT_EQ(rest, "");
}

TEST(SetProperties, BareWordRtfAnywhereSwitchesTranslationOff) {
  for (const std::string mask : {"3=\"Att\"{1=\"Yes\",rtf}", "3=\"Att\"{RTF,1=\"Yes\"}", "3=\"Att\"{1=\"Yes\",Rtf,0=No}"}) {
    cFieldMaskInfo field;
    EXPECT_EQ(Read(field, mask), "") << mask;
    EXPECT_TRUE(field.RTFField()) << mask;
    EXPECT_FALSE(field.HasTranslations()) << mask;
    ASSERT_NE(field.Translations(), nullptr);
    EXPECT_GE(field.Translations()->Count(), 2u) << "translation objects stay in the list";
    EXPECT_EQ(Shown(field, Variant::FromText("1")), "1") << mask;
  }
  cFieldMaskInfo only;
  Read(only, "6=\"Notes\"{rtf}");
  EXPECT_TRUE(only.RTFField());
  ASSERT_EQ(only.Translations()->Count(), 1u);
  EXPECT_EQ(only.Translations()->At(0)->Result, "rtf");

  cFieldMaskInfo bare;  // a bare word other than rtf translates to itself
  Read(bare, "1=\"A\"{rtfx}");
  EXPECT_FALSE(bare.RTFField());
  EXPECT_TRUE(bare.HasTranslations());
}

TEST(SetProperties, FormatPictureAndEverythingTogether) {
  cFieldMaskInfo field;
  EXPECT_EQ(Read(field, "5 = \"Created\" {Null=\"(none)\"} [dd/mm/yyyy] , 6=\"X\""), "6=\"X\"");
  EXPECT_EQ(field.FieldNumber(), 5);
  EXPECT_EQ(field.Description(), "Created");
  EXPECT_EQ(field.FormatString(), "dd/mm/yyyy");
  ASSERT_EQ(field.Translations()->Count(), 1u);
  EXPECT_EQ(field.Translations()->At(0)->Value, "Null");

  cFieldMaskInfo unclosed;
  EXPECT_EQ(Read(unclosed, "5=\"W\"[yyyy"), "");
  EXPECT_EQ(unclosed.FormatString(), "yyyy");
}

TEST(SetProperties, EmptyAndUnclosedTranslationLists) {
  cFieldMaskInfo empty;
  EXPECT_EQ(Read(empty, "1=\"A\"{},2=\"B\""), "2=\"B\"");
  ASSERT_EQ(empty.Translations()->Count(), 1u);  // one entry with empty value and result
  EXPECT_EQ(empty.Translations()->At(0)->Value, "");

  cFieldMaskInfo unclosed;
  EXPECT_EQ(Read(unclosed, "1=\"A\"{a=b, 2=\"B\""), "");
  ASSERT_EQ(unclosed.Translations()->Count(), 2u);
  EXPECT_EQ(unclosed.Translations()->At(1)->Value, "2");
  EXPECT_EQ(unclosed.Translations()->At(1)->Result, "B");
}

TEST(SetProperties, OverflowingFieldNumberIsInvalid) {
  cFieldMaskInfo field;
  EXPECT_EQ(Read(field, "99999999999=\"X\",1=\"Y\""), "**Invalid**");
  EXPECT_TRUE(field.ReadFailed());
  EXPECT_EQ(field.FieldNumber(), 0);
  EXPECT_EQ(field.Description(), "");

  EXPECT_EQ(Read(field, "2=\"Y\""), "");  // a later read starts afresh
  EXPECT_FALSE(field.ReadFailed());
}

TEST(SetProperties, TextLongerThan32767CharactersIsInvalid) {
  const std::string head = "1=\"A\",";
  std::string exact = head + "2=\"" + std::string(32767 - head.size() - 4, 'x') + "\"";
  ASSERT_EQ(exact.size(), 32767u);
  cFieldMaskInfo field;
  EXPECT_EQ(Read(field, exact).size(), 32767u - head.size());

  cFieldMaskInfo tooLong;
  EXPECT_EQ(Read(tooLong, exact + " "), "**Invalid**");  // trailing space still counts
  EXPECT_EQ(tooLong.Description(), "");

  // Characters are counted, not bytes: 32,767 two-byte characters still fit.
  std::string wide = "1=\"";
  while (wide.size() < 2 * 32763) wide += "\xC3\xA9";
  wide += "\"";
  cFieldMaskInfo accented;
  EXPECT_EQ(Read(accented, wide), "");
  EXPECT_FALSE(accented.ReadFailed());
}

// ---- TranslateValue ----

TEST(TranslateValue, TextTranslationIsExactAndCaseSensitive) {
  cFieldMaskInfo field;
  Read(field, "3=\"Att\"{0=\"No\",1=Yes}");
  EXPECT_EQ(Shown(field, Variant::FromText("0")), "No");
  EXPECT_EQ(Shown(field, Variant::FromText("1")), "Yes");
  EXPECT_EQ(Shown(field, Variant::FromText("2")), "2");
  EXPECT_EQ(Shown(field, Variant::FromText(" 1")), " 1");

  cFieldMaskInfo lower;
  Read(lower, "3=\"Att\"{a=\"A\"}");
  EXPECT_EQ(Shown(lower, Variant::FromText("a")), "A");
  EXPECT_EQ(Shown(lower, Variant::FromText("A")), "A");

  cFieldMaskInfo upper;
  Read(upper, "3=\"Att\"{A=\"first\"}");
  EXPECT_EQ(Shown(upper, Variant::FromText("a")), "a");
}

TEST(TranslateValue, FirstMatchWinsAndResultsAreNotTranslatedAgain) {
  cFieldMaskInfo field;
  Read(field, "1=\"A\"{x=y,y=z,x=w}");
  EXPECT_EQ(Shown(field, Variant::FromText("x")), "y");
  EXPECT_EQ(Shown(field, Variant::FromText("y")), "z");
}

TEST(TranslateValue, NullShowsEmptyUnlessTranslated) {
  cFieldMaskInfo plain;
  Read(plain, "1=\"A\"");
  EXPECT_EQ(Shown(plain, Variant::Null()), "");

  cFieldMaskInfo withNull;
  Read(withNull, "1=\"A\"{Null=\"n/a\"}");
  EXPECT_EQ(Shown(withNull, Variant::Null()), "n/a");
  EXPECT_EQ(Shown(withNull, Variant::FromText("Null")), "n/a");  // the text matches alike

  cFieldMaskInfo other;
  Read(other, "1=\"A\"{x=y}");
  EXPECT_EQ(Shown(other, Variant::Null()), "");

  cFieldMaskInfo rtf;
  Read(rtf, "1=\"A\"{Null=\"n/a\",rtf}");
  EXPECT_EQ(Shown(rtf, Variant::Null()), "");
  EXPECT_EQ(Shown(rtf, Variant::FromText("Null")), "Null");  // only a null cell becomes empty
}

TEST(TranslateValue, UntranslatedValuesKeepTheirType) {
  cFieldMaskInfo field;
  Read(field, "1=\"A\"{x=y}");
  const Variant number = field.TranslateValue(Variant::FromInt32(42), EnglishUnitedStates());
  ASSERT_EQ(number.Type(), VariantType::Int32);
  EXPECT_EQ(number.Integer(), 42);
  EXPECT_EQ(field.TranslateValue(Variant::FromBool(true), EnglishUnitedStates()).Type(), VariantType::Bool);
  EXPECT_EQ(field.TranslateValue(Variant(), EnglishUnitedStates()).Type(), VariantType::Empty);
}

TEST(TranslateValue, NonTextCellsMatchByTheirDisplayText) {
  cFieldMaskInfo field;
  Read(field, "1=\"A\"{1=One,True=Yes,2.5=\"Two and a half\"}");
  EXPECT_EQ(Shown(field, Variant::FromInt32(1)), "One");
  EXPECT_EQ(Shown(field, Variant::FromInt16(1)), "One");
  EXPECT_EQ(Shown(field, Variant::FromBool(true)), "Yes");
  EXPECT_EQ(Shown(field, Variant::FromDouble(2.5)), "Two and a half");
  const Variant untouched = field.TranslateValue(Variant::FromInt32(3), EnglishUnitedStates());
  EXPECT_EQ(untouched.Type(), VariantType::Int32);
}

TEST(TranslateValue, FormatStringAppliesAfterTranslationAndGivesText) {
  cFieldMaskInfo field;
  Read(field, "5=\"When\"[yyyy]");
  const Variant cell = Variant::FromDate(37256.5);  // 1 January 2002, noon
  const Variant shown = field.TranslateValue(cell, EnglishUnitedStates());
  ASSERT_TRUE(shown.IsText());
  EXPECT_EQ(shown.Text(), FormatVariant(cell, "yyyy", EnglishUnitedStates()));

  cFieldMaskInfo translated;
  Read(translated, "5=\"When\"{0=7}[yyyy]");
  const Variant text = translated.TranslateValue(Variant::FromText("0"), EnglishUnitedStates());
  EXPECT_EQ(text.Text(), FormatVariant(Variant::FromText("7"), "yyyy", EnglishUnitedStates()));

  const Variant number = translated.TranslateValue(Variant::FromInt32(5), EnglishUnitedStates());
  EXPECT_TRUE(number.IsText()) << "a formatted value is text whatever it was";
}

TEST(TranslateValue, YearPictureOnADateCell) {
  cFieldMaskInfo field;
  Read(field, "5=\"When\"[yyyy]");
  EXPECT_EQ(Shown(field, Variant::FromDate(37256.5)), "2001");  // 31 December 2001, noon
  EXPECT_EQ(Shown(field, Variant::FromDate(37257.0)), "2002");  // 1 January 2002
}

TEST(TranslateValue, SettersChangeWhatIsApplied) {
  cFieldMaskInfo field;
  Read(field, "1=\"A\"[yyyy]");
  field.FormatString("");
  const Variant v = field.TranslateValue(Variant::FromInt32(9), EnglishUnitedStates());
  EXPECT_EQ(v.Type(), VariantType::Int32);
  field.Description("B");
  field.FieldNumber(-3);
  EXPECT_EQ(field.Description(), "B");
  EXPECT_EQ(field.Key(), "");
}

}  // namespace
}  // namespace orlix
