#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace orlix {
namespace {

std::optional<std::string> Lookup(std::string_view file, std::string_view section, std::string_view key) {
  return IniFile::Parse(file).Find(section, key);
}

TEST(IniFileParse, NamesMatchWithoutRegardToCaseAndSurroundingWhiteSpace) {
  const std::string file = "[general]\r\n  Key One  =  value  \r\n[ Other Section ]\r\nk=v\r\n";
  EXPECT_EQ(Lookup(file, "GENERAL", "key one"), "value");
  EXPECT_EQ(Lookup(file, " General\t", " KEY ONE "), "value");
  EXPECT_EQ(Lookup(file, "other section", "K"), "v");
  EXPECT_EQ(Lookup(file, "General", "k"), std::nullopt);
  EXPECT_EQ(Lookup(file, "Missing", "k"), std::nullopt);
}

TEST(IniFileParse, WhiteSpaceIsBlankTabVerticalTabFormFeedAndEndOfFileMark) {
  const std::string file = "[A]\n1=\t\x1a\v\fx y\f\x1a \n2=\x1c" "ctl\x1c\n3=\xa0nb\xa0\n4=   \n";
  EXPECT_EQ(Lookup(file, "A", "1"), "x y");
  EXPECT_EQ(Lookup(file, "A", "2"), "\x1c" "ctl\x1c");  // separators are not white space
  EXPECT_EQ(Lookup(file, "A", "3"), "\xa0nb\xa0");
  EXPECT_EQ(Lookup(file, "A", "4"), "");
}

TEST(IniFileParse, KeyLinesSplitAtTheFirstEqualsSign) {
  const std::string file = "[A]\n1=x=y\n2=\n3\n3=later\n=nameless\n;4=commented\n";
  EXPECT_EQ(Lookup(file, "A", "1"), "x=y");
  EXPECT_EQ(Lookup(file, "A", "2"), "");            // present and empty
  EXPECT_EQ(Lookup(file, "A", "3"), std::nullopt);  // a key without "=" shadows the later one
  EXPECT_EQ(Lookup(file, "A", ""), "nameless");
  EXPECT_EQ(Lookup(file, "A", "4"), std::nullopt);
  EXPECT_EQ(Lookup(file, "A", ";4"), "commented");
}

TEST(IniFileParse, FirstSectionAndFirstKeyWin) {
  const std::string file = "[A]\n1=first\n1=second\n[B]\n[a]\n1=other\n2=only in the second A\n";
  EXPECT_EQ(Lookup(file, "A", "1"), "first");
  EXPECT_EQ(Lookup(file, "A", "2"), std::nullopt);
}

TEST(IniFileParse, SectionHeaders) {
  const std::string file =
      "0=before\n[Unclosed\n1=still before\n[Ge]n]x\n2=brackets\n  [Indented]  \n3=i\n[]\n4=empty\n";
  EXPECT_EQ(Lookup(file, "", "0"), "before");
  EXPECT_EQ(Lookup(file, "", "1"), "still before");
  EXPECT_EQ(Lookup(file, "Unclosed", "1"), std::nullopt);
  EXPECT_EQ(Lookup(file, "Ge]n", "2"), "brackets");  // the name runs to the last "]"
  EXPECT_EQ(Lookup(file, "Ge", "2"), std::nullopt);
  EXPECT_EQ(Lookup(file, "Indented", "3"), "i");
  EXPECT_EQ(Lookup(file, "", "4"), std::nullopt);  // the first section of the empty name is searched
}

TEST(IniFileParse, LineEndsAndMissingFinalNewline) {
  EXPECT_EQ(Lookup("[A]\r1=cr\r2=x", "A", "1"), "cr");
  EXPECT_EQ(Lookup("[A]\r1=cr\r2=x", "A", "2"), "x");
  EXPECT_EQ(Lookup("[A]\n\n\n1=lf", "A", "1"), "lf");
  EXPECT_EQ(Lookup("", "A", "1"), std::nullopt);
}

TEST(IniFileParse, NulEndsAValue) {
  EXPECT_EQ(Lookup(std::string("[A]\n1=a\0b\n2=c", 14), "A", "1"), "a");
  EXPECT_EQ(Lookup(std::string("[A]\n1=a\0b\n2=c", 14), "A", "2"), "c");
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

TEST(CopyProfileEntry, RemovesOneMatchingPairOfQuotes) {
  EXPECT_EQ(CopyProfileEntry("\"Quoted\"", 1024), "Quoted");
  EXPECT_EQ(CopyProfileEntry("'single'", 1024), "single");
  EXPECT_EQ(CopyProfileEntry("\"mismatch'", 1024), "\"mismatch'");
  EXPECT_EQ(CopyProfileEntry("\"", 1024), "\"");
  EXPECT_EQ(CopyProfileEntry("\"\"", 1024), "");
  EXPECT_EQ(CopyProfileEntry("\"a\"b\"", 1024), "a\"b");
  EXPECT_EQ(CopyProfileEntry("\"\"x\"\"", 1024), "\"x\"");
  EXPECT_EQ(CopyProfileEntry("\"  inner  \"", 1024), "  inner  ");
}

TEST(CopyProfileEntry, CutsToTheBufferLessItsTerminator) {
  EXPECT_EQ(CopyProfileEntry("abcdef", 0), "");
  EXPECT_EQ(CopyProfileEntry("abcdef", 1), "");
  EXPECT_EQ(CopyProfileEntry("abcdef", 4), "abc");
  EXPECT_EQ(CopyProfileEntry("abcdef", 7), "abcdef");
  EXPECT_EQ(CopyProfileEntry("\"abcdef\"", 4), "abc");
  // The quoted text fits exactly: nothing of it is lost.
  EXPECT_EQ(CopyProfileEntry("\"abcdef\"", 7), "abcdef");
  EXPECT_EQ(CopyProfileEntry(std::string(1030, 'x'), 1024), std::string(1023, 'x'));
}

TEST(CopyProfileEntry, CountsUtf8SequencesAsOneCharacterAndNeverSplitsThem) {
  EXPECT_EQ(CopyProfileEntry("\xC3\xA9\xC3\xA9\xC3\xA9", 3), "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(CopyProfileEntry("a\xF0\x9F\x98\x80" "b", 3), "a\xF0\x9F\x98\x80");
  // Bytes that start no valid sequence count one each.
  EXPECT_EQ(CopyProfileEntry("\xE9\xE9\xE9", 3), "\xE9\xE9");
  EXPECT_EQ(CopyProfileEntry("a\xC3", 3), "a\xC3");
}

class TempFolder {
 public:
  TempFolder() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("orlix-ini-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = (path_ / name).string();
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

TEST(IniFileProfileReader, AnswersFromTheFileOrTheDefault) {
  TempFolder folder;
  const IniFileProfileReader reader;
  const std::string path = folder.Write("t.ini", "[General]\n1=\"one\"\n2=\n3\n");
  EXPECT_EQ(reader.GetString("general", "1", "d", 1024, path), "one");
  EXPECT_EQ(reader.GetString("General", "2", "d", 1024, path), "");
  EXPECT_EQ(reader.GetString("General", "3", "d", 1024, path), "d");
  EXPECT_EQ(reader.GetString("General", "4", "d", 1024, path), "d");
  EXPECT_EQ(reader.GetString("General", "1", "d", 1024, folder.Path("missing.ini")), "d");
  EXPECT_EQ(reader.GetString("General", "1", "d", 1024, folder.Path("")), "d");  // a folder
}

TEST(IniFileProfileReader, DefaultLosesTrailingBlanksAndEnclosingQuotesAndIsCut) {
  TempFolder folder;
  const IniFileProfileReader reader;
  const std::string none = folder.Path("none.ini");
  EXPECT_EQ(reader.GetString("S", "k", "def  ", 100, none), "def");
  EXPECT_EQ(reader.GetString("S", "k", "def\t", 100, none), "def\t");
  EXPECT_EQ(reader.GetString("S", "k", "  def", 100, none), "  def");
  EXPECT_EQ(reader.GetString("S", "k", "\"q\"  ", 100, none), "q");
  EXPECT_EQ(reader.GetString("S", "k", "  \"q\"", 100, none), "  \"q\"");
  EXPECT_EQ(reader.GetString("S", "k", "   ", 100, none), "");
  EXPECT_EQ(reader.GetString("S", "k", "abcdef", 4, none), "abc");
}

TEST(IniFileProfileReader, ReadsTheFileAfreshOnEveryLookup) {
  TempFolder folder;
  const IniFileProfileReader reader;
  const std::string path = folder.Write("t.ini", "[A]\n1=old\n");
  EXPECT_EQ(reader.GetString("A", "1", "d", 100, path), "old");
  folder.Write("t.ini", "[A]\n1=new\n");
  EXPECT_EQ(reader.GetString("A", "1", "d", 100, path), "new");
}

}  // namespace
}  // namespace orlix
