// A grid held in memory: the same behaviour as the ListView in report view, without a window.
// Used by the console tool, by the report renderer's tests and wherever no window exists.
#pragma once

#include <string>
#include <vector>

#include "reportview/grid.h"

namespace orlix {

class MemoryGrid final : public Grid {
 public:
  // Width of a new column; the ListView's default of one inch at 96 DPI.
  static constexpr double kDefaultColumnWidth = 96;
  // AutoSizeColumn's deterministic stand-in for text measurement: characters (code points) of
  // the widest cell times kPixelsPerCharacter, plus kAutoSizePadding.
  static constexpr double kPixelsPerCharacter = 6;
  static constexpr double kAutoSizePadding = 12;

  int ColumnCount() const override;
  void AddColumn(const std::string& key, const std::string& header) override;
  std::string ColumnKey(int column) const override;
  std::string ColumnHeader(int column) const override;
  double ColumnWidth(int column) const override;
  void SetColumnWidth(int column, double width) override;
  // Fits the column to its widest cell text (the header is not measured, as with LVSCW_AUTOSIZE).
  void AutoSizeColumn(int column) override;
  ColumnAlignment GetColumnAlignment(int column) const override;
  // The first column stays left-aligned, as in a ListView.
  void SetColumnAlignment(int column, ColumnAlignment alignment) override;
  std::vector<int> ColumnOrder() const override;
  // `order` must name every column once; otherwise std::invalid_argument and nothing changes.
  void SetColumnOrder(const std::vector<int>& order) override;
  // Removes the columns; items keep their own text and lose their sub-items.
  void RemoveAllColumns() override;

  int ItemCount() const override;
  int AddItem(const std::string& text) override;
  // Setting sub-item k gives the item k sub-items at least (the ones between read as empty).
  void SetSubItem(int item, int subItem, const std::string& text) override;
  int SubItemCount(int item) const override;
  // Empty text for a column the item has no sub-item for; std::out_of_range for a column or
  // item the grid does not have.
  std::string ItemText(int item, int column) const override;
  std::string_view ItemTextView(int item, int column, std::string& scratch) const override;
  void RemoveAllItems() override;
  int AddRow(const std::vector<std::string>& texts) override;
  int AddRow(std::vector<std::string>&& texts) override;

  // Not nested in a ListView (one window at a time); counted here so that tests can see that
  // every lock was released.
  void LockRedraw() override;
  void UnlockRedraw() override;
  bool RedrawLocked() const { return lockDepth_ > 0; }
  int LockCount() const { return lockCount_; }

  // Width in pixels that AutoSizeColumn gives a text.
  static double MeasureText(const std::string& text);

 private:
  struct Column {
    std::string key;
    std::string header;
    double width = kDefaultColumnWidth;
    ColumnAlignment alignment = ColumnAlignment::Left;
  };
  struct Item {
    std::vector<std::string> texts;  // texts[0] is the item's own text, texts[k] sub-item k
  };

  const Column& ColumnAt(int column) const;
  Column& ColumnAt(int column);
  const Item& ItemAt(int item) const;
  // Checks a row of texts as Grid::AddRow does; the empty row stands for one empty text.
  void CheckRow(const std::vector<std::string>& texts) const;

  std::vector<Column> columns_;
  std::vector<int> order_;
  std::vector<Item> items_;
  int lockDepth_ = 0;
  int lockCount_ = 0;
};

}  // namespace orlix
