// The grid seam: columns and rows as the population logic and the report renderer see them.
// Implemented by the Win32 ListView in report view and by an in-memory table.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orlix {

enum class ColumnAlignment { Left, Right, Centre };

class Grid {
 public:
  virtual ~Grid() = default;

  // Columns, by index from 0 in the order they were added.
  virtual int ColumnCount() const = 0;
  // Adds a column at the end; an empty key means no key. A key already taken (compared without
  // regard to case) throws std::invalid_argument and adds nothing.
  virtual void AddColumn(const std::string& key, const std::string& header) = 0;
  virtual std::string ColumnKey(int column) const = 0;
  virtual std::string ColumnHeader(int column) const = 0;
  // Width in the grid's own unit (pixels for the ListView), the same unit for every column.
  virtual double ColumnWidth(int column) const = 0;
  virtual void SetColumnWidth(int column, double width) = 0;
  // Fits the column to its widest text (LVSCW_AUTOSIZE on the ListView).
  virtual void AutoSizeColumn(int column) = 0;
  virtual ColumnAlignment GetColumnAlignment(int column) const = 0;
  virtual void SetColumnAlignment(int column, ColumnAlignment alignment) = 0;
  // For each display position, the index of the column shown there.
  virtual std::vector<int> ColumnOrder() const = 0;
  virtual void SetColumnOrder(const std::vector<int>& order) = 0;
  virtual void RemoveAllColumns() = 0;

  // Rows (items), by index from 0 in list order.
  virtual int ItemCount() const = 0;
  // Appends an item whose text is column 0; returns its index.
  virtual int AddItem(const std::string& text) = 0;
  // Sets the text of column `subItem` (1 or more) of an item; throws std::out_of_range when the
  // grid has no such column.
  virtual void SetSubItem(int item, int subItem, const std::string& text) = 0;
  // Number of sub-items the item carries (columns after the first that belong to it).
  virtual int SubItemCount(int item) const = 0;
  // Text of column `column` of an item (0 is the item's own text).
  virtual std::string ItemText(int item, int column) const = 0;
  // The same text without a copy where the grid holds it; otherwise it is put into `scratch`.
  // The view lasts until the grid or `scratch` changes.
  virtual std::string_view ItemTextView(int item, int column, std::string& scratch) const {
    scratch = ItemText(item, column);
    return scratch;
  }
  virtual void RemoveAllItems() = 0;
  // Appends an item with `texts[0]` as its text and `texts[k]` as sub-item k; returns its index.
  // When the grid has fewer columns than the row needs, throws std::out_of_range and adds nothing.
  // One call per row lets a grid fill the row in one go.
  virtual int AddRow(const std::vector<std::string>& texts) {
    if (texts.size() > 1 && texts.size() > static_cast<std::size_t>(ColumnCount()))
      throw std::out_of_range("a row of " + std::to_string(texts.size()) + " texts needs as many columns; the grid has " +
                              std::to_string(ColumnCount()));
    const int item = AddItem(texts.empty() ? std::string() : texts[0]);
    for (std::size_t k = 1; k < texts.size(); ++k) SetSubItem(item, static_cast<int>(k), texts[k]);
    return item;
  }
  // Same, for texts the grid may keep: a grid that stores them moves them in.
  virtual int AddRow(std::vector<std::string>&& texts) { return AddRow(static_cast<const std::vector<std::string>&>(texts)); }

  // Redraw lock around bulk changes (LockWindowUpdate on the ListView); Unlock must follow Lock
  // on every path, so callers use GridRedrawLock.
  virtual void LockRedraw() = 0;
  virtual void UnlockRedraw() = 0;
};

// Holds a grid's redraw lock for a scope.
class GridRedrawLock {
 public:
  explicit GridRedrawLock(Grid& grid) : grid_(grid) { grid_.LockRedraw(); }
  ~GridRedrawLock() { grid_.UnlockRedraw(); }
  GridRedrawLock(const GridRedrawLock&) = delete;
  GridRedrawLock& operator=(const GridRedrawLock&) = delete;

 private:
  Grid& grid_;
};

}  // namespace orlix
