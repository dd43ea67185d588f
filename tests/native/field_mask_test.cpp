#include "reportview/field_mask_info.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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

TEST(FieldMaskSteps, TokensDelimitersAndQuotes) {
  std::string rest = "  12 = \"x\"  ";
  EXPECT_EQ(fieldmask::NextToken(rest, "={,["), "12");  // stops at the first delimiter, keeps it
  EXPECT_EQ(rest, "= \"x\"");
  fieldmask::SkipDelimiter(rest);
  EXPECT_EQ(rest, "\"x\"");
  rest = " a b {c} ";
  EXPECT_EQ(fieldmask::NextToken(rest, "=,"), "a b {c}");  // no delimiter: all of it
  EXPECT_EQ(rest, "");
  rest = ",next";
  EXPECT_EQ(fieldmask::NextToken(rest, ",}"), "");
  EXPECT_EQ(rest, ",next");
  rest = "\ta\t=b";  // tabs are not trimmed
  EXPECT_EQ(fieldmask::NextToken(rest, "="), "\ta\t");
  rest = "\xC3\xA9tat";  // a whole character goes, not half of one
  fieldmask::SkipDelimiter(rest);
  EXPECT_EQ(rest, "tat");

  // One quote at each end goes, after trimming; nothing is trimmed after unquoting.
  const std::pair<const char*, const char*> quoted[] = {{"  \"Yes\"  ", "Yes"}, {"\" Yes \"", " Yes "}, {"\"Yes", "Yes"},
                                                        {"Yes\"", "Yes"},       {"\"\"a\"\"", "\"a\""},  {"\"", ""}};
  for (const auto& [text, unquoted] : quoted) EXPECT_EQ(fieldmask::Unquote(text), unquoted) << text;
}

// ---- field numbers ----

TEST(FieldNumber, ReadsDigitsSignsBlanksDecimalsExponentsAndPrefixes) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"12", 12}, {"  -7", -7}, {"+7", 7}, {"1 2\t3\n4", 1234}, {"- 5", -5}, {"12abc", 12},
      {"1\r2", 1},  // a carriage return is not skipped
      {"", 0}, {"abc", 0}, {"-", 0}, {".", 0}, {"E5", 0},
      // Half to even.
      {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"2.51", 3}, {".5", 0}, {"7.", 7}, {"1E3", 1000}, {"1d2", 100},
      {"15e-1", 2}, {"2 5 e - 1", 2}, {"3e", 3}, {"1e-400", 0}, {"0e999999", 0},
      {"&H1F", 31}, {"&hff", 255}, {"&O17", 15}, {"&o19", 1}, {"&H 1 F", 31}, {"&H", 0}, {"&X12", 0},
      {"&H7FFFFFFF", 2147483647}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
      {"2147483647.4", 2147483647}, {"-2147483648.5", -2147483647 - 1}};
  for (const auto& [text, expected] : cases) {
    std::int32_t n = -12345;
    EXPECT_TRUE(fieldmask::ReadFieldNumber(text, &n)) << text;
    EXPECT_EQ(n, expected) << text;
  }
  // Overflow fails and leaves the target alone; the accumulator does not wrap around.
  for (const char* text : {"&H80000000", "&HFFFFFFFFFFFFFFFFFFFF", "2147483647.5", "2147483648", "-2147483649",
                           "99999999999", "1e400", "1e99999999999999999999"}) {
    std::int32_t n = -12345;
    EXPECT_FALSE(fieldmask::ReadFieldNumber(text, &n)) << text;
    EXPECT_EQ(n, -12345) << text;
  }
}

// ---- SetProperties ----

TEST(SetProperties, ReadsOneEntryAndReturnsTheRest) {
  const struct {
    std::string mask, rest;
    std::int32_t number;
    const char *description, *key;
  } cases[] = {
      {kMainMask, "1=\"File Path\",2=\"Version\",3=\"Attribute\",4=\"CLSID\"", 0, "ProgID", ""},
      {"0=\"ProgID\"", "", 0, "ProgID", ""},
      {"  12 = \" Size \" , 13=\"Next\"", "13=\"Next\"", 12, "Size", "MASK12"},
      {"1=\"a, {b} [c]\",2=\"d\"", "2=\"d\"", 1, "a, {b} [c]", "MASK1"},
      // Keys only from field 1 up.
      {"-1=\"X\"", "", -1, "X", ""}, {"&H10=\"X\"", "", 16, "X", "MASK16"}, {"2.5=\"X\"", "", 2, "X", "MASK2"},
      // Malformed entries are read character by character: an unquoted description loses its
      // first letter as the opening quote.
      {"0=ProgID", "", 0, "rogID", ""}, {"5", "", 5, "", "MASK5"}, {"=\"Name\",1=\"B\"", "1=\"B\"", 0, "Name", ""},
      {"3=\"Open, 4=\"Next", "Next", 3, "Open, 4=", "MASK3"},
  };
  for (const auto& c : cases) {
    cFieldMaskInfo field;
    EXPECT_EQ(Read(field, c.mask), c.rest) << c.mask;
    EXPECT_EQ(field.FieldNumber(), c.number) << c.mask;
    EXPECT_EQ(field.Description(), c.description) << c.mask;
    EXPECT_EQ(field.Key(), c.key) << c.mask;
    EXPECT_EQ(field.FormatString(), "");
    EXPECT_FALSE(field.RTFField());
    EXPECT_FALSE(field.HasTranslations());
    EXPECT_EQ(field.Translations(), nullptr);
    EXPECT_FALSE(field.ReadFailed());
  }
}

// The translation list as "value=result|...".
std::string Pairs(const cFieldMaskInfo& field) {
  std::string pairs;
  if (field.Translations() == nullptr) return "<none>";
  for (std::size_t k = 0; k < field.Translations()->Count(); ++k)
    pairs += field.Translations()->At(k)->Value + "=" + field.Translations()->At(k)->Result + "|";
  return pairs;
}

TEST(SetProperties, TranslationListsAndFormatPictures) {
  const struct {
    const char *mask, *rest, *pairs, *format;
  } cases[] = {
      // Values stay quoted, results are unquoted; the result ends at a comma even inside quotes.
      {"3=\"Att\"{0=\"No\", 1 = Yes ,\"q\"=\"Quoted\"} , 4=\"N\"", "4=\"N\"", "0=No|1=Yes|\"q\"=Quoted|", ""},
      {"1=\"A\"{x=\"a,b\"}", "", "x=a|b\"=b\"|", ""},
      {"1=\"A\"{},2=\"B\"", "2=\"B\"", "=|", ""},  // one entry with empty value and result
      {"1=\"A\"{a=b, 2=\"B\"", "", "a=b|2=B|", ""},
      {"5 = \"Created\" {Null=\"(none)\"} [dd/mm/yyyy] , 6=\"X\"", "6=\"X\"", "Null=(none)|", "dd/mm/yyyy"},
      {"5=\"W\"[yyyy", "", "<none>", "yyyy"},
      {"1=\"A\"{rtfx}", "", "rtfx=rtfx|", ""},  // a bare word other than rtf translates to itself
  };
  for (const auto& c : cases) {
    cFieldMaskInfo field;
    EXPECT_EQ(Read(field, c.mask), c.rest) << c.mask;
    EXPECT_EQ(Pairs(field), c.pairs) << c.mask;
    EXPECT_EQ(field.FormatString(), c.format) << c.mask;
    EXPECT_EQ(field.HasTranslations(), field.Translations() != nullptr) << c.mask;
    EXPECT_FALSE(field.RTFField());
  }
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
  EXPECT_EQ(Pairs(only), "rtf=rtf|");
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

TEST(TranslateValue, TextTranslationIsExactCaseSensitiveAndFirstMatchWins) {
  cFieldMaskInfo field;
  Read(field, "3=\"Att\"{0=\"No\",1=Yes,a=\"A\",x=y,y=z,x=w}");
  const std::pair<const char*, const char*> cases[] = {{"0", "No"}, {"1", "Yes"}, {"2", "2"}, {" 1", " 1"},
                                                       {"a", "A"},  {"A", "A"},   {"x", "y"}, {"y", "z"}};
  for (const auto& [cell, shown] : cases) EXPECT_EQ(Shown(field, Variant::FromText(cell)), shown) << cell;
  cFieldMaskInfo upper;
  Read(upper, "3=\"Att\"{A=\"first\"}");
  EXPECT_EQ(Shown(upper, Variant::FromText("a")), "a");
}

TEST(TranslateValue, NullShowsEmptyUnlessTranslated) {
  // Under an {rtf} list only a null cell becomes empty; the text "Null" matches like a null.
  const std::tuple<const char*, Variant, const char*> cases[] = {
      {"1=\"A\"", Variant::Null(), ""},
      {"1=\"A\"{x=y}", Variant::Null(), ""},
      {"1=\"A\"{Null=\"n/a\"}", Variant::Null(), "n/a"},
      {"1=\"A\"{Null=\"n/a\"}", Variant::FromText("Null"), "n/a"},
      {"1=\"A\"{Null=\"n/a\",rtf}", Variant::Null(), ""},
      {"1=\"A\"{Null=\"n/a\",rtf}", Variant::FromText("Null"), "Null"}};
  for (const auto& [mask, cell, shown] : cases) {
    cFieldMaskInfo field;
    Read(field, mask);
    EXPECT_EQ(Shown(field, cell), shown) << mask;
  }
}

TEST(TranslateValue, NonTextCellsMatchByTheirDisplayTextOrKeepTheirType) {
  cFieldMaskInfo field;
  Read(field, "1=\"A\"{1=One,True=Yes,2.5=\"Two and a half\"}");
  EXPECT_EQ(Shown(field, Variant::FromInt32(1)), "One");
  EXPECT_EQ(Shown(field, Variant::FromInt16(1)), "One");
  EXPECT_EQ(Shown(field, Variant::FromBool(true)), "Yes");
  EXPECT_EQ(Shown(field, Variant::FromDouble(2.5)), "Two and a half");
  const Variant number = field.TranslateValue(Variant::FromInt32(42), EnglishUnitedStates());
  ASSERT_EQ(number.Type(), VariantType::Int32);
  EXPECT_EQ(number.Integer(), 42);
  EXPECT_EQ(field.TranslateValue(Variant::FromBool(false), EnglishUnitedStates()).Type(), VariantType::Bool);
  EXPECT_EQ(field.TranslateValue(Variant(), EnglishUnitedStates()).Type(), VariantType::Empty);
}

TEST(TranslateValue, FormatStringAppliesAfterTranslationAndGivesText) {
  cFieldMaskInfo field;
  Read(field, "5=\"When\"[yyyy]");
  EXPECT_EQ(Shown(field, Variant::FromDate(37256.5)), "2001");  // 31 December 2001, noon
  EXPECT_EQ(Shown(field, Variant::FromDate(37257.0)), "2002");  // 1 January 2002
  EXPECT_EQ(Shown(field, Variant::FromInt32(5)), "1900");       // a formatted value is text whatever it was

  cFieldMaskInfo translated;
  Read(translated, "5=\"When\"{0=7}[yyyy]");
  EXPECT_EQ(Shown(translated, Variant::FromText("0")), FormatVariant(Variant::FromText("7"), "yyyy", EnglishUnitedStates()));

  translated.FormatString("");  // the setters change what is applied
  EXPECT_EQ(translated.TranslateValue(Variant::FromInt32(9), EnglishUnitedStates()).Type(), VariantType::Int32);
  translated.FieldNumber(-3);
  EXPECT_EQ(translated.Key(), "");
}

}  // namespace
}  // namespace orlix
