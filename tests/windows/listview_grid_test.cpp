// The ListView wrapper read back through the control's own messages.
#include "reportview/listview_grid_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "reportview/report_view_data.h"
#include "tests/shared/listview_window_win.h"

namespace orlix {
namespace {

class ListViewGridTest : public ::testing::Test {
 protected:
  TestListViewWindow window;
  ListViewGrid grid{BorrowedWindow{window.List()}};
};

// Orders items by their own text, as a column click does.
int CALLBACK CompareItemTexts(LPARAM first, LPARAM second, LPARAM list) {
  char a[64] = {}, b[64] = {};
  ListView_GetItemText(reinterpret_cast<HWND>(list), static_cast<int>(first), 0, a, sizeof a);
  ListView_GetItemText(reinterpret_cast<HWND>(list), static_cast<int>(second), 0, b, sizeof b);
  return lstrcmpA(a, b);
}

Variant Rows(int fields, int rows, const std::function<std::string(int, int)>& cell) {
  auto array = std::make_shared<VariantArray>(VariantArray::TwoDimensional(fields, rows));
  for (int r = 0; r < rows; ++r)
    for (int f = 0; f < fields; ++f) array->At(f, r) = Variant::FromText(cell(f, r));
  return Variant::FromArray(array);
}

TEST_F(ListViewGridTest, PopulationIsWhatTheControlShows) {
  ReportViewData view(grid, &EnglishUnitedStates());
  view.ApplyFieldMask("0=\"ProgID\",1=\"Count\",2=\"Note\"");
  view.StoreDataToShow(Rows(3, 3, [](int f, int r) {
    if (f == 0) return "Orlix.Object." + std::to_string(r);
    if (f == 1) return std::to_string(r * 7);
    return std::string("text");
  }));
  view.Generate();
  ASSERT_EQ(window.RawColumnCount(), 3);
  ASSERT_EQ(window.RawItemCount(), 3);
  EXPECT_EQ(window.RawHeader(0), "ProgID");
  EXPECT_EQ(window.RawHeader(1), "Count");
  EXPECT_EQ(window.RawItemText(2, 0), "Orlix.Object.2");
  EXPECT_EQ(window.RawItemText(2, 1), "  14");
  EXPECT_EQ(window.RawItemText(1, 1), "   7");
  EXPECT_EQ(window.RawItemText(0, 2), "text");
  EXPECT_EQ(window.RawFormat(0), LVCFMT_LEFT);
  EXPECT_EQ(window.RawFormat(1), LVCFMT_CENTER);
  EXPECT_EQ(window.RawFormat(2), LVCFMT_LEFT);
  EXPECT_EQ(grid.ColumnKey(1), "MASK1");
  EXPECT_EQ(grid.ColumnKey(2), "MASK2");
}

TEST_F(ListViewGridTest, TextsCrossTheBoundaryInTheAnsiCodePage) {
  grid.AddColumn("", "Caf\xC3\xA9");
  grid.AddColumn("", "Euro");
  grid.AddRow({"na\xC3\xAFve", "\xE2\x82\xAC 5"});
  EXPECT_EQ(window.RawHeader(0), "Caf\xE9");
  EXPECT_EQ(window.RawItemText(0, 0), "na\xEFve");
  EXPECT_EQ(window.RawItemText(0, 1), "\x80 5");
  EXPECT_EQ(grid.ItemText(0, 1), "\xE2\x82\xAC 5");
}

TEST_F(ListViewGridTest, LongTextsAreReadInFull) {
  const std::string header(700, 'h');
  const std::string text(3000, 't');
  grid.AddColumn("", header);
  grid.AddColumn("", "B");
  grid.AddRow({text, text + "x"});
  EXPECT_EQ(grid.ColumnHeader(0), header);
  EXPECT_EQ(grid.ItemText(0, 0), text);
  EXPECT_EQ(grid.ItemText(0, 1), text + "x");
}

TEST_F(ListViewGridTest, AutoSizeFitsTheContents) {
  grid.AddColumn("", "A");
  grid.AddColumn("", "B");
  grid.AddRow({"i", "a text much wider than a single letter"});
  grid.SetColumnWidth(0, 300);
  EXPECT_EQ(grid.ColumnWidth(0), 300);
  grid.AutoSizeColumn(0);
  grid.AutoSizeColumn(1);
  EXPECT_LT(grid.ColumnWidth(0), 300);
  EXPECT_GT(grid.ColumnWidth(1), grid.ColumnWidth(0));
  EXPECT_THROW(grid.SetColumnWidth(0, -1), std::invalid_argument);  // not an auto-size request
  EXPECT_EQ(grid.ColumnWidth(0), grid.ColumnWidth(0));
}

TEST_F(ListViewGridTest, ColumnOrderIsTheControlsOwn) {
  for (const char* name : {"A", "B", "C"}) grid.AddColumn("", name);
  int order[3] = {2, 0, 1};
  ASSERT_TRUE(::SendMessageA(window.List(), LVM_SETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order)));
  EXPECT_EQ(grid.ColumnOrder(), (std::vector<int>{2, 0, 1}));
  grid.SetColumnOrder({1, 2, 0});
  int read[3] = {};
  ::SendMessageA(window.List(), LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(read));
  EXPECT_EQ(read[0], 1);
  EXPECT_EQ(read[2], 0);
  EXPECT_THROW(grid.SetColumnOrder({0, 0, 1}), std::invalid_argument);
}

TEST_F(ListViewGridTest, KeysAreKeptByTheWrapper) {
  grid.AddColumn("MASK1", "A");
  grid.AddColumn("", "B");
  EXPECT_THROW(grid.AddColumn("Mask1", "C"), std::invalid_argument);
  EXPECT_EQ(window.RawColumnCount(), 2);
  grid.RemoveAllColumns();
  EXPECT_EQ(window.RawColumnCount(), 0);
  grid.AddColumn("MASK1", "A");  // free again
  EXPECT_EQ(grid.ColumnKey(0), "MASK1");
}

TEST_F(ListViewGridTest, SubItemCountFollowsTheItemThroughASort) {
  grid.AddColumn("", "A");
  grid.AddColumn("", "B");
  grid.AddColumn("", "C");
  grid.AddItem("b");
  grid.SetSubItem(0, 1, "x");
  grid.AddRow({"a", "y", "z"});
  ASSERT_EQ(grid.SubItemCount(0), 1);
  ASSERT_EQ(grid.SubItemCount(1), 2);
  ASSERT_TRUE(::SendMessageA(window.List(), LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(window.List()),
                             reinterpret_cast<LPARAM>(&CompareItemTexts)));
  EXPECT_EQ(grid.ItemText(0, 0), "a");
  EXPECT_EQ(grid.SubItemCount(0), 2);
  EXPECT_EQ(grid.SubItemCount(1), 1);
  EXPECT_THROW(grid.SetSubItem(0, 3, "no column"), std::out_of_range);
  EXPECT_THROW(grid.AddRow({"1", "2", "3", "4"}), std::out_of_range);
  EXPECT_EQ(window.RawItemCount(), 2) << "a refused row adds nothing";
}

TEST_F(ListViewGridTest, FailureAtRowThreeLeavesTheWindowDrawing) {
  auto array = std::make_shared<VariantArray>(VariantArray::TwoDimensional(2, 5));
  for (int r = 0; r < 5; ++r) {
    array->At(0, r) = Variant::FromText("row" + std::to_string(r));
    array->At(1, r) = Variant::FromInt32(r);
  }
  array->At(1, 3) = Variant::FromArray(std::make_shared<VariantArray>(VariantArray::TwoDimensional(1, 1)));
  ReportViewData view(grid, &EnglishUnitedStates());
  view.ApplyFieldMask("0=\"Name\",1=\"Number\"");
  view.StoreDataToShow(Variant::FromArray(array));
  EXPECT_THROW(view.Generate(), std::invalid_argument);
  EXPECT_EQ(window.RawItemCount(), 3);
  EXPECT_EQ(window.RawItemText(2, 1), "   2");
  EXPECT_TRUE(window.RedrawReleased());
  EXPECT_TRUE(::IsWindowVisible(window.List())) << "the redraw switch is back on";
  // And the list view itself takes the lock again.
  EXPECT_TRUE(::LockWindowUpdate(window.List()));
  ::LockWindowUpdate(nullptr);
}

TEST_F(ListViewGridTest, ALockHeldElsewhereIsNeitherStolenNorReleased) {
  ASSERT_TRUE(::LockWindowUpdate(window.Other()));
  grid.LockRedraw();
  grid.UnlockRedraw();
  EXPECT_FALSE(::LockWindowUpdate(window.Top())) << "the other window's lock was released by the grid";
  ::LockWindowUpdate(nullptr);

  {
    GridRedrawLock outer(grid);
    EXPECT_FALSE(window.RedrawReleased());
    {
      GridRedrawLock inner(grid);  // nested: one lock for both
    }
    EXPECT_FALSE(window.RedrawReleased());
  }
  EXPECT_TRUE(window.RedrawReleased());
}

TEST_F(ListViewGridTest, TheWrapperDoesNotOwnTheWindow) {
  {
    ListViewGrid second{BorrowedWindow{window.List()}};
    second.AddColumn("", "A");
  }
  EXPECT_TRUE(::IsWindow(window.List()));
  EXPECT_EQ(grid.ColumnCount(), 1) << "a second wrapper sees the columns of the first";
  EXPECT_EQ(grid.ColumnKey(0), "");
  EXPECT_THROW(ListViewGrid(BorrowedWindow{nullptr}), std::invalid_argument);
}

}  // namespace
}  // namespace orlix
