// The built-in report style store and the loader that turns a store into report jobs.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "report/report.h"
#include "report/report_styles.h"
#include "reportview/memory_grid.h"
#include "testing/render_test_support.h"
#include "tests/native/test_files.h"

namespace orlix {
namespace {

using A = cReportTestAccess;
using render_test::Count;

// RTF group depth: every "{" closed, never below zero; escaped braces and backslashes skipped.
bool RtfBracesBalance(const std::string& text) {
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == '{') {
      ++depth;
    } else if (text[i] == '}' && --depth < 0) {
      return false;
    }
  }
  return depth == 0;
}

TEST(BuiltInStore, IsTheStoreFileAsThirtyTwoJobsNumberedInOrder) {
  const std::string file = testing_support::ReadAll(std::string(ORLIX_SOURCE_DIR) + "/resources/reportformats.txt");
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(LoadBuiltInFormatBytes(), file);
  EXPECT_EQ(LoadBuiltInFormats(), file);  // ASCII passes the code page unchanged

  ReportStyles styles;
  ASSERT_TRUE(LoadReportStyles(styles, nullptr, nullptr));
  ASSERT_EQ(styles.Count(), 32u);
  for (std::size_t i = 0; i < 32; ++i) {
    const cReport& job = *styles.At(i);
    const std::string key = "REPORT" + std::to_string(i + 1);
    SCOPED_TRACE(key);
    EXPECT_EQ(job.ID, static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(job.Key, key);
    EXPECT_EQ(styles.Find("report" + std::to_string(i + 1)).get(), &job);
    EXPECT_EQ(job.ReportType, i < 16 ? kReportRtf : kReportHtml);
    // The sixteen looks, each offered once as RTF and once as HTML.
    EXPECT_EQ(job.Title, styles.At(i % 16)->Title);
    EXPECT_EQ(job.Description, styles.At(i % 16)->Description);
    EXPECT_FALSE(job.Generated);
  }
  EXPECT_EQ(styles.At(0)->Title, "ClassicBlack");
  EXPECT_EQ(styles.At(0)->Description, "Horizontal lines and italic heading");
  EXPECT_EQ(styles.At(15)->Title, "SimpleGreen");
}

// Every built-in style, filled by the renderer, gives a whole document: all rows and cells, no
// placeholder left, RTF groups closed, HTML cells escaped.
TEST(BuiltInStore, EveryStyleRendersACompleteDocument) {
  MemoryGrid grid;
  for (const char* header : {"ProgID", "File Path", "CLSID"}) grid.AddColumn("", header);
  grid.AddRow({"Excel.Application", "C:\\Office\\EXCEL.EXE", "{00024500-0000-0000-C000-000000000046}"});
  grid.AddRow({"a < b & c", "back\\slash {x}", "say \"hi\""});
  auto parameters = std::make_shared<ReportParameters>();
  parameters->Add(std::make_shared<cReportParam>(cReportParam{"{||ReportTitle||}", "Components"}), "{||ReportTitle||}");

  ReportStyles styles;
  LoadReportStyles(styles, &grid, parameters);
  for (const auto& job : styles) {
    SCOPED_TRACE(job->Key + " " + job->Title);
    ASSERT_TRUE(job->Generate());
    const std::string& doc = job->ReportContents;
    EXPECT_EQ(doc.find("{||"), std::string::npos);
    EXPECT_NE(doc.find("Components"), std::string::npos);
    if (job->ReportType == kReportRtf) {
      EXPECT_EQ(doc.rfind("{\\rtf1\\ansi\\ansicpg1252", 0), 0u);
      EXPECT_TRUE(RtfBracesBalance(doc));
      EXPECT_EQ(Count(doc, "\\row "), 3u);
      EXPECT_EQ(Count(doc, "\\cell") - Count(doc, "\\cellx"), 9u);
      EXPECT_EQ(Count(doc, "\\cellx"), 9u);
      EXPECT_NE(doc.find("\\cellx12000"), std::string::npos);
      EXPECT_NE(doc.find(" back\\\\slash \\{x\\}\\cell"), std::string::npos);
    } else {
      EXPECT_EQ(Count(doc, "<tr>"), 3u);
      EXPECT_EQ(Count(doc, "</tr>"), 3u);
      EXPECT_EQ(Count(doc, "</td>"), 9u);
      EXPECT_EQ(Count(doc, "width=\"33%\""), 9u);
      EXPECT_NE(doc.find(" a &lt; b &amp; c</td>"), std::string::npos);
      EXPECT_NE(doc.find(" say &quot;hi&quot;</td>"), std::string::npos);
    }
  }
}

TEST(LoadReportStyles, ExternalStoreReplacesTheBuiltInOne) {
  ReportStyles styles;
  EXPECT_TRUE(LoadReportStyles(styles, nullptr, nullptr,
                               "[***REPORT***]\r\nTitle=Mine\r\nType=html\r\nBodyCellData=<td>{||Body||}</td>\r\n"
                               "[***REPORT***]\r\nTitle=Second\r\n"));
  ASSERT_EQ(styles.Count(), 2u);
  EXPECT_EQ(styles.At(0)->ReportType, kReportHtml);
  EXPECT_EQ(A::GetTemplates(*styles.At(0)).bodyCellData, "<td>{||Body||}</td>");
  // Text after the last marker, final CR LF included, belongs to the last section.
  EXPECT_EQ(styles.At(1)->Title, "Second");
  EXPECT_EQ(styles.At(1)->Key, "REPORT2");
}

TEST(LoadReportStyles, CutsOnlyAtTheWholeMarkerLine) {
  ReportStyles styles;
  // No marker in front of the first section; a marker with other text on its line, a lower-case
  // marker and a marker without CR LF on both sides do not cut.
  LoadReportStyles(styles, nullptr, nullptr,
                   "Title=A\r\n[***REPORT***] x\r\nDescription=B\r\n[***report***]\r\nTable=C\n[***REPORT***]\r\n"
                   "BodyRow=D\r\n[***REPORT***]\r\nTitle=E");
  ASSERT_EQ(styles.Count(), 2u);
  EXPECT_EQ(styles.At(0)->Title, "A");
  EXPECT_EQ(styles.At(0)->Description, "B");
  EXPECT_EQ(A::GetTemplates(*styles.At(0)).table, "C\n[***REPORT***]");
  EXPECT_EQ(A::GetTemplates(*styles.At(0)).bodyRow, "D");
  EXPECT_EQ(styles.At(1)->Title, "E");

  // Empty pieces still make jobs; a separator shares its CR LF with the one before it.
  styles.Clear();
  LoadReportStyles(styles, nullptr, nullptr, "[***REPORT***]\r\n\r\n[***REPORT***]\r\n\r\n[***REPORT***]\r\n");
  EXPECT_EQ(styles.Count(), 3u);
  styles.Clear();
  EXPECT_TRUE(LoadReportStyles(styles, nullptr, nullptr, "[***REPORT***]\r\n[***REPORT***]\r\n[***REPORT***]\r\n"));
  EXPECT_EQ(styles.Count(), 2u);
}

TEST(LoadReportStyles, NumbersFollowTheJobsAlreadyHeld) {
  ReportStyles styles;
  auto held = std::make_shared<cReport>();
  held->Key = "Report2";
  styles.Add(held, held->Key);
  LoadReportStyles(styles, nullptr, nullptr, "Title=a\r\n[***REPORT***]\r\nTitle=b\r\n[***REPORT***]\r\nTitle=c");
  ASSERT_EQ(styles.Count(), 4u);
  EXPECT_EQ(styles.At(1)->Key, "REPORT1");
  EXPECT_EQ(styles.At(2)->Key, "REPORT3");
  EXPECT_EQ(styles.At(2)->ID, 3);
  EXPECT_EQ(styles.At(3)->Key, "REPORT4");
  EXPECT_EQ(styles.Find("REPORT3")->Title, "b");
}

}  // namespace
}  // namespace orlix
