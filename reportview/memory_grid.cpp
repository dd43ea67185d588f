#include "reportview/memory_grid.h"

#include <algorithm>
#include <stdexcept>

#include "base/text.h"
#include "base/word_scan.h"

namespace orlix {

namespace {

// Continuation bytes (10xxxxxx) belong to the character before; counted a word at a time.
std::size_t CountCodePoints(const std::string& text) {
  const auto continuations = [](std::uint64_t word) -> std::size_t {
    if ((word & wordscan::kHighs) == 0) return 0;  // ASCII
    // Bit 7 set and bit 6 clear, moved to the low bit of each byte, then summed.
    const std::uint64_t marks = ((word & ~(word << 1)) >> 7) & wordscan::kOnes;
    return static_cast<std::size_t>((marks * wordscan::kOnes) >> 56);
  };
  const char* p = text.data();
  const char* const end = p + text.size();
  std::size_t count = text.size();
  for (; end - p >= 8; p += 8) count -= continuations(wordscan::Load(p));
  if (p < end) count -= continuations(wordscan::LoadPartial(p, static_cast<std::size_t>(end - p)));
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
    if (static_cast<std::size_t>(column) < item.texts.size())
      widest = std::max(widest, CountCodePoints(item.texts[static_cast<std::size_t>(column)]));
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
  for (Item& item : items_) item.texts.resize(1);
}

int MemoryGrid::ItemCount() const { return static_cast<int>(items_.size()); }

int MemoryGrid::AddItem(const std::string& text) {
  // Sub-items usually follow, one per column: room for them from the start.
  Item item;
  item.texts.reserve(columns_.size() > 1 ? columns_.size() : 1);
  item.texts.push_back(text);
  items_.push_back(std::move(item));
  return ItemCount() - 1;
}

void MemoryGrid::CheckRow(const std::vector<std::string>& texts) const {
  if (texts.size() > 1 && texts.size() > columns_.size())
    throw std::out_of_range("a row of " + std::to_string(texts.size()) + " texts needs as many columns; the grid has " +
                            std::to_string(ColumnCount()));
}

int MemoryGrid::AddRow(const std::vector<std::string>& texts) {
  CheckRow(texts);
  items_.push_back(Item{texts.empty() ? std::vector<std::string>(1) : texts});
  return ItemCount() - 1;
}

int MemoryGrid::AddRow(std::vector<std::string>&& texts) {
  CheckRow(texts);
  if (texts.empty()) texts.resize(1);
  items_.push_back(Item{std::move(texts)});
  return ItemCount() - 1;
}

void MemoryGrid::SetSubItem(int item, int subItem, const std::string& text) {
  ItemAt(item);
  if (subItem < 1 || subItem >= ColumnCount())
    throw std::out_of_range("the grid has no column " + std::to_string(subItem) + " for a sub-item");
  std::vector<std::string>& texts = items_[static_cast<std::size_t>(item)].texts;
  const auto k = static_cast<std::size_t>(subItem);
  if (texts.size() <= k) texts.resize(k + 1);
  texts[k] = text;
}

int MemoryGrid::SubItemCount(int item) const { return static_cast<int>(ItemAt(item).texts.size()) - 1; }

std::string MemoryGrid::ItemText(int item, int column) const {
  std::string scratch;
  return std::string(ItemTextView(item, column, scratch));
}

std::string_view MemoryGrid::ItemTextView(int item, int column, std::string&) const {
  // Read once per cell of a report: the checks of ItemAt and ColumnAt, failing only here.
  if (item < 0 || static_cast<std::size_t>(item) >= items_.size()) ItemAt(item);
  if (column != 0 && (column < 0 || static_cast<std::size_t>(column) >= columns_.size())) ColumnAt(column);
  const Item& it = items_[static_cast<std::size_t>(item)];
  if (static_cast<std::size_t>(column) >= it.texts.size()) return std::string_view();
  return it.texts[static_cast<std::size_t>(column)];
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
