// Rendering of report jobs: widths, escaping, parameters, CSV, events, failures and the
// protection of data from placeholder filling.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "report/report.h"
#include "testing/render_test_support.h"

namespace orlix {
namespace {

using render_test::Count;
using render_test::MakeGrid;
using render_test::MakeParameters;

cReport StyledJob(int type, const reference::Templates& t, Grid* grid,
                  std::shared_ptr<ReportParameters> params = nullptr) {
  cReport job;
  job.ReportType = type;
  cReportTestAccess::SetTemplates(job, t);
  job.ExtraParameters(std::move(params));
  job.ListView(grid);
  return job;
}

TEST(ReportWidths, SharesOfTheRoundedTotal) {
  using W = std::vector<std::int32_t>;
  const struct {
    std::vector<double> widths;
    W html, rtf;
  } cases[] = {
      {{50, 50, 50}, {33, 33, 33}, {4000, 4000, 4000}},
      // Ties go to the even neighbour: the total accumulates round(0.5)=0, round(0 + 1.5)=2.
      {{0.5, 1.5}, {25, 75}, {3000, 9000}},
      {{2.5, 2.5}, {62, 62}, {7500, 7500}},  // round(2.5) = 2, round(2 + 2.5) = 4 (not 5)
      {{1, 2}, {33, 66}, {4000, 8000}},      // division drops the remainder
      // Nothing to divide by: equal shares.
      {{0, 0, 0}, {33, 33, 33}, {4000, 4000, 4000}},
      {{0.2, 0.2}, {50, 50}, {6000, 6000}},  // a total that rounds to 0
      {{}, {100}, {12000}},
      {{0, 10}, {0, 100}, {0, 12000}},
  };
  for (const auto& c : cases) {
    auto grid = MakeGrid(std::vector<std::string>(c.widths.size(), "h"), c.widths, {});
    cReport job;
    job.ListView(grid.get());
    W html, rtf;
    cReportTestAccess::Widths(job, &html, &rtf);
    EXPECT_EQ(html, c.html) << c.widths.size();
    EXPECT_EQ(rtf, c.rtf) << c.widths.size();
  }
}

TEST(ReportBinding, ColumnOrderIsReadWhenTheGridIsBound) {
  auto grid = MakeGrid({"a", "b", "c"}, {}, {{"1", "2", "3"}});
  grid->SetColumnOrder({2, 0, 1});
  cReport job;
  job.ListView(grid.get());
  EXPECT_EQ(cReportTestAccess::ColumnOrder(job), (std::vector<std::int32_t>{2, 0, 1}));

  // Changing the grid afterwards does not change the job; a grid without columns keeps the old
  // order.
  grid->SetColumnOrder({0, 1, 2});
  EXPECT_EQ(cReportTestAccess::ColumnOrder(job), (std::vector<std::int32_t>{2, 0, 1}));
  auto empty = MakeGrid({}, {}, {});
  job.ListView(empty.get());
  EXPECT_EQ(cReportTestAccess::ColumnOrder(job), (std::vector<std::int32_t>{2, 0, 1}));

  job.ReportType = kReportCsv;
  job.ListView(grid.get());
  ASSERT_TRUE(job.Generate());
  EXPECT_EQ(job.ReportContents, "\"a\",\"b\",\"c\"\r\n\"1\",\"2\",\"3\"\r\n");
}

TEST(ReportParameters, NestedTagsAreExpandedExactly) {
  cReport job;
  EXPECT_EQ(cReportTestAccess::GetParameter(job, "{||ReportTitle||}"), "");  // no collection
  job.ExtraParameters(MakeParameters({{"{||ReportTitle||}", "On {||Date||} at {||Time||}, {||date||} {||ReportSubTitle||}"},
                                      {"{||Date||}", "Monday"},
                                      {"{||Time||}", "10:00"},
                                      {"{||ReportSubTitle||}", "sub"}}));
  EXPECT_EQ(cReportTestAccess::GetParameter(job, "{||ReportTitle||}"),
            "On Monday at 10:00, {||date||} {||ReportSubTitle||}");
  // Keys are found without regard to case; a missing tag gives empty text.
  EXPECT_EQ(cReportTestAccess::GetParameter(job, "{||reporttitle||}").substr(0, 9), "On Monday");
  EXPECT_EQ(cReportTestAccess::GetParameter(job, "{||QuestionType||}"), "");
  // Absent nested tags stay as written.
  job.ExtraParameters(MakeParameters({{"{||ReportTitle||}", "{||CurrentItemTitle||} {||QuestionAnswered||}"},
                                      {"{||QuestionAnswered||}", "yes"}}));
  EXPECT_EQ(cReportTestAccess::GetParameter(job, "{||ReportTitle||}"), "{||CurrentItemTitle||} yes");
}

TEST(ReportGenerate, UnknownTypesRenderNothingAndWithoutAGridOnlyTheTitlesAreFilled) {
  auto grid = MakeGrid({"a"}, {}, {{"1"}});
  for (int type : {3, -1, 1000}) {
    cReport job;
    job.ReportContents = "before";
    job.ReportType = type;
    job.ListView(grid.get());
    EXPECT_FALSE(job.Generate());
    EXPECT_EQ(job.ReportContents, "before");
    EXPECT_FALSE(job.Generated);
  }
  auto job = StyledJob(kReportHtml, render_test::PlainHtml(), nullptr, MakeParameters({{"{||ReportTitle||}", "T"}}));
  ASSERT_TRUE(job.Generate());
  EXPECT_EQ(job.ReportContents, "<html><h1>T</h1><p></p><table>\r\n{||HeaderRow||}\r\n{||BodyRow||}\r\n</table></html>");
  cReport csv;  // a CSV job has nothing to render without a grid
  csv.ReportType = kReportCsv;
  csv.ReportContents = "kept";
  EXPECT_THROW(csv.Generate(), std::logic_error);
  EXPECT_EQ(csv.ReportContents, "kept");
}

TEST(ReportGenerate, CsvQuotesEveryCellAndKeepsRaggedRowsAndLineBreaks) {
  auto grid = MakeGrid({"", "B,\"x\"", "C"}, {}, {{"a < b & c", "line\r\nbreak", "\\{x}"}, {"'q'"}, {"", "b3"}});
  cReport csv;
  csv.ReportType = kReportCsv;
  csv.ListView(grid.get());
  std::vector<std::pair<int, int>> seen;
  csv.CurrentStatus = [&](std::int32_t current, std::int32_t total) { seen.emplace_back(current, total); };
  ASSERT_TRUE(csv.Generate());
  EXPECT_EQ(csv.ReportContents, "\"\",\"B,'x'\",\"C\"\r\n\"a < b & c\",\"line\r\nbreak\",\"\\{x}\"\r\n\"'q'\"\r\n\"\",\"b3\"\r\n");
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
  // Generating again reflects the grid as it is now; columns without rows give the header alone.
  grid->RemoveAllItems();
  ASSERT_TRUE(csv.Generate());
  EXPECT_EQ(csv.ReportContents, "\"\",\"B,'x'\",\"C\"\r\n");
  EXPECT_EQ(seen.size(), 3u);
}

TEST(ReportGenerate, AFailureKeepsThePreviousDocument) {
  auto grid = MakeGrid({"A", "B"}, {}, {{"1", "2"}});
  for (int type : {kReportRtf, kReportHtml, kReportCsv}) {
    auto job = StyledJob(type, type == kReportRtf ? render_test::PlainRtf() : render_test::PlainHtml(), grid.get());
    ASSERT_TRUE(job.Generate());
    const std::string first = job.ReportContents;
    // A third column appears after binding: the order read then is too short for the new
    // header (styled) or for a row that now has two sub-items (every type).
    grid->AddColumn("", "C");
    grid->SetSubItem(0, 2, "3");
    EXPECT_THROW(job.Generate(), std::out_of_range) << "type " << type;
    EXPECT_EQ(job.ReportContents, first);
    EXPECT_TRUE(job.Generated);
    grid = MakeGrid({"A", "B"}, {}, {{"1", "2"}});
  }
  // Never rendered: stays not generated.
  auto wide = MakeGrid({"A"}, {}, {{"1"}});
  cReport job;
  job.ReportType = kReportCsv;
  job.ListView(wide.get());
  wide->AddColumn("", "B");
  wide->SetSubItem(0, 1, "x");
  EXPECT_THROW(job.Generate(), std::out_of_range);
  EXPECT_FALSE(job.Generated);
  EXPECT_EQ(job.ReportContents, "");
}

TEST(ReportGenerate, StylesThatMultiplyTheirOwnSlotsFailInsteadOfExhaustingMemory) {
  std::vector<std::vector<std::string>> rows(64, std::vector<std::string>{"a", "b", "c"});
  auto grid = MakeGrid({"A", "B", "C"}, {}, rows);

  // Each row holds the row slot 40 times: the slots multiply by 41 with every row.
  reference::Templates rowsMultiply = render_test::PlainHtml();
  for (int i = 0; i < 20; ++i) rowsMultiply.bodyRow += "{||BodyRow||}{||bodyrow||}";
  // Each header cell holds the cell slot 40 times: the slots multiply by 41 with every cell.
  reference::Templates cellsMultiply = render_test::PlainHtml();
  for (int i = 0; i < 40; ++i) cellsMultiply.headerCellData += "{||HeaderCellData||}";
  auto wide = MakeGrid(std::vector<std::string>(24, "h"), {}, {});

  for (auto [t, g] : {std::pair{rowsMultiply, grid.get()}, std::pair{cellsMultiply, wide.get()}}) {
    auto job = StyledJob(kReportHtml, t, g);
    EXPECT_THROW(job.Generate(), std::length_error);
    EXPECT_FALSE(job.Generated);
    EXPECT_EQ(job.ReportContents, "");
  }

  // The same styles over a few rows and cells still render, with every copy the fill makes.
  auto small = MakeGrid({"A", "B"}, {}, {{"x", "y"}, {"z", "w"}});
  auto job = StyledJob(kReportHtml, rowsMultiply, small.get());
  ASSERT_TRUE(job.Generate());
  EXPECT_EQ(Count(job.ReportContents, "<td width=\"50%\"> z</td>"), 41u);  // row 2 fills 41 slots
  EXPECT_EQ(Count(job.ReportContents, "<td width=\"50%\"> x</td>"), 1u);
  EXPECT_EQ(job.ReportContents.find("{||"), std::string::npos);
  job = StyledJob(kReportHtml, cellsMultiply, small.get());
  ASSERT_TRUE(job.Generate());
  EXPECT_EQ(Count(job.ReportContents, "> B</th>"), 41u);  // the second header cell fills 41 slots
}

// Cell texts, header texts and the title are data: placeholder-like text in them is written as it stands.
TEST(ReportDataProtection, PlaceholderTextInDataIsWrittenLiterally) {
  const std::vector<std::string> tricky = {"{||BodyRow||}", "{||Body||}", "{||BodyCellData||}", "{||bodycellformatting||}",
                                           "{||HeaderCellData||}", "{||CellWidthHTML||}", "{||ContentTitle||}"};
  std::vector<std::vector<std::string>> rows;
  for (const auto& t : tricky) rows.push_back({t, "after " + t});
  auto grid = MakeGrid({"{||HeaderCellData||}", "{||CellWidthHTML||} {||BodyRow||}"}, {1, 1}, rows);
  auto params = MakeParameters({{"{||ReportTitle||}", "{||BodyRow||} {||HeaderRow||} {||ContentDescription||}"},
                                {"{||ReportSubTitle||}", "{||BodyCellData||}"}});
  for (int type : {kReportHtml, kReportRtf}) {
    auto job = StyledJob(type, type == kReportRtf ? render_test::PlainRtf() : render_test::PlainHtml(), grid.get(), params);
    ASSERT_TRUE(job.Generate());
    const std::string& out = job.ReportContents;
    const std::string open = type == kReportRtf ? "\\{" : "{";
    const std::string close = type == kReportRtf ? "\\}" : "}";
    // First column: right behind the row's opening markup; second column: behind "after".
    const std::string first = type == kReportRtf ? "{\\f1 " : "%\">";
    const std::string cellEnd = type == kReportRtf ? "\\cell" : "</td>";
    for (const auto& t : tricky) {
      const std::string shown = " " + open + t.substr(1, t.size() - 2) + close;
      EXPECT_EQ(Count(out, first + shown + cellEnd), 1u) << t;
      EXPECT_EQ(Count(out, " after" + shown + cellEnd), 1u) << t;
    }
    const std::string headerEnd = type == kReportRtf ? "\\cell" : "</th>";
    EXPECT_EQ(Count(out, " {||HeaderCellData||}" + headerEnd), 1u);
    EXPECT_EQ(Count(out, " {||CellWidthHTML||} {||BodyRow||}" + headerEnd), 1u);
    EXPECT_NE(out.find("{||BodyRow||} {||HeaderRow||} {||ContentDescription||}"), std::string::npos);
    EXPECT_EQ(Count(out, "{||BodyCellData||}"), (type == kReportRtf ? 1u : 3u));
    // Still exactly one row per grid row.
    EXPECT_EQ(Count(out, type == kReportRtf ? "\\trowd" : "<tr>"), tricky.size() + 1);
  }
}

TEST(ReportDataProtection, DataTouchingTemplateTextDoesNotCompleteAPlaceholder) {
  // In the template, a half placeholder stands right before the title; a title that would
  // complete it stays a title.
  reference::Templates t = render_test::PlainHtml();
  t.table = "[{||Body{||ContentTitle||}]" + t.table;
  auto grid = MakeGrid({"A"}, {}, {{"1"}, {"2"}});
  auto job = StyledJob(kReportHtml, t, grid.get(), MakeParameters({{"{||ReportTitle||}", "Row||}"}}));
  ASSERT_TRUE(job.Generate());
  EXPECT_EQ(job.ReportContents.substr(0, 17), "[{||BodyRow||}]<h");
  EXPECT_EQ(Count(job.ReportContents, "<tr>"), 3u);

  // With an empty title nothing stands between two halves: they meet and make a row slot, as
  // in the literal fill.
  t.table = "[{||Body{||ContentTitle||}Row||}]" + render_test::PlainHtml().table;
  auto empty = StyledJob(kReportHtml, t, grid.get());
  ASSERT_TRUE(empty.Generate());
  EXPECT_EQ(empty.ReportContents,
            reference::RenderLiterally(kReportHtml, t, nullptr, grid.get(), cReportTestAccess::ColumnOrder(empty)));
  EXPECT_EQ(Count(empty.ReportContents, "<tr>"), 5u);
}

}  // namespace
}  // namespace orlix
