// What every front end needs to produce a report the way the Create Report dialog does: the
// numbered jobs, the report type names, the parameters that Export hands the dialog, and the
// class root that names the viewers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "report/report_param.h"
#include "report/report_styles.h"

namespace orlix {

class Grid;
class RegistrySource;
struct LocaleInfo;

// Appends the comma-delimited job ("Comma Delimited", key "REPORT" + the next free number).
void AddCommaDelimitedReport(ReportStyles& jobs, Grid* grid, std::shared_ptr<ReportParameters> parameters);

// One job per section of the style store (the external store text when not empty, else the
// built-in one), then the comma-delimited job; all bound to `grid` and `parameters`.
void LoadReportJobs(ReportStyles& jobs, Grid* grid, std::shared_ptr<ReportParameters> parameters,
                    const std::string& externalStore = std::string());

// "rtf", "html" or "csv" for a report type code; empty for any other.
std::string ReportTypeName(std::int32_t type);
// The type code of "rtf", "html" or "csv" (any letter case); -1 for anything else.
std::int32_t ReportTypeFromName(const std::string& name);

// The four parameters of an export, in order: title, sub-title, the date of `now` as
// "dddd, mmmm d yyyy" and its time as "hh:mm:ss AMPM" in `locale`.
std::shared_ptr<ReportParameters> MakeExportParameters(const std::string& title, const std::string& subTitle,
                                                       double nowDate, double nowTime, const LocaleInfo& locale);

// The class root that names the viewers of report files: the live one on Windows; none
// elsewhere, where reports open with the desktop's own choice of program.
std::unique_ptr<RegistrySource> OpenViewerClassRoot();

}  // namespace orlix
