// What changed between two scans. Rows are matched by ProgID (without regard to case, as the
// registry names keys) and view; a key that occurs more than once in a source is matched
// occurrence by occurrence.
#pragma once

#include <vector>

#include "app/detailed_rows.h"

namespace orlix {

enum class ScanChange { kAdded, kRemoved, kChanged };

struct ScanDifference {
  ScanChange change;
  const DetailedRow* row;  // the new row for kAdded and kChanged, the old one for kRemoved
};

// The differences in the order of view, then ProgID. The pointers point into the two lists.
std::vector<ScanDifference> DiffScans(const std::vector<DetailedRow>& oldRows, const std::vector<DetailedRow>& newRows);

// '+', '-' or '~'.
char ScanChangeMark(ScanChange change);

}  // namespace orlix
