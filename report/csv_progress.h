// Whether comma-separated rendering raises CurrentStatus after every row: a link-time choice of
// each build of the report engine. The program's build (report/csv_progress.cpp) says yes; the
// control library links its own definition that says no.
#pragma once

namespace orlix {

extern const bool kCsvRaisesProgress;

}  // namespace orlix
