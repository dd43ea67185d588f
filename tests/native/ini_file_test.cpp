#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/native/test_files.h"

namespace orlix {
namespace {

std::optional<std::string> Lookup(std::string_view file, std::string_view section, std::string_view key) {
  return IniFile::Parse(file).Find(section, key);
}

TEST(IniFileParse, SectionsKeysAndValues) {
  const struct {
    std::string file;
    const char *section, *key;
    std::optional<std::string> value;
  } cases[] = {
      // Names match without regard to case and surrounding white space.
      {"[general]\r\n  Key One  =  value  \r\n[ Other ]\r\nk=v\r\n", " GENERAL\t", " key one ", "value"},
      {"[general]\r\n  Key One  =  value  \r\n[ Other ]\r\nk=v\r\n", "other", "K", "v"},
      {"[general]\r\n  Key One  =  value  \r\n[ Other ]\r\nk=v\r\n", "General", "k", std::nullopt},
      // White space is blank, tab, vertical tab, form feed and the end-of-file mark; nothing else.
      {"[A]\n1=\t\x1a\v\fx y\f\x1a \n", "A", "1", "x y"},
      {"[A]\n2=\x1c" "ctl\x1c\n3=\xa0nb\n", "A", "2", "\x1c" "ctl\x1c"},
      {"[A]\n3=\xa0nb\xa0\n4=   \n", "A", "3", "\xa0nb\xa0"},
      {"[A]\n3=\xa0nb\xa0\n4=   \n", "A", "4", ""},
      // A key line splits at the first "="; a key without "=" shadows a later one.
      {"[A]\n1=x=y\n", "A", "1", "x=y"},
      {"[A]\n3\n3=later\n", "A", "3", std::nullopt},
      {"[A]\n=nameless\n", "A", "", "nameless"},
      {"[A]\n;4=commented\n", "A", ";4", "commented"},
      // The first section and the first key of a name win.
      {"[A]\n1=first\n1=second\n[B]\n[a]\n1=other\n2=only in the second A\n", "A", "1", "first"},
      {"[A]\n1=first\n[B]\n[a]\n2=only in the second A\n", "A", "2", std::nullopt},
      // Section headers: unclosed ones start nothing, the name runs to the last "]".
      {"0=before\n[Unclosed\n1=still before\n", "", "1", "still before"},
      {"[Unclosed\n1=x\n", "Unclosed", "1", std::nullopt},
      {"[Ge]n]x\n2=brackets\n", "Ge]n", "2", "brackets"},
      {"  [Indented]  \n3=i\n", "Indented", "3", "i"},
      {"0=before\n[]\n4=empty\n", "", "4", std::nullopt},  // the first section of the empty name
      // Line ends, a missing final newline, a NUL ending a value.
      {"[A]\r1=cr\r2=x", "A", "1", "cr"},
      {"[A]\r1=cr\r2=x", "A", "2", "x"},
      {"[A]\n\n\n1=lf", "A", "1", "lf"},
      {"", "A", "1", std::nullopt},
      {std::string("[A]\n1=a\0b\n2=c", 14), "A", "1", "a"},
      {std::string("[A]\n1=a\0b\n2=c", 14), "A", "2", "c"},
  };
  for (const auto& c : cases) EXPECT_EQ(Lookup(c.file, c.section, c.key), c.value) << c.file;
}

std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

TEST(IniFileParse, ByteOrderMarksChooseTheEncoding) {
  EXPECT_EQ(Lookup("\xEF\xBB\xBF[General]\n1=caf\xC3\xA9", "General", "1"), "caf\xC3\xA9");
  EXPECT_EQ(Lookup("[General]\n1=caf\xE9", "General", "1"), "caf\xE9");  // no mark: bytes as given
  const std::u16string text = u"[General]\r\n1=caf\u00e9 \u20ac \U0001F600\r\n2=\xD800x";
  const std::string expected1 = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
  EXPECT_EQ(Lookup(Utf16(text, false), "General", "1"), expected1);
  EXPECT_EQ(Lookup(Utf16(text, true), "General", "1"), expected1);
  EXPECT_EQ(Lookup(Utf16(text, false), "General", "2"), "\xEF\xBF\xBDx");
  EXPECT_EQ(Lookup(Utf16(u"[A]\n1=odd", false) + "\x41", "A", "1"), "odd");
}

TEST(CopyProfileEntry, RemovesOneMatchingPairOfQuotesAndCutsWholeCharacters) {
  const std::tuple<std::string, std::size_t, std::string> cases[] = {
      {"\"Quoted\"", 1024, "Quoted"}, {"'single'", 1024, "single"}, {"\"mismatch'", 1024, "\"mismatch'"},
      {"\"", 1024, "\""}, {"\"\"", 1024, ""}, {"\"a\"b\"", 1024, "a\"b"}, {"\"\"x\"\"", 1024, "\"x\""},
      {"\"  inner  \"", 1024, "  inner  "},
      // The buffer less its terminator; quoted text that fits exactly loses nothing.
      {"abcdef", 0, ""}, {"abcdef", 1, ""}, {"abcdef", 4, "abc"}, {"abcdef", 7, "abcdef"},
      {"\"abcdef\"", 4, "abc"}, {"\"abcdef\"", 7, "abcdef"}, {std::string(1030, 'x'), 1024, std::string(1023, 'x')},
      // A UTF-8 sequence counts as one character and is never split; other bytes count one each.
      {"\xC3\xA9\xC3\xA9\xC3\xA9", 3, "\xC3\xA9\xC3\xA9"}, {"a\xF0\x9F\x98\x80" "b", 3, "a\xF0\x9F\x98\x80"},
      {"\xE9\xE9\xE9", 3, "\xE9\xE9"}, {"a\xC3", 3, "a\xC3"}};
  for (const auto& [value, buffer, copied] : cases) EXPECT_EQ(CopyProfileEntry(value, buffer), copied) << value;
}

using testing_support::TempFolder;

TEST(IniFileProfileReader, AnswersFromTheFileOrTheDefaultCleanedAndCut) {
  TempFolder folder;
  const IniFileProfileReader reader;
  const std::string path = folder.Write("t.ini", "[General]\n1=\"one\"\n2=\n3\n");
  EXPECT_EQ(reader.GetString("general", "1", "d", 1024, path), "one");
  EXPECT_EQ(reader.GetString("General", "2", "d", 1024, path), "");
  EXPECT_EQ(reader.GetString("General", "3", "d", 1024, path), "d");
  EXPECT_EQ(reader.GetString("General", "4", "d", 1024, path), "d");
  EXPECT_EQ(reader.GetString("General", "1", "d", 1024, folder.Path("missing.ini")), "d");
  EXPECT_EQ(reader.GetString("General", "1", "d", 1024, folder.Path()), "d");  // a folder
  folder.Write("t.ini", "[General]\n1=new\n");  // read afresh on every lookup
  EXPECT_EQ(reader.GetString("General", "1", "d", 1024, path), "new");

  // The default loses trailing blanks and enclosing quotes, and is cut.
  const std::string none = folder.Path("none.ini");
  const std::tuple<const char*, std::size_t, const char*> defaults[] = {
      {"def  ", 100, "def"}, {"def\t", 100, "def\t"}, {"  def", 100, "  def"}, {"\"q\"  ", 100, "q"},
      {"  \"q\"", 100, "  \"q\""}, {"   ", 100, ""}, {"abcdef", 4, "abc"}};
  for (const auto& [given, buffer, used] : defaults) EXPECT_EQ(reader.GetString("S", "k", given, buffer, none), used) << given;
}

}  // namespace
}  // namespace orlix
