#include "reportview/memory_grid.h"

#include <algorithm>
#include <stdexcept>

#include "base/text.h"

namespace orlix {

namespace {

std::size_t CountCodePoints(const std::string& text) {
  std::size_t count = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++count;  // continuation bytes belong to the character before
  }
  return count;
}

}  // namespace

double MemoryGrid::MeasureText(const std::string& text) {
  return static_cast<double>(CountCodePoints(text)) * kPixelsPerCharacter + kAutoSizePadding;
}

const MemoryGrid::Column& MemoryGrid::ColumnAt(int column) const {
  if (column < 0 || column >= ColumnCount())
    throw std::out_of_range("the grid has no column " + std::to_string(column));
  return columns_[static_cast<std::size_t>(column)];
}

MemoryGrid::Column& MemoryGrid::ColumnAt(int column) {
  return const_cast<Column&>(static_cast<const MemoryGrid&>(*this).ColumnAt(column));
}

const MemoryGrid::Item& MemoryGrid::ItemAt(int item) const {
  if (item < 0 || item >= ItemCount()) throw std::out_of_range("the grid has no item " + std::to_string(item));
  return items_[static_cast<std::size_t>(item)];
}

int MemoryGrid::ColumnCount() const { return static_cast<int>(columns_.size()); }

void MemoryGrid::AddColumn(const std::string& key, const std::string& header) {
  if (!key.empty()) {
    for (const Column& c : columns_) {
      if (EqualsNoCase(c.key, key))
        throw std::invalid_argument("the column key '" + key + "' is already in use");
    }
  }
  columns_.push_back(Column{key, header});
  order_.push_back(ColumnCount() - 1);
}

std::string MemoryGrid::ColumnKey(int column) const { return ColumnAt(column).key; }

std::string MemoryGrid::ColumnHeader(int column) const { return ColumnAt(column).header; }

double MemoryGrid::ColumnWidth(int column) const { return ColumnAt(column).width; }

void MemoryGrid::SetColumnWidth(int column, double width) {
  if (!(width >= 0)) throw std::invalid_argument("a column width cannot be negative");
  ColumnAt(column).width = width;
}

void MemoryGrid::AutoSizeColumn(int column) {
  Column& c = ColumnAt(column);
  std::size_t widest = 0;
  for (const Item& item : items_) {
    const std::string* text = nullptr;
    if (column == 0) {
      text = &item.text;
    } else if (static_cast<std::size_t>(column) <= item.subItems.size()) {
      text = &item.subItems[static_cast<std::size_t>(column) - 1];
    }
    if (text) widest = std::max(widest, CountCodePoints(*text));
  }
  c.width = static_cast<double>(widest) * kPixelsPerCharacter + kAutoSizePadding;
}

ColumnAlignment MemoryGrid::GetColumnAlignment(int column) const { return ColumnAt(column).alignment; }

void MemoryGrid::SetColumnAlignment(int column, ColumnAlignment alignment) {
  Column& c = ColumnAt(column);
  if (column != 0) c.alignment = alignment;
}

std::vector<int> MemoryGrid::ColumnOrder() const { return order_; }

void MemoryGrid::SetColumnOrder(const std::vector<int>& order) {
  if (order.size() != columns_.size())
    throw std::invalid_argument("a column order must name each of the " + std::to_string(columns_.size()) +
                                " columns once");
  std::vector<bool> seen(columns_.size(), false);
  for (int index : order) {
    if (index < 0 || index >= ColumnCount() || seen[static_cast<std::size_t>(index)])
      throw std::invalid_argument("a column order must name each column once");
    seen[static_cast<std::size_t>(index)] = true;
  }
  order_ = order;
}

void MemoryGrid::RemoveAllColumns() {
  columns_.clear();
  order_.clear();
  for (Item& item : items_) item.subItems.clear();
}

int MemoryGrid::ItemCount() const { return static_cast<int>(items_.size()); }

int MemoryGrid::AddItem(const std::string& text) {
  items_.push_back(Item{text, {}});
  return ItemCount() - 1;
}

void MemoryGrid::SetSubItem(int item, int subItem, const std::string& text) {
  ItemAt(item);
  if (subItem < 1 || subItem >= ColumnCount())
    throw std::out_of_range("the grid has no column " + std::to_string(subItem) + " for a sub-item");
  std::vector<std::string>& subItems = items_[static_cast<std::size_t>(item)].subItems;
  if (subItems.size() < static_cast<std::size_t>(subItem)) subItems.resize(static_cast<std::size_t>(subItem));
  subItems[static_cast<std::size_t>(subItem) - 1] = text;
}

int MemoryGrid::SubItemCount(int item) const { return static_cast<int>(ItemAt(item).subItems.size()); }

std::string MemoryGrid::ItemText(int item, int column) const {
  const Item& it = ItemAt(item);
  if (column == 0) return it.text;
  ColumnAt(column);
  if (static_cast<std::size_t>(column) > it.subItems.size()) return std::string();
  return it.subItems[static_cast<std::size_t>(column) - 1];
}

void MemoryGrid::RemoveAllItems() { items_.clear(); }

void MemoryGrid::LockRedraw() {
  ++lockDepth_;
  ++lockCount_;
}

void MemoryGrid::UnlockRedraw() {
  if (lockDepth_ > 0) --lockDepth_;
}

}  // namespace orlix
