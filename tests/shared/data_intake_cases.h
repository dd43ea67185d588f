// The data intake cases, run on every Grid implementation: each test file instantiates the
// suite with a maker that provides the grid and tells whether its redraw lock is free again.
//
//   struct Maker {
//     Grid& Get();
//     bool RedrawReleased();  // true when no redraw lock of this grid is held
//   };
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/locale_info.h"
#include "base/variant.h"
#include "reportview/grid.h"
#include "reportview/report_view_data.h"

namespace orlix {
namespace intake_cases {

inline const char kMainMask[] = "0=\"ProgID\",1=\"File Path\",2=\"Version\",3=\"Attribute\",4=\"CLSID\"";

// A fields x rows text array whose cell (f, r) is "f/r".
inline Variant TextArray(std::int32_t fields, std::int32_t rows) {
  auto array = std::make_shared<VariantArray>(VariantArray::TwoDimensional(fields, rows));
  for (std::int32_t r = 0; r < rows; ++r)
    for (std::int32_t f = 0; f < fields; ++f) array->At(f, r) = Variant::FromText(std::to_string(f) + "/" + std::to_string(r));
  return Variant::FromArray(array);
}

// One row of text cells.
inline Variant OneRow(const std::vector<std::string>& cells) {
  auto array = std::make_shared<VariantArray>(VariantArray::TwoDimensional(static_cast<std::int32_t>(cells.size()), 1));
  for (std::size_t f = 0; f < cells.size(); ++f) array->At(static_cast<std::int32_t>(f), 0) = Variant::FromText(cells[f]);
  return Variant::FromArray(array);
}

// One field, one row per cell.
inline Variant OneColumn(const std::vector<Variant>& cells) {
  auto array = std::make_shared<VariantArray>(VariantArray::TwoDimensional(2, static_cast<std::int32_t>(cells.size())));
  for (std::size_t r = 0; r < cells.size(); ++r) {
    array->At(0, static_cast<std::int32_t>(r)) = Variant::FromText("row" + std::to_string(r));
    array->At(1, static_cast<std::int32_t>(r)) = cells[r];
  }
  return Variant::FromArray(array);
}

template <typename Maker>
class DataIntake : public ::testing::Test {
 protected:
  Grid& grid() { return maker_.Get(); }
  ReportViewData& view() {
    if (!view_) view_ = std::make_unique<ReportViewData>(maker_.Get(), &EnglishUnitedStates());
    return *view_;
  }
  bool RedrawReleased() { return maker_.RedrawReleased(); }

  std::vector<std::string> Headers() {
    std::vector<std::string> headers;
    for (int c = 0; c < grid().ColumnCount(); ++c) headers.push_back(grid().ColumnHeader(c));
    return headers;
  }

  Maker maker_;
  std::unique_ptr<ReportViewData> view_;
};

TYPED_TEST_SUITE_P(DataIntake);

TYPED_TEST_P(DataIntake, MainProgramMaskThenFewerRowsThenNone) {
  ReportViewData& view = this->view();
  EXPECT_FALSE(view.ViewIsEmpty()) << "false before the first population";
  view.ApplyFieldMask(kMainMask);
  view.StoreDataToShow(TextArray(5, 3));
  view.Generate();
  Grid& grid = this->grid();
  EXPECT_EQ(this->Headers(), (std::vector<std::string>{"ProgID", "File Path", "Version", "Attribute", "CLSID"}));
  EXPECT_EQ(grid.ColumnKey(0), "");
  EXPECT_EQ(grid.ColumnKey(4), "MASK4");
  ASSERT_EQ(grid.ItemCount(), 3);
  EXPECT_EQ(grid.ItemText(2, 0), "0/2");
  EXPECT_EQ(grid.ItemText(1, 3), "3/1");
  EXPECT_EQ(grid.SubItemCount(0), 4);
  EXPECT_FALSE(view.ViewIsEmpty());
  EXPECT_TRUE(this->RedrawReleased());

  // Rows are replaced, not added; the second dimension is the row count.
  view.StoreDataToShow(TextArray(5, 1));
  view.Generate();
  EXPECT_EQ(grid.ItemCount(), 1);
  EXPECT_EQ(grid.ColumnCount(), 5);
  EXPECT_FALSE(view.ViewIsEmpty());
  for (const Variant& none : {TextArray(5, 0), Variant::Null()}) {
    view.StoreDataToShow(none);
    view.Generate();
    EXPECT_EQ(grid.ItemCount(), 0);
    EXPECT_TRUE(view.ViewIsEmpty());
    EXPECT_TRUE(this->RedrawReleased());
  }
}

TYPED_TEST_P(DataIntake, MaskOrderIsColumnOrderAndTextOutsideAsciiSurvives) {
  this->view().ApplyFieldMask("4=\"CLSID\",0=\"Caf\xC3\xA9\"");
  auto array = std::make_shared<VariantArray>(VariantArray::TwoDimensional(5, 2));
  array->At(4, 1) = Variant::FromText("\xC3\xA9t\xC3\xA9");
  array->At(0, 1) = Variant::FromText("na\xC3\xAFve");
  this->view().StoreDataToShow(Variant::FromArray(array));
  this->view().Generate();
  EXPECT_EQ(this->Headers(), (std::vector<std::string>{"CLSID", "Caf\xC3\xA9"}));
  EXPECT_EQ(this->grid().ItemText(1, 0), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(this->grid().ItemText(1, 1), "na\xC3\xAFve");
}

TYPED_TEST_P(DataIntake, NumbersArePaddedAndCentredButNeverTheFirstColumn) {
  this->view().ApplyFieldMask("0=\"F\",1=\"A\",2=\"B\",3=\"C\",4=\"D\",5=\"E\"");
  this->view().StoreDataToShow(OneRow({"12", "12", "12345", "1.5", "12a", "1234"}));
  this->view().Generate();
  const std::pair<const char*, ColumnAlignment> expected[] = {
      {"  12", ColumnAlignment::Left},    {"  12", ColumnAlignment::Centre}, {"12345", ColumnAlignment::Centre},
      {" 1.5", ColumnAlignment::Centre}, {"12a", ColumnAlignment::Left},    {"1234", ColumnAlignment::Centre}};
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(this->grid().ItemText(0, c), expected[c].first) << c;
    EXPECT_EQ(this->grid().GetColumnAlignment(c), expected[c].second) << c;
  }
}

TYPED_TEST_P(DataIntake, CellsOfEveryTypeAndTheLastRowDecidesTheAlignment) {
  this->view().ApplyFieldMask("0=\"Row\",1=\"Value\"{0=\"\",Null=\"(none)\",True=Yes}");
  this->view().StoreDataToShow(OneColumn({Variant::FromInt32(7), Variant::FromText("0"), Variant::Null(),
                                          Variant::FromBool(true), Variant::FromInt16(-12), Variant::FromDouble(0.25)}));
  this->view().Generate();
  Grid& grid = this->grid();
  ASSERT_EQ(grid.ItemCount(), 6);
  const char* shown[] = {"   7", "", "(none)", "Yes", " -12", "0.25"};
  for (int r = 0; r < 6; ++r) EXPECT_EQ(grid.ItemText(r, 1), shown[r]) << r;
  EXPECT_EQ(grid.GetColumnAlignment(1), ColumnAlignment::Centre);

  this->view().StoreDataToShow(OneColumn({Variant::FromText("1"), Variant::FromText("x")}));
  this->view().Generate();
  EXPECT_EQ(grid.GetColumnAlignment(1), ColumnAlignment::Left);
  this->view().StoreDataToShow(OneColumn({Variant::FromText("x"), Variant::FromText("1")}));
  this->view().Generate();
  EXPECT_EQ(grid.GetColumnAlignment(1), ColumnAlignment::Centre);
  EXPECT_EQ(grid.ItemText(1, 1), "   1");
  this->view().StoreDataToShow(OneColumn({Variant::FromText("5"), Variant::FromText("0")}));
  this->view().Generate();  // the cell translated to empty text is last: left
  EXPECT_EQ(grid.GetColumnAlignment(1), ColumnAlignment::Left);
}

TYPED_TEST_P(DataIntake, DataThatIsNoTwoDimensionalArrayFails) {
  ReportViewData& view = this->view();
  view.ApplyFieldMask(kMainMask);
  view.StoreDataToShow(TextArray(5, 2));
  view.Generate();
  for (const Variant& bad : {Variant::FromArray(std::make_shared<VariantArray>(std::vector<VariantArray::Bound>{{0, 4}})),
                             Variant::FromArray(std::make_shared<VariantArray>(
                                 std::vector<VariantArray::Bound>{{0, 4}, {0, 1}, {0, 1}})),
                             Variant::FromText("not an array")}) {
    view.StoreDataToShow(bad);
    EXPECT_THROW(view.Generate(), std::invalid_argument);
    EXPECT_TRUE(this->RedrawReleased());
    EXPECT_EQ(this->grid().ItemCount(), 2) << "the view stays as it was";
    EXPECT_FALSE(view.ViewIsEmpty());
  }
}

TYPED_TEST_P(DataIntake, FieldNumberOutsideTheArrayFails) {
  ReportViewData& view = this->view();
  view.ApplyFieldMask("0=\"A\",4=\"Last\",5=\"Beyond\"");
  view.StoreDataToShow(TextArray(5, 3));
  try {
    view.Generate();
    FAIL() << "field 5 of a five-field array was read";
  } catch (const std::out_of_range& error) {
    EXPECT_NE(std::string(error.what()).find("Beyond"), std::string::npos) << error.what();
  }
  EXPECT_TRUE(this->RedrawReleased());
  EXPECT_FALSE(view.ViewIsEmpty()) << "a failed population decides nothing";

  view.ApplyFieldMask("-1=\"Negative\"");
  EXPECT_THROW(view.Generate(), std::out_of_range);
  view.ApplyFieldMask("0=\"A\",4=\"Last\"");  // the last field is there
  view.Generate();
  EXPECT_EQ(this->grid().ItemText(2, 1), "4/2");
  view.ApplyFieldMask("7=\"Far\"");
  view.StoreDataToShow(TextArray(5, 0));  // no rows: no cell is read, nothing fails
  view.Generate();
  EXPECT_TRUE(view.ViewIsEmpty());
}

TYPED_TEST_P(DataIntake, FailureInTheMiddleKeepsEarlierRowsAndReleasesTheLock) {
  auto array = std::make_shared<VariantArray>(TextArray(2, 6).Array());
  array->At(1, 3) = Variant::FromArray(std::make_shared<VariantArray>(VariantArray::TwoDimensional(1, 1)));
  ReportViewData& view = this->view();
  view.ApplyFieldMask("0=\"Name\",1=\"Number\"");
  view.StoreDataToShow(Variant::FromArray(array));
  EXPECT_THROW(view.Generate(), std::invalid_argument);
  EXPECT_TRUE(this->RedrawReleased());
  ASSERT_EQ(this->grid().ItemCount(), 3);
  EXPECT_EQ(this->grid().ItemText(2, 1), "1/2");
}

TYPED_TEST_P(DataIntake, DuplicateKeysOrAnUnreadableEntryEndTheMask) {
  ReportViewData& view = this->view();
  try {
    view.ApplyFieldMask("1=\"A\",2=\"B\",1=\"Again\",3=\"C\"");
    FAIL() << "two columns took the key MASK1";
  } catch (const std::invalid_argument& error) {
    EXPECT_NE(std::string(error.what()).find("MASK1"), std::string::npos) << error.what();
  }
  EXPECT_EQ(this->Headers(), (std::vector<std::string>{"A", "B"}));
  ASSERT_NE(view.Fields(), nullptr);
  EXPECT_EQ(view.Fields()->Count(), 4u);
  view.ApplyFieldMask("0=\"A\",0=\"B\",-2=\"C\"");  // keys only from field 1 up: no clash
  EXPECT_EQ(this->grid().ColumnCount(), 3);

  view.ApplyFieldMask("1=\"A\",99999999999=\"B\",2=\"C\"");
  ASSERT_EQ(view.Fields()->Count(), 2u) << "the failed entry stays, no phantom entry follows";
  EXPECT_TRUE(view.Fields()->At(1)->ReadFailed());
  EXPECT_EQ(this->grid().ColumnCount(), 2);
  view.ApplyFieldMask("  ");
  EXPECT_EQ(view.Fields()->Count(), 0u);
  EXPECT_EQ(this->grid().ColumnCount(), 0);
}

TYPED_TEST_P(DataIntake, GenerateReadsAStoredMaskOnlyTheFirstTimeAndNotAfterClear) {
  ReportViewData& view = this->view();
  view.StoreFieldMask(kMainMask);
  view.StoreDataToShow(TextArray(5, 2));
  view.Generate();
  EXPECT_EQ(this->grid().ColumnCount(), 5);
  view.ClearView();
  EXPECT_EQ(this->grid().ColumnCount(), 0);
  EXPECT_EQ(this->grid().ItemCount(), 0);
  EXPECT_FALSE(view.ViewIsEmpty()) << "ClearView leaves the state alone";
  EXPECT_EQ(view.FieldMask(), kMainMask);
  EXPECT_THROW(view.Generate(), std::invalid_argument);
  EXPECT_TRUE(this->RedrawReleased());
  view.ApplyFieldMask(kMainMask);
  view.Generate();
  EXPECT_EQ(this->grid().ItemCount(), 2);
}

// Columns are sized only when the array has two fields or more; the layout runs after the
// columns and after the rows, and its errors are ignored.
TYPED_TEST_P(DataIntake, ColumnSizesAndTheLayout) {
  ReportViewData& view = this->view();
  Grid& grid = this->grid();
  int layouts = 0;
  view.SetLayoutHandler([&] {
    ++layouts;
    throw std::runtime_error("no room");
  });
  view.ApplyFieldMask("0=\"Only\"");
  EXPECT_EQ(layouts, 1);
  grid.SetColumnWidth(0, 333);
  view.StoreDataToShow(TextArray(1, 2));
  view.Generate();
  EXPECT_EQ(grid.ColumnWidth(0), 333);

  view.ApplyFieldMask("0=\"Short\",1=\"Long\"");
  grid.SetColumnWidth(0, 333);
  grid.SetColumnWidth(1, 333);
  view.StoreDataToShow(OneRow({"ab", "a much longer text than the other one"}));
  view.Generate();
  EXPECT_NE(grid.ColumnWidth(0), 333);
  EXPECT_GT(grid.ColumnWidth(1), grid.ColumnWidth(0));
  EXPECT_EQ(layouts, 4);
  EXPECT_TRUE(this->RedrawReleased());
}

TYPED_TEST_P(DataIntake, StoredDataIsACopyAndRowsRunFromItsLowerBound) {
  auto array = std::make_shared<VariantArray>(std::vector<VariantArray::Bound>{{0, 1}, {1, 3}});
  for (std::int32_t r = 1; r <= 3; ++r) {
    array->At(0, r) = Variant::FromText("r" + std::to_string(r));
    array->At(1, r) = Variant::FromText("v");
  }
  ReportViewData& view = this->view();
  view.ApplyFieldMask("0=\"A\",1=\"B\"");
  view.StoreDataToShow(Variant::FromArray(array));
  array->At(0, 1) = Variant::FromText("after");
  view.Generate();
  ASSERT_EQ(this->grid().ItemCount(), 3);
  EXPECT_EQ(this->grid().ItemText(0, 0), "r1");
  EXPECT_EQ(this->grid().ItemText(2, 0), "r3");
}

REGISTER_TYPED_TEST_SUITE_P(DataIntake, MainProgramMaskThenFewerRowsThenNone,
                            MaskOrderIsColumnOrderAndTextOutsideAsciiSurvives,
                            NumbersArePaddedAndCentredButNeverTheFirstColumn,
                            CellsOfEveryTypeAndTheLastRowDecidesTheAlignment, DataThatIsNoTwoDimensionalArrayFails,
                            FieldNumberOutsideTheArrayFails, FailureInTheMiddleKeepsEarlierRowsAndReleasesTheLock,
                            DuplicateKeysOrAnUnreadableEntryEndTheMask, GenerateReadsAStoredMaskOnlyTheFirstTimeAndNotAfterClear,
                            ColumnSizesAndTheLayout, StoredDataIsACopyAndRowsRunFromItsLowerBound);

}  // namespace intake_cases
}  // namespace orlix
