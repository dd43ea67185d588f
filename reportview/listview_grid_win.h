// The Grid over a Win32 ListView in report view, driven through SendMessageA with texts in the
// ANSI code page. The wrapper borrows the window: it never creates or destroys it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/unique_handle_win.h"
#include "reportview/grid.h"

namespace orlix {

// A window handle lent to an object that must not destroy it.
struct BorrowedWindow {
  HWND hwnd = nullptr;
};

class ListViewGrid final : public Grid {
 public:
  // Width of a new column: one inch at 96 DPI.
  static constexpr int kDefaultColumnWidth = 96;

  explicit ListViewGrid(BorrowedWindow listView);
  ListViewGrid(const ListViewGrid&) = delete;
  ListViewGrid& operator=(const ListViewGrid&) = delete;
  ~ListViewGrid() override;

  HWND Window() const { return hwnd_; }

  int ColumnCount() const override;
  // A ListView has no column keys; the wrapper keeps them beside the columns it adds.
  void AddColumn(const std::string& key, const std::string& header) override;
  std::string ColumnKey(int column) const override;
  std::string ColumnHeader(int column) const override;
  double ColumnWidth(int column) const override;
  void SetColumnWidth(int column, double width) override;
  void AutoSizeColumn(int column) override;
  ColumnAlignment GetColumnAlignment(int column) const override;
  // The first column of a ListView is always left-aligned; a request for it is ignored.
  void SetColumnAlignment(int column, ColumnAlignment alignment) override;
  std::vector<int> ColumnOrder() const override;
  void SetColumnOrder(const std::vector<int>& order) override;
  void RemoveAllColumns() override;

  int ItemCount() const override;
  int AddItem(const std::string& text) override;
  void SetSubItem(int item, int subItem, const std::string& text) override;
  // How many sub-items were set on the item, kept in the item's lParam so that it follows
  // the item through any sort.
  int SubItemCount(int item) const override;
  std::string ItemText(int item, int column) const override;
  void RemoveAllItems() override;
  using Grid::AddRow;
  int AddRow(const std::vector<std::string>& texts) override;

  // LockWindowUpdate on the list view. Only one window can be locked at a time: when another
  // window holds the lock, this grid draws on and the other lock is left alone.
  void LockRedraw() override;
  void UnlockRedraw() override;

 private:
  void CheckColumn(int column) const;
  void CheckItem(int item) const;
  LPARAM ItemParam(int item) const;
  void SetItemParam(int item, LPARAM param);

  HWND hwnd_;
  std::vector<std::string> keys_;  // by column index
  int lockDepth_ = 0;
  std::optional<WindowUpdateLock> windowLock_;
  std::optional<WindowRedrawLock> redrawLock_;
};

}  // namespace orlix
