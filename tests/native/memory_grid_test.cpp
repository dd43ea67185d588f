#include "reportview/memory_grid.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace orlix {
namespace {

TEST(MemoryGrid, ColumnKeysAreUniqueWithoutRegardToCaseAndEmptyMeansNone) {
  MemoryGrid grid;
  grid.AddColumn("", "ProgID");
  grid.AddColumn("", "File Path");  // several columns without a key are fine
  grid.AddColumn("MASK3", "Attribute");
  EXPECT_THROW(grid.AddColumn("mask3", "Again"), std::invalid_argument);
  ASSERT_EQ(grid.ColumnCount(), 3);  // the refused column was not added
  EXPECT_EQ(grid.ColumnKey(2), "MASK3");
  EXPECT_EQ(grid.ColumnHeader(1), "File Path");
  EXPECT_EQ(grid.ColumnOrder(), (std::vector<int>{0, 1, 2}));
  EXPECT_THROW(grid.ColumnHeader(3), std::out_of_range);
  EXPECT_THROW(grid.ColumnKey(-1), std::out_of_range);
}

TEST(MemoryGrid, AutoSizeMeasuresTheWidestCellButNotTheHeader) {
  MemoryGrid grid;
  grid.AddColumn("", "A very long header text");
  grid.AddColumn("", "B");
  EXPECT_EQ(grid.ColumnWidth(0), MemoryGrid::kDefaultColumnWidth);
  grid.AddItem("abc");
  grid.AddItem("abcdefgh");
  grid.SetSubItem(0, 1, "caf\xC3\xA9");  // four characters, five bytes
  grid.AutoSizeColumn(0);
  grid.AutoSizeColumn(1);
  EXPECT_EQ(grid.ColumnWidth(0), 8 * 6 + 12);
  EXPECT_EQ(grid.ColumnWidth(1), 4 * 6 + 12);  // the item without sub-item 1 counts as empty

  grid.SetColumnWidth(1, 250);
  EXPECT_EQ(grid.ColumnWidth(1), 250);
  EXPECT_THROW(grid.SetColumnWidth(1, -1), std::invalid_argument);
  EXPECT_EQ(grid.ColumnWidth(1), 250);

  grid.RemoveAllItems();
  grid.AutoSizeColumn(0);
  EXPECT_EQ(grid.ColumnWidth(0), MemoryGrid::kAutoSizePadding);
}

TEST(MemoryGrid, FirstColumnStaysLeftAlignedAndTheOrderIsAPermutation) {
  MemoryGrid grid;
  for (const char* header : {"A", "B", "C"}) grid.AddColumn("", header);
  grid.SetColumnAlignment(0, ColumnAlignment::Centre);
  grid.SetColumnAlignment(1, ColumnAlignment::Right);
  EXPECT_EQ(grid.GetColumnAlignment(0), ColumnAlignment::Left);
  EXPECT_EQ(grid.GetColumnAlignment(1), ColumnAlignment::Right);

  grid.SetColumnOrder({2, 0, 1});
  EXPECT_EQ(grid.ColumnOrder(), (std::vector<int>{2, 0, 1}));
  for (const std::vector<int>& bad : {std::vector<int>{0, 1}, {0, 1, 1}, {0, 1, 3}})
    EXPECT_THROW(grid.SetColumnOrder(bad), std::invalid_argument);
  EXPECT_EQ(grid.ColumnOrder(), (std::vector<int>{2, 0, 1}));
  grid.AddColumn("", "D");  // a new column is shown last
  EXPECT_EQ(grid.ColumnOrder(), (std::vector<int>{2, 0, 1, 3}));
  grid.RemoveAllColumns();
  EXPECT_TRUE(grid.ColumnOrder().empty());
}

TEST(MemoryGrid, SubItemsCountUpToTheHighestOneSetAndGoWithTheirColumns) {
  MemoryGrid grid;
  for (const char* header : {"A", "B", "C"}) grid.AddColumn(header[0] == 'B' ? "k" : "", header);
  EXPECT_EQ(grid.AddItem("one"), 0);
  EXPECT_EQ(grid.AddItem("two"), 1);
  grid.SetSubItem(0, 2, "c");
  EXPECT_EQ(grid.SubItemCount(0), 2);
  EXPECT_EQ(grid.SubItemCount(1), 0);
  EXPECT_EQ(grid.ItemText(0, 1), "");
  EXPECT_EQ(grid.ItemText(0, 2), "c");
  EXPECT_EQ(grid.ItemText(1, 2), "");
  for (const auto& [item, column] : {std::pair{0, 3}, {2, 0}}) EXPECT_THROW(grid.ItemText(item, column), std::out_of_range);
  // Column 0 is the item's text.
  for (const auto& [item, column] : {std::pair{0, 3}, {0, 0}, {5, 1}}) EXPECT_THROW(grid.SetSubItem(item, column, "x"), std::out_of_range);

  // Removing the columns drops the sub-items (Generate after Clear fails here) and frees the keys.
  grid.RemoveAllColumns();
  EXPECT_EQ(grid.ItemCount(), 2);
  EXPECT_EQ(grid.SubItemCount(0), 0);
  EXPECT_EQ(grid.ItemText(0, 0), "one");
  EXPECT_THROW(grid.SetSubItem(0, 1, "x"), std::out_of_range);
  grid.AddColumn("k", "B");
  grid.RemoveAllItems();  // keeps the columns
  EXPECT_EQ(grid.ItemCount(), 0);
  EXPECT_EQ(grid.ColumnCount(), 1);
}

TEST(MemoryGrid, RowsMovedInAndReadInPlace) {
  MemoryGrid grid;
  grid.AddColumn("", "A");
  grid.AddColumn("", "B");
  std::vector<std::string> row = {"first cell, longer than any short string", "b"};
  EXPECT_EQ(grid.AddRow(std::move(row)), 0);
  EXPECT_EQ(grid.AddRow(std::vector<std::string>{}), 1);  // one empty text
  EXPECT_THROW(grid.AddRow(std::vector<std::string>{"a", "b", "c"}), std::out_of_range);
  EXPECT_EQ(grid.ItemCount(), 2);
  std::string scratch = "untouched";
  EXPECT_EQ(grid.ItemTextView(0, 0, scratch), "first cell, longer than any short string");
  EXPECT_EQ(grid.ItemTextView(0, 1, scratch), "b");
  EXPECT_EQ(grid.ItemTextView(1, 1, scratch), "");
  EXPECT_EQ(scratch, "untouched");
  EXPECT_EQ(grid.SubItemCount(1), 0);
  EXPECT_THROW(grid.ItemTextView(2, 0, scratch), std::out_of_range);
  EXPECT_THROW(grid.ItemTextView(0, 2, scratch), std::out_of_range);
  EXPECT_THROW(grid.ItemTextView(0, -1, scratch), std::out_of_range);
  grid.RemoveAllColumns();
  EXPECT_EQ(grid.ItemText(0, 0), "first cell, longer than any short string");
  EXPECT_EQ(grid.SubItemCount(0), 0);
  // Code points, counted a word at a time: continuation bytes at every offset.
  grid.AddColumn("", "A");
  grid.RemoveAllItems();
  grid.AddItem("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x98\x80 abcdefgh\xC3\xA9");  // 16 characters
  grid.AutoSizeColumn(0);
  EXPECT_EQ(grid.ColumnWidth(0), 16 * MemoryGrid::kPixelsPerCharacter + MemoryGrid::kAutoSizePadding);
}

TEST(MemoryGrid, RedrawLockIsCountedAndAnUnpairedReleaseDoesNotUnderflow) {
  MemoryGrid grid;
  { GridRedrawLock lock(grid); }
  EXPECT_FALSE(grid.RedrawLocked());
  grid.UnlockRedraw();
  grid.LockRedraw();
  EXPECT_TRUE(grid.RedrawLocked());
}

}  // namespace
}  // namespace orlix
