// Whole reports, byte for byte: orlixreport's output for a table of styles, formats and masks
// over data with non-ASCII text (Windows-1252 and beyond), an invalid UTF-8 byte, characters
// the formats escape, placeholder text, typed JSON cells and short rows. The expected files
// were written by the tool before the report path was optimised; any change of output shows
// here.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/native/test_files.h"
#include "tests/support/tool_run.h"

namespace orlix::cli {
namespace {

const std::string kData = std::string(ORLIX_TEST_DATA) + "/files/report_bytes.json";
const std::string kExpected = std::string(ORLIX_TEST_DATA) + "/report_bytes/";
const std::string kPlainMask = "0=\"Name\",1=\"Value\",2=\"Flag\",3=\"Path\",4=\"Note\"";
// Reordered fields, a format picture and a translation list (null included).
const std::string kTranslatedMask =
    "4=\"Note\",0=\"Name\",1=\"Value\"[#,##0.00],2=\"Flag\"{True=\"yes\",False=\"no\",Null=\"none\"},3=\"Path\"";

using testing_support::ReadAll;

std::vector<std::string> Styled(const std::string& format, const std::string& style, const std::string& mask) {
  return {"report", "--format", format,   "--style",    style, "--mask", mask, "--data", kData,
          "--title", "Bericht f\xC3\xBCr K\xC3\xB6ln", "--subtitle", "Stand: 1 \xE2\x82\xAC & <ok> {||Body||}"};
}

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& extra) {
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

// Reports the first differing byte rather than two long texts.
void ExpectSameBytes(const std::string& actual, const std::string& expectedFile) {
  const std::string expected = ReadAll(kExpected + expectedFile);
  ASSERT_FALSE(expected.empty()) << expectedFile;
  if (actual == expected) return;
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  ADD_FAILURE() << expectedFile << ": " << actual.size() << " bytes instead of " << expected.size()
                << ", first difference at byte " << at << ": '" << actual.substr(at, 60) << "' instead of '"
                << expected.substr(at, 60) << "'";
}

TEST(ReportBytes, StandardOutputMatchesTheRecordedReports) {
  struct Case {
    std::vector<std::string> args;
    const char* expected;
  } cases[] = {
      {Styled("html", "ClassicBlack", kPlainMask), "classic_black.html"},
      {Styled("html", "GridYellow", kTranslatedMask), "grid_yellow_translated.html"},
      {With(Styled("html", "SimpleGreen", kPlainMask), {"--sort", "5:desc", "--widths", "100,50,0,200,80"}),
       "simple_green_sorted.html"},
      {Styled("rtf", "ClassicBlack", kPlainMask), "classic_black.rtf"},
      {Styled("rtf", "ListGrayInverse", kTranslatedMask), "list_gray_inverse_translated.rtf"},
      {{"report", "--format", "csv", "--mask", kPlainMask, "--data", kData}, "plain.csv"},
      {{"report", "--format", "csv", "--mask", kTranslatedMask, "--data", kData, "--sort", "1"}, "translated_sorted.csv"},
      {{"report", "--format", "csv", "--mask", "0=\"Name\",1=\"Size\"", "--data",
        std::string(ORLIX_TEST_DATA) + "/files/people.csv", "--data-header"},
       "people.csv"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Orlixreport(c.args);
    ASSERT_EQ(run.status, 0) << c.expected << ": " << run.err;
    ExpectSameBytes(run.out, c.expected);
  }
}

TEST(ReportBytes, SavedFileMatchesTheRecordedReport) {
  const testing_support::TempFolder folder;
  const ToolRun run = Orlixreport(With(Styled("html", "ClassicBlueGray", kPlainMask), {"-o", folder.Path("report.html")}));
  ASSERT_EQ(run.status, 0) << run.err;
  ExpectSameBytes(ReadAll(folder.Path("report.html")), "classic_blue_gray_file.html");
}

}  // namespace
}  // namespace orlix::cli
