// The control library's build of the report engine: comma-separated rendering raises no
// CurrentStatus, so the Create Report dialog shows no progress bar for it. Linked into the
// library ahead of orlix_core, whose own definition (report/csv_progress.cpp) it replaces.
#include "report/csv_progress.h"

namespace orlix {

extern const bool kCsvRaisesProgress = false;

}  // namespace orlix
