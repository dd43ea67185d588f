// Cutting the report style store into sections and creating one report job per section.
#include "report/report_styles.h"

#include "base/text.h"
#include "report/library.h"

namespace orlix {

std::vector<std::string> SplitReportSections(const std::string& store) {
  return Split(store, kReportSectionSeparator);
}

bool LoadReportStyles(ReportStyles& styles, Grid* objListView, std::shared_ptr<ReportParameters> objParameters,
                      const std::string& strExternalFormatFile) {
  const std::string source = strExternalFormatFile.empty() ? LoadBuiltInFormats() : strExternalFormatFile;
  for (const std::string& section : SplitReportSections(source)) {
    auto job = std::make_shared<cReport>();
    job->ID = NextFreeKeyNumber(styles, kReportKeyPrefix);
    job->Key = kReportKeyPrefix + std::to_string(job->ID);
    job->ListView(objListView);
    job->ExtraParameters(objParameters);
    job->Initialise(section);
    styles.Add(job, job->Key);
  }
  return true;
}

}  // namespace orlix
