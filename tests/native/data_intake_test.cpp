#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <string>
#include <tuple>

#include "reportview/data_file.h"
#include "reportview/memory_grid.h"
#include "reportview/report_view_data.h"
#include "tests/native/test_files.h"
#include "tests/shared/data_intake_cases.h"

namespace orlix {
namespace {

struct MemoryGridMaker {
  Grid& Get() { return grid; }
  bool RedrawReleased() { return !grid.RedrawLocked(); }
  MemoryGrid grid;
};

}  // namespace

namespace intake_cases {
INSTANTIATE_TYPED_TEST_SUITE_P(InMemory, DataIntake, MemoryGridMaker);
}  // namespace intake_cases

namespace {

TEST(PadLeft, PadsShortTextsToTheWidthInCharacters) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"7", 4, "   7"}, {"", 4, "    "}, {"1234", 4, "1234"}, {"12345", 4, "12345"},
      {"\xC3\xA9", 3, "  \xC3\xA9"},  // one character, two bytes
      {"x", 0, "x"}, {"x", -3, "x"}};
  for (const auto& [text, width, padded] : cases) EXPECT_EQ(ReportViewData::PadLeft(text, width), padded) << text;
}

// The grid as the report reads it: columns with widths and alignments, then each row's texts.
std::string DumpGrid(const Grid& grid) {
  std::string dump;
  for (int c = 0; c < grid.ColumnCount(); ++c)
    dump += std::to_string(grid.ColumnWidth(c)) + "/" + std::to_string(static_cast<int>(grid.GetColumnAlignment(c))) + " ";
  for (int r = 0; r < grid.ItemCount(); ++r) {
    dump += "\n";
    for (int c = 0; c <= grid.SubItemCount(r); ++c) dump += grid.ItemText(r, c) + "|";
  }
  return dump;
}

// Rows read one at a time from a file fill the grid as the whole file's array does, and fail
// with the same message.
TEST(ReportViewData, RowsFromAFileFillTheGridAsTheArrayDoes) {
  const std::string file = std::string(ORLIX_TEST_DATA) + "/files/report_bytes.json";
  const testing_support::TempFolder temp;
  const std::string ragged = temp.Write("ragged.csv", "h1,h2\nname,12\nlonger name,abc,extra\n\"\",7\nsolo\n");
  const struct {
    std::string path;
    bool header;
    std::string mask;
  } cases[] = {
      {file, false, "0=\"Name\",1=\"Value\",2=\"Flag\",3=\"Path\",4=\"Note\""},
      {file, false, "4=\"Note\",0=\"Name\",1=\"Value\"[#,##0.00],2=\"Flag\"{True=\"yes\",Null=\"none\"},3=\"Path\""},
      {file, false, "0=\"Name\",0=\"Again\",1=\"Value\""},
      {ragged, true, "1=\"Size\",0=\"Name\",2=\"More\""},
      {ragged, true, "0=\"Name\",3=\"Beyond\""},
  };
  for (const auto& c : cases) {
    MemoryGrid whole, rows;
    std::string wholeError = "none", rowsError = "none";
    try {
      ReportViewData view(whole, &EnglishUnitedStates());
      view.ApplyFieldMask(c.mask);
      view.TakeDataToShow(ReadDataFile(c.path, c.header));
      view.GenerateFromTakenData();
    } catch (const std::exception& e) {
      wholeError = e.what();
    }
    try {
      ReportViewData view(rows, &EnglishUnitedStates());
      view.ApplyFieldMask(c.mask);
      view.GenerateFromRows([&](const DataRowSink& sink) { return ReadDataFileRows(c.path, c.header, sink); });
      EXPECT_TRUE(view.DataToShow().IsEmpty());
    } catch (const std::exception& e) {
      rowsError = e.what();
    }
    EXPECT_EQ(rowsError, wholeError) << c.mask;
    if (wholeError == "none") {
      EXPECT_EQ(DumpGrid(rows), DumpGrid(whole)) << c.mask;
    }
  }
}

TEST(ReportViewData, TheMaskIsParsedOnlyByAssignmentOrTheFirstGenerate) {
  MemoryGrid grid;
  ReportViewData view(grid, &EnglishUnitedStates());
  view.StoreFieldMask("0=\"A\",1=\"B\"");
  EXPECT_EQ(view.Fields(), nullptr) << "storing the mask reads nothing";
  view.BuildColumns();  // without a field list: no columns, no failure
  EXPECT_EQ(grid.ColumnCount(), 0);
  view.StoreDataToShow(intake_cases::TextArray(2, 1));
  view.Generate();
  const auto fields = view.Fields();
  ASSERT_NE(fields, nullptr);
  view.StoreFieldMask("0=\"Other\"");  // stored without assignment: Generate keeps the old list
  view.Generate();
  EXPECT_EQ(view.Fields(), fields);
  EXPECT_EQ(grid.ColumnHeader(0), "A");
  EXPECT_EQ(grid.ItemText(0, 1), "1/0");
}

TEST(ReportViewData, TakenDataMovesIntoTheGridOnlyWhenNothingElseReadsIt) {
  VariantArray data = VariantArray::TwoDimensional(3, 3);
  for (std::int32_t r = 0; r < 3; ++r) {
    data.At(0, r) = Variant::FromText("a long text of row " + std::to_string(r) + " that is no short string");
    data.At(1, r) = Variant::FromText(r == 1 ? "12" : "another long text, row " + std::to_string(r));
    data.At(2, r) = r == 2 ? Variant::Null() : Variant::FromInt32(r);
  }
  // Field 0 is shown twice, so its texts stay; the others may move.
  const std::string mask = "0=\"A\",1=\"B\",2=\"C\",0=\"Again\"";
  MemoryGrid expected, moved, shared;
  ReportViewData reference(expected, &EnglishUnitedStates());
  reference.ApplyFieldMask(mask);
  reference.StoreDataToShow(Variant::FromArray(std::make_shared<const VariantArray>(data)));
  reference.Generate();
  ReportViewData view(moved, &EnglishUnitedStates());
  view.ApplyFieldMask(mask);
  view.TakeDataToShow(VariantArray(data));
  view.GenerateFromTakenData();
  EXPECT_EQ(DumpGrid(moved), DumpGrid(expected));
  EXPECT_TRUE(view.DataToShow().IsEmpty());
  // Data that someone else still holds is generated from and kept.
  ReportViewData sharing(shared, &EnglishUnitedStates());
  sharing.ApplyFieldMask(mask);
  sharing.TakeDataToShow(VariantArray(data));
  const Variant held = sharing.DataToShow();
  sharing.GenerateFromTakenData();
  EXPECT_EQ(DumpGrid(shared), DumpGrid(expected));
  EXPECT_EQ(held.Array().At(1, 0).Text(), "another long text, row 0");
}

TEST(ReportViewData, PopulationHoldsOneRedrawLockForTheWholeRun) {
  MemoryGrid grid;
  ReportViewData view(grid, &EnglishUnitedStates());
  bool lockedDuringLayout = false;
  view.SetLayoutHandler([&] { lockedDuringLayout = grid.RedrawLocked(); });
  view.ApplyFieldMask("0=\"A\",1=\"B\"");
  EXPECT_EQ(grid.LockCount(), 0) << "building columns does not lock";
  view.StoreDataToShow(intake_cases::TextArray(2, 50));
  view.Generate();
  EXPECT_EQ(grid.LockCount(), 1);
  EXPECT_TRUE(lockedDuringLayout) << "the layout runs before the lock is released";
  EXPECT_FALSE(grid.RedrawLocked());
}

TEST(ReportViewData, SingleEntryStillFillsRowsAfterClear) {
  MemoryGrid grid;
  ReportViewData view(grid, &EnglishUnitedStates());
  view.ApplyFieldMask("0=\"A\"");
  view.StoreDataToShow(intake_cases::TextArray(1, 2));
  view.ClearView();
  view.Generate();  // the item's own text needs no column
  EXPECT_EQ(grid.ItemCount(), 2);
  EXPECT_EQ(grid.ItemText(1, 0), "0/1");
}

// Columns fit their widest cell; the text after translation decides the alignment.
TEST(ReportViewData, AutoSizeAndAlignmentFollowTheShownText) {
  MemoryGrid grid;
  ReportViewData view(grid, &EnglishUnitedStates());
  view.ApplyFieldMask("0=\"A\",1=\"B\"{1=\"long text\",2=\"22\"}");
  view.StoreDataToShow(intake_cases::OneColumn({Variant::FromText("2"), Variant::FromText("1")}));
  view.Generate();
  EXPECT_EQ(grid.ItemText(0, 1), "  22");
  EXPECT_EQ(grid.ItemText(1, 1), "long text");
  EXPECT_EQ(grid.GetColumnAlignment(1), ColumnAlignment::Left);
  EXPECT_EQ(grid.ColumnWidth(0), MemoryGrid::MeasureText("row1"));
  EXPECT_EQ(grid.ColumnWidth(1), MemoryGrid::MeasureText("long text"));
}

}  // namespace
}  // namespace orlix
