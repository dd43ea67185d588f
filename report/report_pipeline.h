// The steps from data to a rendered report, the same for every front end (main window, Create
// Report dialog, ReportView control, console tool). Each front end adds only its own ends: where
// the data and the choices come from, and how the result and the failures are shown.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/variant.h"
#include "report/report.h"
#include "report/report_styles.h"

namespace orlix {

class Grid;
struct LocaleInfo;

// A request that cannot be met (no such style, data that does not fit its mask, a report that
// cannot be rendered); what() is one line for the user.
class ReportRequestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The requested style does not exist ("no html style 'x'").
class ReportStyleNotFound : public ReportRequestError {
 public:
  using ReportRequestError::ReportRequestError;
};

struct ReportRequest {
  std::int32_t type = kReportRtf;
  std::string style;                 // a style's title or key (any case); empty: the type's first
  std::string title = "Report";
  std::string subTitle = "{||Date||}";
};

// The job of `type` whose title or key is `style` (any letter case), or the first job of the type
// when `style` is empty; null when there is none.
std::shared_ptr<cReport> FindReportJob(const ReportStyles& jobs, std::int32_t type, const std::string& style);

// Checks, before any data is read, that the requested style exists among the built-in jobs.
// Throws ReportStyleNotFound, or ReportRequestError when the style store cannot be read.
void CheckReportStyle(const ReportRequest& request);

// Shows `data` through the field `mask` in `grid`, as the report view does: columns from the
// mask, then one row per record. Throws ReportRequestError when the mask names no field or the
// data does not fit it.
void ShowDataInGrid(Grid& grid, const std::string& mask, VariantArray data, const LocaleInfo& locale);

// ShowDataInGrid for the data file at `path` ("-" is standard input), read row by row into the
// grid without holding the file or its table whole. The same failures in the same order: the
// file's DataFileError before the mask's ReportRequestError.
void ShowDataFileInGrid(Grid& grid, const std::string& mask, const std::string& path, bool skipHeader,
                        const LocaleInfo& locale);

// The requested job, bound to `grid` and to the parameters of an export made at `now` (an OLE
// date). Throws like CheckReportStyle.
std::shared_ptr<cReport> PrepareReportJob(Grid& grid, const ReportRequest& request, double now,
                                          const LocaleInfo& locale);

// Renders the job's report into its ReportContents. Throws ReportRequestError.
void RenderReport(cReport& job);
// Renders the job's report straight into `sink` as the bytes of its file, a piece at a time,
// without holding the document. Throws ReportRequestError (pieces may have gone out by then).
void RenderReportBytes(cReport& job, const std::function<void(std::string_view)>& sink);

}  // namespace orlix
