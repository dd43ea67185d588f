#include "report/report_jobs.h"

#include "base/format.h"
#include "base/text.h"
#include "base/variant.h"
#include "report/library.h"
#include "report/report.h"

namespace orlix {

void AddCommaDelimitedReport(ReportStyles& jobs, Grid* grid, std::shared_ptr<ReportParameters> parameters) {
  auto csv = std::make_shared<cReport>();
  csv->ID = NextFreeKeyNumber(jobs, kReportKeyPrefix);
  csv->Key = kReportKeyPrefix + std::to_string(csv->ID);
  csv->ReportType = kReportCsv;
  csv->Title = "Comma Delimited";
  csv->Description = "Comma-delimited output suitable for spreadsheet analysis";
  csv->ListView(grid);
  csv->ExtraParameters(std::move(parameters));
  jobs.Add(csv, csv->Key);
}

void LoadReportJobs(ReportStyles& jobs, Grid* grid, std::shared_ptr<ReportParameters> parameters,
                    const std::string& externalStore) {
  LoadReportStyles(jobs, grid, parameters, externalStore);
  AddCommaDelimitedReport(jobs, grid, std::move(parameters));
}

std::string ReportTypeName(std::int32_t type) { return ExtensionForReportType(type); }

std::int32_t ReportTypeFromName(const std::string& name) {
  for (std::int32_t type : {kReportRtf, kReportHtml, kReportCsv})
    if (EqualsNoCase(name, ReportTypeName(type))) return type;
  return -1;
}

std::shared_ptr<ReportParameters> MakeExportParameters(const std::string& title, const std::string& subTitle,
                                                       double nowDate, double nowTime, const LocaleInfo& locale) {
  auto parameters = std::make_shared<ReportParameters>();
  auto add = [&parameters](const std::string& key, const std::string& value) {
    parameters->Add(std::make_shared<cReportParam>(cReportParam{key, value}), key);
  };
  add("{||ReportTitle||}", title);
  add("{||ReportSubTitle||}", subTitle);
  add("{||Date||}", FormatVariant(Variant::FromDate(nowDate), "dddd, mmmm d yyyy", locale));
  add("{||Time||}", FormatVariant(Variant::FromDate(nowTime), "hh:mm:ss AMPM", locale));
  return parameters;
}

}  // namespace orlix
