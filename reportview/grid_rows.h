// Operations on the rows of any grid that the report view and its hosts share.
#pragma once

#include "reportview/grid.h"

namespace orlix {

// Orders the rows by the shown text of one column, without regard to letter case; rows that
// compare equal keep their order. Rows without that column sort as empty text.
void SortGridRows(Grid& grid, int column, bool descending);

}  // namespace orlix
