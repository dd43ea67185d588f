// Kept alone in its file: a module that defines kCsvRaisesProgress itself does not pull this one.
#include "report/csv_progress.h"

namespace orlix {

extern const bool kCsvRaisesProgress = true;

}  // namespace orlix
