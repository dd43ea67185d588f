#include "reportview/listview_grid_win.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "base/text.h"
#include "platform/ansi_win.h"

namespace orlix {

namespace {

// Text for an "A" message: ASCII goes as it is, anything else through the ANSI code page.
class AnsiArgument {
 public:
  explicit AnsiArgument(const std::string& utf8) {
    for (unsigned char c : utf8) {
      if (c >= 0x80) {
        converted_ = Utf8ToAnsi(utf8);
        text_ = converted_.c_str();
        return;
      }
    }
    text_ = utf8.c_str();
  }
  // The messages take a non-const pointer but only read through it.
  LPSTR get() const { return const_cast<LPSTR>(text_); }

 private:
  std::string converted_;
  const char* text_;
};

std::string FromAnsi(const char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) return AnsiToUtf8(std::string(text, length));
  }
  return std::string(text, length);
}

int FormatFor(ColumnAlignment alignment) {
  switch (alignment) {
    case ColumnAlignment::Centre:
      return LVCFMT_CENTER;
    case ColumnAlignment::Right:
      return LVCFMT_RIGHT;
    case ColumnAlignment::Left:
      break;
  }
  return LVCFMT_LEFT;
}

}  // namespace

ListViewGrid::ListViewGrid(BorrowedWindow listView) : hwnd_(listView.hwnd) {
  if (!hwnd_ || !::IsWindow(hwnd_)) throw std::invalid_argument("a list view grid needs a list view window");
  keys_.resize(static_cast<std::size_t>(ColumnCount()));
}

ListViewGrid::~ListViewGrid() {
  if (lockDepth_ > 0) {
    lockDepth_ = 1;
    UnlockRedraw();
  }
}

void ListViewGrid::CheckColumn(int column) const {
  if (column < 0 || column >= ColumnCount())
    throw std::out_of_range("the list view has no column " + std::to_string(column));
}

void ListViewGrid::CheckItem(int item) const {
  if (item < 0 || item >= ItemCount()) throw std::out_of_range("the list view has no item " + std::to_string(item));
}

int ListViewGrid::ColumnCount() const {
  const auto header = reinterpret_cast<HWND>(::SendMessageA(hwnd_, LVM_GETHEADER, 0, 0));
  if (!header) return 0;
  const auto count = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  return count < 0 ? 0 : count;
}

void ListViewGrid::AddColumn(const std::string& key, const std::string& header) {
  const int count = ColumnCount();
  keys_.resize(static_cast<std::size_t>(count));
  if (!key.empty()) {
    for (const std::string& taken : keys_) {
      if (EqualsNoCase(taken, key)) throw std::invalid_argument("the column key '" + key + "' is already in use");
    }
  }
  const AnsiArgument text(header);
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = kDefaultColumnWidth;
  column.pszText = text.get();
  column.iSubItem = count;
  const auto at = ::SendMessageA(hwnd_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&column));
  if (at < 0) throw std::runtime_error("the list view refused the column '" + header + "'");
  keys_.push_back(key);
}

std::string ListViewGrid::ColumnKey(int column) const {
  CheckColumn(column);
  return static_cast<std::size_t>(column) < keys_.size() ? keys_[static_cast<std::size_t>(column)] : std::string();
}

std::string ListViewGrid::ColumnHeader(int column) const {
  CheckColumn(column);
  for (std::size_t size = 256;; size *= 2) {
    std::vector<char> buffer(size, '\0');
    LVCOLUMNA request{};
    request.mask = LVCF_TEXT;
    request.pszText = buffer.data();
    request.cchTextMax = static_cast<int>(size);
    if (!::SendMessageA(hwnd_, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&request)))
      throw std::runtime_error("the list view did not give the header of column " + std::to_string(column));
    // The control may hand back its own buffer instead of filling ours.
    const char* text = request.pszText ? request.pszText : buffer.data();
    const std::size_t length = ::strnlen(text, size);
    if (length + 1 < size || size >= (1u << 20)) return FromAnsi(text, length);
  }
}

double ListViewGrid::ColumnWidth(int column) const {
  CheckColumn(column);
  return static_cast<double>(::SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void ListViewGrid::SetColumnWidth(int column, double width) {
  CheckColumn(column);
  if (!(width >= 0)) throw std::invalid_argument("a column width cannot be negative");
  // Negative widths are the control's auto-size requests, so the value is sent only when valid.
  ::SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(static_cast<int>(std::lround(width)), 0));
}

void ListViewGrid::AutoSizeColumn(int column) {
  CheckColumn(column);
  ::SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(LVSCW_AUTOSIZE, 0));
}

ColumnAlignment ListViewGrid::GetColumnAlignment(int column) const {
  CheckColumn(column);
  LVCOLUMNA request{};
  request.mask = LVCF_FMT;
  if (!::SendMessageA(hwnd_, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&request)))
    throw std::runtime_error("the list view did not give the format of column " + std::to_string(column));
  switch (request.fmt & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_CENTER:
      return ColumnAlignment::Centre;
    case LVCFMT_RIGHT:
      return ColumnAlignment::Right;
    default:
      return ColumnAlignment::Left;
  }
}

void ListViewGrid::SetColumnAlignment(int column, ColumnAlignment alignment) {
  CheckColumn(column);
  if (column == 0) return;
  LVCOLUMNA format{};
  format.mask = LVCF_FMT;
  if (!::SendMessageA(hwnd_, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&format)))
    throw std::runtime_error("the list view did not give the format of column " + std::to_string(column));
  format.fmt = (format.fmt & ~LVCFMT_JUSTIFYMASK) | FormatFor(alignment);
  if (!::SendMessageA(hwnd_, LVM_SETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&format)))
    throw std::runtime_error("the list view refused the alignment of column " + std::to_string(column));
}

std::vector<int> ListViewGrid::ColumnOrder() const {
  const int count = ColumnCount();
  std::vector<int> order(static_cast<std::size_t>(count));
  if (count > 0 &&
      !::SendMessageA(hwnd_, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order.data())))
    throw std::runtime_error("the list view did not give its column order");
  return order;
}

void ListViewGrid::SetColumnOrder(const std::vector<int>& order) {
  const int count = ColumnCount();
  std::vector<bool> seen(static_cast<std::size_t>(count), false);
  bool valid = order.size() == static_cast<std::size_t>(count);
  for (int index : order) {
    if (!valid) break;
    valid = index >= 0 && index < count && !seen[static_cast<std::size_t>(index)];
    if (valid) seen[static_cast<std::size_t>(index)] = true;
  }
  if (!valid)
    throw std::invalid_argument("a column order must name each of the " + std::to_string(count) + " columns once");
  if (count > 0 && !::SendMessageA(hwnd_, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                                   reinterpret_cast<LPARAM>(const_cast<int*>(order.data()))))
    throw std::runtime_error("the list view refused the column order");
}

void ListViewGrid::RemoveAllColumns() {
  for (int column = ColumnCount() - 1; column >= 0; --column)
    ::SendMessageA(hwnd_, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0);
  keys_.clear();
  // The sub-items went with their columns.
  const int items = ItemCount();
  for (int item = 0; item < items; ++item) SetItemParam(item, 0);
}

int ListViewGrid::ItemCount() const { return static_cast<int>(::SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }

int ListViewGrid::AddItem(const std::string& text) { return AddRow({text}); }

int ListViewGrid::AddRow(const std::vector<std::string>& texts) {
  // The columns this wrapper added are enough to know; only a longer row asks the control.
  if (texts.size() > 1 && texts.size() > keys_.size() && texts.size() > static_cast<std::size_t>(ColumnCount()))
    throw std::out_of_range("a row of " + std::to_string(texts.size()) + " texts needs as many columns; the list view has " +
                            std::to_string(ColumnCount()));
  const std::string empty;
  const AnsiArgument first(texts.empty() ? empty : texts[0]);
  LVITEMA row{};
  row.mask = LVIF_TEXT | LVIF_PARAM;
  row.iItem = INT_MAX;  // past the end: appended
  row.pszText = first.get();
  row.lParam = texts.empty() ? 0 : static_cast<LPARAM>(texts.size() - 1);
  const auto item = static_cast<int>(::SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
  if (item < 0) throw std::runtime_error("the list view refused a new item");
  for (std::size_t k = 1; k < texts.size(); ++k) {
    const AnsiArgument text(texts[k]);
    LVITEMA cell{};
    cell.iSubItem = static_cast<int>(k);
    cell.pszText = text.get();
    if (!::SendMessageA(hwnd_, LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell)))
      throw std::runtime_error("the list view refused the text of column " + std::to_string(k) + " of item " +
                               std::to_string(item));
  }
  return item;
}

LPARAM ListViewGrid::ItemParam(int item) const {
  LVITEMA request{};
  request.mask = LVIF_PARAM;
  request.iItem = item;
  if (!::SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request)))
    throw std::runtime_error("the list view did not give item " + std::to_string(item));
  return request.lParam;
}

void ListViewGrid::SetItemParam(int item, LPARAM param) {
  LVITEMA change{};
  change.mask = LVIF_PARAM;
  change.iItem = item;
  change.lParam = param;
  ::SendMessageA(hwnd_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

void ListViewGrid::SetSubItem(int item, int subItem, const std::string& text) {
  CheckItem(item);
  if (subItem < 1 || subItem >= ColumnCount())
    throw std::out_of_range("the list view has no column " + std::to_string(subItem) + " for a sub-item");
  const AnsiArgument ansi(text);
  LVITEMA cell{};
  cell.iSubItem = subItem;
  cell.pszText = ansi.get();
  if (!::SendMessageA(hwnd_, LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell)))
    throw std::runtime_error("the list view refused the text of column " + std::to_string(subItem) + " of item " +
                             std::to_string(item));
  if (ItemParam(item) < subItem) SetItemParam(item, subItem);
}

int ListViewGrid::SubItemCount(int item) const {
  CheckItem(item);
  const LPARAM count = ItemParam(item);
  const int columns = ColumnCount();
  // An item added by other code carries its own lParam: never report more than the columns hold.
  if (count < 0) return 0;
  return count >= columns ? (columns > 0 ? columns - 1 : 0) : static_cast<int>(count);
}

std::string ListViewGrid::ItemText(int item, int column) const {
  CheckItem(item);
  if (column != 0) CheckColumn(column);
  for (std::size_t size = 256;; size *= 2) {
    std::vector<char> buffer(size, '\0');
    LVITEMA request{};
    request.iSubItem = column;
    request.pszText = buffer.data();
    request.cchTextMax = static_cast<int>(size);
    const auto length = static_cast<std::size_t>(
        ::SendMessageA(hwnd_, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request)));
    if (length + 1 < size || size >= (1u << 20)) return FromAnsi(buffer.data(), std::min(length, size - 1));
  }
}

void ListViewGrid::RemoveAllItems() { ::SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0); }

void ListViewGrid::LockRedraw() {
  if (lockDepth_++ != 0) return;
  windowLock_.emplace(hwnd_);
  // The window lock stops painting but not the scroll bar updates of every insert;
  // the control's own redraw switch stops those too.
  redrawLock_.emplace(hwnd_);
}

void ListViewGrid::UnlockRedraw() {
  if (lockDepth_ == 0 || --lockDepth_ != 0) return;
  redrawLock_.reset();
  windowLock_.reset();
}

}  // namespace orlix
