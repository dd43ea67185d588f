// The report jobs that the console tool offers: the 32 styles of the built-in store and the
// comma-delimited job, numbered and keyed as the Create Report dialog numbers them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "report/report_param.h"
#include "report/report_styles.h"

namespace orlix {
class Grid;
class RegistrySource;
}  // namespace orlix

namespace orlix::cli {

// Fills `jobs` with one job per built-in style, then the comma-delimited job
// ("Comma Delimited", key "REPORT" + the next free number), all bound to `grid` and `parameters`.
void LoadReportJobs(ReportStyles& jobs, Grid* grid, std::shared_ptr<ReportParameters> parameters);

// "rtf", "html" or "csv" for a report type code; empty for any other.
std::string ReportTypeName(std::int32_t type);
// The type code of "rtf", "html" or "csv" (any letter case); -1 for anything else.
std::int32_t ReportTypeFromName(const std::string& name);

// The class root that names the viewers of report files: the live one on Windows; none
// elsewhere, where reports open with the desktop's own choice of program.
std::unique_ptr<RegistrySource> OpenViewerClassRoot();

}  // namespace orlix::cli
