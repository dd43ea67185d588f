#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "cli/command.h"
#include "tests/native/test_files.h"
#include "tests/support/tool_run.h"
#include "cli/console_prompt.h"

namespace orlix::cli {
namespace {

const std::string kFiles = std::string(ORLIX_TEST_DATA) + "/files/";
const std::string kPeopleMask = "0=\"Name\",1=\"Size\"";

using testing_support::Lines;
using testing_support::ReadAll;

TEST(StylesCommand, ListsTheThirtyThreeJobs) {
  const ToolRun all = Orlixreport({"styles"});
  ASSERT_EQ(all.status, 0) << all.err;
  const std::vector<std::string> lines = Lines(all.out);
  ASSERT_EQ(lines.size(), 34u);
  EXPECT_EQ(lines[0], "Key\tType\tTitle\tDescription");
  EXPECT_EQ(lines[1].rfind("REPORT1\trtf\t", 0), 0u);
  EXPECT_EQ(lines[17].rfind("REPORT17\thtml\t", 0), 0u);
  EXPECT_EQ(lines[33], "REPORT33\tcsv\tComma Delimited\tComma-delimited output suitable for spreadsheet analysis");

  const ToolRun rtf = Orlixreport({"styles", "--format=RTF"});
  EXPECT_EQ(Lines(rtf.out).size(), 17u);
  const ToolRun json = Orlixreport({"styles", "--json", "--format", "csv"});
  EXPECT_EQ(json.out.find("\"REPORT33\""), json.out.find('"'));
  ExpectOneLineFailure(Orlixreport({"styles", "--format", "pdf"}), "unknown format 'pdf'");
  ExpectOneLineFailure(Orlixreport({"styles", "extra"}), "unknown argument 'extra'");
}

// Numbers are padded to four characters by the grid, as the window shows them; JSON cells are
// typed variants.
TEST(ReportCommand, CsvOfDataThroughTheMaskToStandardOutput) {
  ToolRun run =
      Orlixreport({"report", "--format", "csv", "--mask", kPeopleMask, "--data", kFiles + "people.csv", "--data-header"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "\"Name\",\"Size\"\r\n\"Alpha, Inc.\",\"  12\"\r\n\"beta\",\"   7\"\r\n");
  run = Orlixreport({"report", "--format=csv", "--mask", "0=\"N\",1=\"V\",2=\"B\"{True=\"yes\",False=\"no\"},3=\"X\"",
                     "--data", kFiles + "cells.json"});
  EXPECT_EQ(run.out, "\"N\",\"V\",\"B\",\"X\"\r\n\"Alpha\",\"  12\",\"yes\",\"\"\r\n\"Beta\",\" 2.5\",\"no\",\"x\"\r\n");
}

TEST(ReportCommand, SortsByShownTextStably) {
  const std::string data = kFiles + "sort.csv";
  const std::vector<std::string> base = {"report", "--format", "csv", "--mask", "0=\"K\",1=\"V\"", "--data", data};
  auto with = [&base](std::vector<std::string> extra) {
    std::vector<std::string> args = base;
    args.insert(args.end(), extra.begin(), extra.end());
    return Lines(Orlixreport(args).out, "\r\n");
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(with({"--sort", "1"}),
            (V{"\"K\",\"V\"", "\"a\",\"first\"", "\"A\",\"second\"", "\"b\",\"x\"", "\"C\",\"y\""}));
  EXPECT_EQ(with({"--sort=1:desc"}),
            (V{"\"K\",\"V\"", "\"C\",\"y\"", "\"b\",\"x\"", "\"a\",\"first\"", "\"A\",\"second\""}));
  EXPECT_EQ(with({"--sort", "2:asc"}).at(1), "\"a\",\"first\"");
  ExpectOneLineFailure(Orlixreport({"report", "--format", "csv", "--mask", "0=\"K\"", "--data", data, "--sort", "3"}),
                       "--sort names column 3 of 1");
  ExpectOneLineFailure(Orlixreport({"report", "--format", "csv", "--sort", "0"}), "column number from 1");
  ExpectOneLineFailure(Orlixreport({"report", "--format", "csv", "--sort", "1:up"}), "N:desc");
}

// The documents themselves are recorded byte for byte in report_bytes_test.
TEST(ReportCommand, StylesByKeyOrTitleAndWidthsPerColumn) {
  const ToolRun run = Orlixreport({"report", "--format", "html", "--style", "report20", "--title", "People <list>",
                                   "--widths", "300,100", "--mask", kPeopleMask, "--data", kFiles + "people.csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("People <list>"), std::string::npos);
  EXPECT_NE(run.out.find("\"75%\""), std::string::npos);
  const ToolRun rtf = Orlixreport({"report", "--format", "rtf", "--style", "classicblack", "--mask", kPeopleMask,
                                   "--data", kFiles + "people.csv"});
  EXPECT_EQ(rtf.out.rfind("{\\rtf", 0), 0u);
  ExpectOneLineFailure(Orlixreport({"report", "--format", "rtf", "--style", "Nope"}), "no rtf style 'Nope'");
  ExpectOneLineFailure(Orlixreport({"report", "--format", "csv", "--widths", "1,2,3", "--mask", kPeopleMask, "--data",
                                    kFiles + "people.csv"}),
                       "3 widths for 2 columns");
  ExpectOneLineFailure(Orlixreport({"report", "--format", "csv", "--widths", "1,-2"}), "--widths takes numbers");
}

TEST(ReportCommand, ComponentsOfARegistryExport) {
  const ToolRun run = Orlixreport(
      {"report", "--format", "csv", "--registry", std::string(ORLIX_TEST_DATA) + "/scan/classes.reg"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out, "\r\n");
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "\"ProgID\",\"File Path\",\"Version\",\"Attribute\",\"CLSID\"");
  ExpectOneLineFailure(Orlixreport({"report", "--format", "csv", "--registry", "/nonexistent.reg"}), "nonexistent.reg");
}

TEST(ReportCommand, BadCommandLinesFailWithOneLine) {
  ExpectOneLineFailure(Orlixreport({"report"}), "--format is required");
  ExpectOneLineFailure(Orlixreport({"report", "--format", "doc"}), "unknown format 'doc'");
  // A mask without fields is refused in words; the data file's own fault comes before the mask's.
  const std::pair<std::vector<std::string>, std::string> csv[] = {
      {{"-o", "x", "--view"}, "cannot be combined"}, {{"--mask", kPeopleMask}, "go together"},
      {{"--title"}, "--title needs a value"}, {{"--mask", "0=\"A\"", "--data", kFiles + "missing.csv"}, "missing.csv"},
      {{"--mask", "9=\"A\"", "--data", kFiles + "people.csv"}, "does not fit the mask"},
      {{"--mask", "", "--data", kFiles + "cells.json"}, "the mask names no field"},
      {{"--mask", "", "--data", kFiles + "missing.csv"}, "missing.csv"}};
  for (const auto& [extra, mentions] : csv) {
    std::vector<std::string> args = {"report", "--format", "csv"};
    args.insert(args.end(), extra.begin(), extra.end());
    ExpectOneLineFailure(Orlixreport(args), mentions);
  }
  const ToolRun empty = Orlixreport({"report", "--format", "csv", "--mask", "", "--data", kFiles + "cells.json"});
  EXPECT_EQ(empty.err.find("_M_"), std::string::npos) << empty.err;
  const ToolRun help = Orlixreport({"report", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--format"), std::string::npos);
}

TEST(ReportCommand, WritesAFileAsksBeforeReplacingAndReportsFailures) {
  const testing_support::TempFolder temp;
  const std::string folder = temp.Path(), target = temp.Path("people.csv");
  const auto save = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"report", "--format", "csv", "--mask", kPeopleMask, "--data", kFiles + "people.csv",
                                     "--data-header"};
    args.insert(args.end(), extra.begin(), extra.end());
    return Orlixreport(args);
  };
  ToolRun run = save({"-o", target});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(ReadAll(target), "\"Name\",\"Size\"\r\n\"Alpha, Inc.\",\"  12\"\r\n\"beta\",\"   7\"\r\n");

  temp.Write("people.csv", "mine");
  // Nobody at a terminal to ask: the file is kept.
  ExpectOneLineFailure(save({"-o", target}), "'" + target + "' exists and was not replaced");
  ExpectOneLineFailure(save({"--no", "--output", target}), "not replaced");
  EXPECT_EQ(ReadAll(target), "mine");
  run = save({"--overwrite", "-o", target});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadAll(target).substr(0, 15), "\"Name\",\"Size\"\r\n");
  ExpectOneLineFailure(save({"-o", folder + "/missing/x.csv"}),
                       "orlixreport report: Error writing file '" + folder + "/missing/x.csv': No such file or directory");
}

TEST(ConsolePrompt, AnswersFromPolicyOrTheUserAndWarnsOnOneLine) {
  std::ostringstream err;
  ConsolePrompt yes(AnswerPolicy::Yes, nullptr, err, "tool");
  EXPECT_TRUE(yes.AskYesNo("Talvern", "Overwrite?"));
  EXPECT_FALSE(yes.Declined());
  EXPECT_EQ(err.str(), "");

  std::istringstream answers(" Yes\r\nno\n");
  ConsolePrompt ask(AnswerPolicy::Ask, &answers, err, "tool");
  EXPECT_TRUE(ask.AskYesNo("Talvern", "The file 'a' already exists.\r\n\r\nOverwrite the existing file?"));
  EXPECT_FALSE(ask.AskYesNo("Talvern", "Again?"));
  EXPECT_FALSE(ask.AskYesNo("Talvern", "At the end of input?"));
  EXPECT_TRUE(ask.Declined());
  EXPECT_EQ(err.str(),
            "tool: The file 'a' already exists. Overwrite the existing file? [y/N] tool: Again? [y/N] "
            "tool: At the end of input? [y/N] \n");

  std::ostringstream warnings;
  ConsolePrompt no(AnswerPolicy::No, &answers, warnings, "tool");
  EXPECT_FALSE(no.AskYesNo("Talvern", "Overwrite?"));
  no.Warn("Talvern", "Could not delete the file 'x'.\r\nPlease make sure");
  EXPECT_TRUE(no.Warned());
  EXPECT_EQ(warnings.str(), "tool: Could not delete the file 'x'. Please make sure\n");
}

}  // namespace
}  // namespace orlix::cli
