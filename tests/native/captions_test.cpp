#include "app/captions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/options.h"
#include "platform/ini_file.h"
#include "tests/native/test_files.h"

namespace orlix {
namespace {

// Records every lookup and answers from a fixed text (or the default when none is set).
class RecordingReader : public ProfileReader {
 public:
  struct Call {
    std::string section, key, defaultText, path;
    std::size_t bufferChars;
  };
  std::string GetString(const std::string& section, const std::string& key, const std::string& defaultText,
                        std::size_t bufferChars, const std::string& path) const override {
    calls.push_back(Call{section, key, defaultText, path, bufferChars});
    return answer ? *answer : defaultText;
  }
  std::optional<std::string> answer;
  mutable std::vector<Call> calls;
};

TEST(CaptionFilePath, BesideTheRunningProgramWithTheSeparatorAddedEvenAfterOne) {
  EXPECT_EQ(CaptionFilePath("/opt/orlix"), "/opt/orlix/OrlixObject.dat");
  EXPECT_EQ(CaptionFilePath("/"), "//OrlixObject.dat");
  EXPECT_EQ(DirectoryOfPath("/usr/local/bin/orlix"), "/usr/local/bin");
  EXPECT_EQ(DirectoryOfPath("/orlix"), "/");
  EXPECT_EQ(DirectoryOfPath("orlix"), "");
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(ProgramDirectory()) / "native_captions_test"));
}

TEST(ReadCaption, AsksOnceWithTheFilePathAndExpandsTheLowerCaseLineBreakMarker) {
  RecordingReader reader;
  const CaptionSource source{reader, "/opt/orlix/"};
  EXPECT_EQ(ReadCaption(source, "General", "2", "One.{crlf}Two."), "One.\r\nTwo.");  // the default too
  ASSERT_EQ(reader.calls.size(), 1u);
  EXPECT_EQ(reader.calls[0].section, "General");
  EXPECT_EQ(reader.calls[0].key, "2");
  EXPECT_EQ(reader.calls[0].defaultText, "One.{crlf}Two.");
  EXPECT_EQ(reader.calls[0].path, "/opt/orlix//OrlixObject.dat");
  EXPECT_EQ(reader.calls[0].bufferChars, 1024u);
  reader.answer = "{crlf}{crlf}a{CRLF}b{Crlf}{crlf";
  EXPECT_EQ(ReadCaption(source, "General", "2", "d"), "\r\n\r\na{CRLF}b{Crlf}{crlf");
  reader.answer = "{{crlf}crlf}";
  EXPECT_EQ(ReadCaption(source, "General", "2", "d"), "{\r\ncrlf}");  // inserted text is not rescanned
}

TEST(ReadCaptions, ReadsTheListedNumbersFromSectionGeneralOrTheirDefaults) {
  RecordingReader recorder;
  ReadCaptions(CaptionSource{recorder, "/x"});
  std::vector<std::string> keys;
  for (const auto& call : recorder.calls) {
    EXPECT_EQ(call.section, "General");
    keys.push_back(call.key);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "100", "101", "102", "104", "105", "106",
                                            "107", "108", "109"}));
  testing_support::TempFolder folder;  // without a caption file
  const IniFileProfileReader reader;
  const CaptionTable table = ReadCaptions(CaptionSource{reader, folder.Path()});
  std::size_t filled = 0;
  for (const CaptionDefault& d : CaptionDefaults()) EXPECT_EQ(table[d.number], d.text) << d.number;
  for (const std::string& slot : table) filled += slot.empty() ? 0 : 1;
  EXPECT_EQ(filled, kCaptionDefaultCount);
  EXPECT_EQ(table[1], "Orlix Ravelin");
  EXPECT_EQ(table[4], "&Report");
}

TEST(ReadCaptions, TheCaptionFileReplacesDefaults) {
  testing_support::TempFolder folder;
  std::string file =
      "; translated captions\r\n[general]\r\n4=&Print\r\n2 = Components found.{crlf}Pick one.\r\n"
      "3=\"  List components  \"\r\n5=\r\n6=Upper {CRLF} stays\r\n"
      "7=seven\r\n103=hundred and three\r\n110=hundred and ten\r\n0=zero\r\n109=first\r\n109=second\r\n"
      "101=" + std::string(1020, 'x') + "{crlf}\r\n102=" + std::string(1030, 'y') + "\r\n"
      "[General]\r\n1=from a second section";
  folder.Write(kCaptionFileName, file);
  const IniFileProfileReader reader;
  const CaptionTable table = ReadCaptions(CaptionSource{reader, folder.Path()});
  EXPECT_EQ(table[4], "&Print");
  EXPECT_EQ(table[2], "Components found.\r\nPick one.");
  EXPECT_EQ(table[3], "  List components  ");
  EXPECT_EQ(table[5], "");
  EXPECT_EQ(table[6], "Upper {CRLF} stays");
  for (int unused : {0, 7, 103, 110}) EXPECT_EQ(table[unused], "") << unused;
  EXPECT_EQ(table[109], "first");
  // The cut comes before the expansion, so a marker cut in half stays as it is.
  EXPECT_EQ(table[101], std::string(1020, 'x') + "{cr");
  EXPECT_EQ(table[102], std::string(1023, 'y'));
  EXPECT_EQ(table[1], "Orlix Ravelin");
  EXPECT_EQ(table[100], "Orlix Ravelin");

  LoadCaptions(CaptionSource{reader, folder.Path()});  // the process-wide table
  EXPECT_EQ(Captions()[2], "Components found.\r\nPick one.");
  EXPECT_EQ(Captions().size(), 201u);
  LoadCaptions();  // the program's own folder holds no caption file
  EXPECT_EQ(Captions()[3], "Generate List");
}

}  // namespace
}  // namespace orlix
