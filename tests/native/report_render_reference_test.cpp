// The renderer against the literal fill (testing/report_render_reference.h): the same bytes
// and the same progress events for generated grids, for every built-in style and for templates
// that use placeholders oddly (repeated, misplaced, in other letter cases, missing, or feeding
// back into their own part).
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "report/report.h"
#include "report/report_styles.h"
#include "testing/render_test_support.h"

namespace orlix {
namespace {

using reference::Templates;

// Texts with characters that every escaper and quoting rule cares about, and text that looks
// like placeholders without being one of the renderer's own.
const std::vector<std::string> kTexts = {
    "",        "plain",         "a < b & c", "back\\slash {x}", "say \"hi\"", "caf\xC3\xA9", "Zo\xC3\xAB",
    " ",       "\t tab",        "line\r\nbreak", "{||Foo||}",    "{|Body|}",  "{||",        "||}",
    "}{",      "{ ||BodyRow|| }", "{crlf}",  "&amp;",           "<b>x</b>",  "\\par",      "100%",
    "'q'",     "{||Date||}",    "x{|",       std::string(70, 'w')};

struct GridShape {
  int columns;
  int maxRows;
};

class GridMaker {
 public:
  explicit GridMaker(unsigned seed) : rng_(seed) {}

  std::unique_ptr<MemoryGrid> Make(const GridShape& shape) {
    const int columns = Pick(0, shape.columns);
    std::vector<std::string> headers;
    std::vector<double> widths;
    const int widthKind = Pick(0, 3);
    for (int c = 0; c < columns; ++c) {
      headers.push_back(Text());
      switch (widthKind) {
        case 0: widths.push_back(0); break;                            // all zero
        case 1: widths.push_back(Pick(0, 3) == 0 ? 0 : Pick(1, 400)); break;  // some zero
        case 2: widths.push_back(Pick(0, 40) + 0.5); break;            // ties
        default: widths.push_back(Pick(1, 20) / 10.0); break;          // tiny: total may round to 0
      }
    }
    std::vector<std::vector<std::string>> rows;
    const int rowCount = Pick(0, shape.maxRows);
    for (int r = 0; r < rowCount; ++r) {
      std::vector<std::string> row;
      const int cells = columns == 0 ? 1 : Pick(1, columns);
      for (int k = 0; k < cells; ++k) row.push_back(Text());
      rows.push_back(row);
    }
    auto grid = render_test::MakeGrid(headers, widths, rows);
    if (columns > 1) {
      std::vector<int> order(static_cast<std::size_t>(columns));
      for (int c = 0; c < columns; ++c) order[static_cast<std::size_t>(c)] = c;
      std::shuffle(order.begin(), order.end(), rng_);
      grid->SetColumnOrder(order);
    }
    return grid;
  }

  std::shared_ptr<ReportParameters> Parameters() {
    std::vector<std::pair<std::string, std::string>> pairs;
    if (Pick(0, 4) > 0) pairs.push_back({"{||ReportTitle||}", Text() + " " + Text()});
    if (Pick(0, 4) > 0) pairs.push_back({"{||ReportSubTitle||}", "{||Date||} " + Text()});
    pairs.push_back({"{||Date||}", "Monday, May 4 2026"});
    return render_test::MakeParameters(pairs);
  }

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  std::string Text() { return kTexts[static_cast<std::size_t>(Pick(0, static_cast<int>(kTexts.size()) - 1))]; }

  std::mt19937 rng_;
};

struct Outcome {
  std::optional<std::string> document;  // none when rendering threw std::out_of_range
  std::vector<std::pair<int, int>> events;
};

Outcome RenderWithJob(int type, const Templates& t, Grid* grid, const std::shared_ptr<ReportParameters>& params) {
  cReport job;
  job.ReportType = type;
  cReportTestAccess::SetTemplates(job, t);
  job.ExtraParameters(params);
  job.ListView(grid);
  Outcome outcome;
  job.CurrentStatus = [&](std::int32_t current, std::int32_t total) { outcome.events.emplace_back(current, total); };
  try {
    EXPECT_TRUE(job.Generate());
    outcome.document = job.ReportContents;
  } catch (const std::out_of_range&) {
  }
  return outcome;
}

Outcome RenderLiterally(int type, const Templates& t, Grid* grid, const std::shared_ptr<ReportParameters>& params) {
  cReport binder;  // reads the column order exactly as a job does
  binder.ListView(grid);
  Outcome outcome;
  try {
    outcome.document = reference::RenderLiterally(
        type, t, params.get(), grid, cReportTestAccess::ColumnOrder(binder),
        [&](int current, int total) { outcome.events.emplace_back(current, total); });
  } catch (const std::out_of_range&) {
  }
  return outcome;
}

// Compares both renderings on `grids` generated grids; returns how many ended in a document.
int CompareOn(const std::string& name, int type, const Templates& t, const GridShape& shape, int grids, unsigned seed) {
  GridMaker maker(seed);
  int documents = 0;
  for (int i = 0; i < grids; ++i) {
    auto grid = maker.Make(shape);
    auto params = maker.Parameters();
    const Outcome expected = RenderLiterally(type, t, grid.get(), params);
    const Outcome actual = RenderWithJob(type, t, grid.get(), params);
    EXPECT_EQ(actual.document.has_value(), expected.document.has_value()) << name << " grid " << i;
    if (actual.document && expected.document) {
      ++documents;
      EXPECT_EQ(*actual.document, *expected.document) << name << " type " << type << " grid " << i;
      if (*actual.document != *expected.document) return documents;  // one diff is enough to read
    }
    EXPECT_EQ(actual.events, expected.events) << name << " grid " << i;
  }
  return documents;
}

TEST(ReportRenderReference, EveryBuiltInStyle) {
  ReportStyles styles;
  ASSERT_TRUE(LoadReportStyles(styles, nullptr, nullptr));
  ASSERT_EQ(styles.Count(), 32u);
  unsigned seed = 1;
  for (const auto& job : styles) {
    const Templates t = cReportTestAccess::GetTemplates(*job);
    ASSERT_FALSE(t.bodyCellData.empty()) << job->Key;
    const int documents = CompareOn(job->Key + " " + job->Title, job->ReportType, t, {6, 25}, 30, seed++);
    EXPECT_GT(documents, 15) << job->Key;  // the comparison saw real documents, not only failures
  }
}

TEST(ReportRenderReference, PlainTemplatesOnLargerGrids) {
  EXPECT_GT(CompareOn("plain html", kReportHtml, render_test::PlainHtml(), {9, 400}, 24, 101), 18);
  EXPECT_GT(CompareOn("plain rtf", kReportRtf, render_test::PlainRtf(), {9, 400}, 24, 102), 18);
}

Templates With(Templates t, std::string Templates::*part, const std::string& value) {
  t.*part = value;
  return t;
}

// Templates that place placeholders where the renderer can still fill in one pass.
std::vector<std::pair<std::string, Templates>> OddTemplates() {
  const Templates h = render_test::PlainHtml();
  const Templates r = render_test::PlainRtf();
  return {
      {"rows and header twice", With(h, &Templates::table, "A{||HeaderRow||}B{||BodyRow||}C{||BodyRow||}D{||HeaderRow||}")},
      {"cells twice in a row",
       With(r, &Templates::bodyRow, "<{||BodyCellFormatting||}|{||BodyCellData||}|{||BodyCellData||}|{||BodyCellFormatting||}>")},
      {"text twice in a cell", With(h, &Templates::bodyCellData, "[{||Body||}|{||Body||}|{||CellWidthHTML||}{||cellwidthhtml||}]")},
      {"misplaced in table",
       With(h, &Templates::table,
            "{||BodyCellData||}{||Body||}{||HeaderCellData||}{||CellWidthRTF||}{||Header||}{||BodyCellFormatting||}"
            "{||HeaderCellFormatting||}|{||HeaderRow||}|{||BodyRow||}")},
      {"misplaced in body row",
       With(r, &Templates::bodyRow,
            "<{||HeaderCellData||}{||HeaderRow||}{||ContentTitle||}{||Body||}{||CellWidthHTML||}{||BodyCellData||}>")},
      {"row slot in header row", With(h, &Templates::headerRow, "<h>{||HeaderCellData||}{||BodyRow||}{||BodyCellData||}</h>")},
      {"row slot in every header cell", With(h, &Templates::headerCellData, "[{||Header||}{||BodyRow||}{||BodyCellData||}]")},
      {"header placeholders in body cell", With(h, &Templates::bodyCellData, "[{||Body||}{||HeaderCellData||}{||Header||}]")},
      {"body placeholders in header cell formatting",
       With(r, &Templates::headerCellFormatting, "\\cellx{||CellAccumWidthRTF||}{||BodyCellFormatting||}{||BodyCellData||}")},
      {"letter case",
       With(With(With(h, &Templates::table, "{||contenttitle||}{||ContentDescription||}{||contentdescription||}{||Headerrow||}{||bodyrow||}"),
                 &Templates::bodyRow, "<{||BODYCELLDATA||}{||bodycellformatting||}>"),
            &Templates::bodyCellData, "{||body||}{||CELLWIDTHHTML||}{||cellaccumwidthrtf||}")},
      {"no header row in table", With(h, &Templates::table, "<t>{||BodyRow||}</t>")},
      {"no cells in body row", With(h, &Templates::bodyRow, "<tr></tr>")},
      {"no slots at all", With(h, &Templates::table, "just text {||ContentTitle||}")},
      {"all empty", Templates{}},
      {"only rows", Templates{"{||BodyRow||}", "", "", "", "{||BodyCellData||}", "", "{||Body||}"}},
      {"empty body row between halves", With(With(h, &Templates::table, "{||BodyCell{||BodyRow||}Data||}!"), &Templates::bodyRow, "")},
      {"halves meeting at removal", With(h, &Templates::table, "{||BodyCell{||BodyRow||}Data||}{||BodyCellFor{||BodyCellData||}matting||}")},
      {"halves around a cell slot", With(r, &Templates::bodyRow, "{||Body{||BodyCellData||}Row||}")},
  };
}

// Templates in which inserting a row or a cell creates further slots; the literal fill grows
// fast there, so the grids stay small.
std::vector<std::pair<std::string, Templates>> FeedbackTemplates() {
  const Templates h = render_test::PlainHtml();
  const Templates r = render_test::PlainRtf();
  return {
      {"row holds a row slot", With(h, &Templates::bodyRow, "<tr>{||BodyCellData||}{||BodyRow||}</tr>")},
      {"cell holds a cell slot", With(h, &Templates::bodyCellData, "<td>{||Body||}{||BodyCellData||}</td>")},
      {"cell formatting holds a cell data slot", With(r, &Templates::bodyCellFormatting, "\\cellx{||CellAccumWidthRTF||}{||BodyCellData||}")},
      {"cell data holds a formatting slot", With(r, &Templates::bodyCellData, "{||Body||}\\cell{||BodyCellFormatting||}")},
      {"header formatting holds a header data slot",
       With(r, &Templates::headerCellFormatting, "\\cellx{||CellAccumWidthRTF||}{||HeaderCellData||}")},
      {"cell holds a row slot", With(h, &Templates::bodyCellData, "<td>{||Body||}{||BodyRow||}</td>")},
      {"rows join into a row slot", With(h, &Templates::bodyRow, "Row||}<r>{||BodyCellData||}</r>{||Body")},
      {"cells join into a cell slot", With(h, &Templates::bodyCellData, "Data||}{||Body||}{||BodyCell")},
      {"row text and formatting join into a data slot",
       With(With(r, &Templates::bodyRow, "{||BodyCell{||BodyCellFormatting||}|{||BodyCellData||}"), &Templates::bodyCellFormatting, "Data||}")},
      {"table text and first row join", With(With(h, &Templates::table, "{||Body{||BodyRow||}"), &Templates::bodyRow, "Row||}{||BodyCellData||}")},
  };
}

TEST(ReportRenderReference, OddTemplates) {
  unsigned seed = 500;
  for (const auto& [name, t] : OddTemplates()) {
    for (int type : {kReportRtf, kReportHtml}) EXPECT_GT(CompareOn(name, type, t, {5, 12}, 25, seed++), 10) << name;
  }
}

TEST(ReportRenderReference, TemplatesThatFeedBackIntoTheirOwnPart) {
  unsigned seed = 900;
  for (const auto& [name, t] : FeedbackTemplates()) {
    for (int type : {kReportRtf, kReportHtml}) EXPECT_GT(CompareOn(name, type, t, {3, 4}, 25, seed++), 10) << name;
  }
}

// Templates that use every byte value leave nothing to mark data with: the data then takes part
// in the filling like template text, and the output is still the literal fill's.
TEST(ReportRenderReference, TemplatesUsingEveryByte) {
  std::string everyByte;
  for (int b = 1; b < 256; ++b) everyByte += static_cast<char>(b);
  Templates t = render_test::PlainHtml();
  t.table = everyByte + t.table;
  EXPECT_GT(CompareOn("every byte", kReportHtml, t, {5, 12}, 25, 77), 10);
  t = render_test::PlainRtf();
  t.bodyRow += everyByte;
  EXPECT_GT(CompareOn("every byte", kReportRtf, t, {5, 12}, 25, 78), 10);
}

}  // namespace
}  // namespace orlix
