#include "reportview/grid_rows.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"

namespace orlix {

void SortGridRows(Grid& grid, int column, bool descending) {
  struct Row {
    std::string key;
    std::vector<std::string> texts;
  };
  std::vector<Row> rows;
  rows.reserve(static_cast<std::size_t>(grid.ItemCount()));
  for (int item = 0; item < grid.ItemCount(); ++item) {
    Row row;
    const int cells = grid.SubItemCount(item) + 1;
    for (int c = 0; c < cells; ++c) row.texts.push_back(grid.ItemText(item, c));
    row.key = column < cells ? ToLowerAscii(row.texts[static_cast<std::size_t>(column)]) : std::string();
    rows.push_back(std::move(row));
  }
  std::stable_sort(rows.begin(), rows.end(), [descending](const Row& a, const Row& b) {
    return descending ? b.key < a.key : a.key < b.key;
  });
  GridRedrawLock lock(grid);
  grid.RemoveAllItems();
  for (const Row& row : rows) grid.AddRow(row.texts);
}

}  // namespace orlix
