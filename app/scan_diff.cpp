#include "app/scan_diff.h"

#include <algorithm>
#include <string>

#include "base/text.h"

namespace orlix {
namespace {

struct Keyed {
  std::string key;  // view, a NUL, the ProgID in lower case
  const DetailedRow* row;
};

std::vector<Keyed> SortedByKey(const std::vector<DetailedRow>& rows) {
  std::vector<Keyed> keyed;
  keyed.reserve(rows.size());
  for (const DetailedRow& row : rows) {
    std::string key = row[detailed_column::kView];
    key += '\0';
    key += ToLowerAscii(row[0]);
    keyed.push_back({std::move(key), &row});
  }
  // Stable: repeated keys keep the source's order, so their occurrences pair up in order.
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
  return keyed;
}

}  // namespace

std::vector<ScanDifference> DiffScans(const std::vector<DetailedRow>& oldRows, const std::vector<DetailedRow>& newRows) {
  const std::vector<Keyed> before = SortedByKey(oldRows);
  const std::vector<Keyed> after = SortedByKey(newRows);
  std::vector<ScanDifference> differences;
  std::size_t o = 0;
  std::size_t n = 0;
  while (o < before.size() || n < after.size()) {
    if (n == after.size() || (o < before.size() && before[o].key < after[n].key)) {
      differences.push_back({ScanChange::kRemoved, before[o++].row});
    } else if (o == before.size() || after[n].key < before[o].key) {
      differences.push_back({ScanChange::kAdded, after[n++].row});
    } else {
      if (*before[o].row != *after[n].row) differences.push_back({ScanChange::kChanged, after[n].row});
      ++o;
      ++n;
    }
  }
  return differences;
}

char ScanChangeMark(ScanChange change) {
  switch (change) {
    case ScanChange::kAdded: return '+';
    case ScanChange::kRemoved: return '-';
    case ScanChange::kChanged: return '~';
  }
  return '?';
}

}  // namespace orlix
