#include "report/report_pipeline.h"

#include <exception>
#include <utility>
#include <vector>

#include "base/text.h"
#include "report/report_jobs.h"
#include "reportview/data_file.h"
#include "reportview/grid.h"
#include "reportview/report_view_data.h"

namespace orlix {
namespace {

std::shared_ptr<cReport> ChooseJob(const ReportStyles& jobs, const ReportRequest& request) {
  std::shared_ptr<cReport> job = FindReportJob(jobs, request.type, request.style);
  if (job) return job;
  const std::string type = ReportTypeName(request.type);
  throw ReportStyleNotFound(request.style.empty() ? "no " + type + " style is available"
                                                 : "no " + type + " style '" + request.style + "'");
}

void LoadJobs(ReportStyles& jobs, Grid* grid, std::shared_ptr<ReportParameters> parameters) {
  try {
    LoadReportJobs(jobs, grid, std::move(parameters));
  } catch (const std::exception& e) {
    throw ReportRequestError(std::string("cannot load the report styles: ") + e.what());
  }
}

}  // namespace

std::shared_ptr<cReport> FindReportJob(const ReportStyles& jobs, std::int32_t type, const std::string& style) {
  for (const auto& job : jobs) {
    if (job->ReportType != type) continue;
    if (style.empty() || EqualsNoCase(job->Title, style) || EqualsNoCase(job->Key, style)) return job;
  }
  return nullptr;
}

void CheckReportStyle(const ReportRequest& request) {
  ReportStyles unbound;
  LoadJobs(unbound, nullptr, nullptr);
  ChooseJob(unbound, request);
}

void ShowDataInGrid(Grid& grid, const std::string& mask, VariantArray data, const LocaleInfo& locale) {
  try {
    ReportViewData view(grid, &locale);
    view.ApplyFieldMask(mask);
    if (!view.Fields() || view.Fields()->Count() == 0) throw ReportRequestError("the mask names no field");
    // The grid is the data's last user: its texts move into the grid instead of being copied.
    view.TakeDataToShow(std::move(data));
    view.GenerateFromTakenData();
  } catch (const ReportRequestError&) {
    throw;
  } catch (const std::exception& e) {
    throw ReportRequestError(std::string("the data does not fit the mask: ") + e.what());
  }
}

void ShowDataFileInGrid(Grid& grid, const std::string& mask, const std::string& path, bool skipHeader,
                        const LocaleInfo& locale) {
  ReportViewData view(grid, &locale);
  const auto applyMask = [&] {
    try {
      view.ApplyFieldMask(mask);
      if (!view.Fields() || view.Fields()->Count() == 0) throw ReportRequestError("the mask names no field");
    } catch (const ReportRequestError&) {
      throw;
    } catch (const std::exception& e) {
      throw ReportRequestError(std::string("the data does not fit the mask: ") + e.what());
    }
  };
  try {
    applyMask();
  } catch (const ReportRequestError&) {
    // The file is read first, as a whole file would be: its own faults come before the mask's.
    ReadDataFileRows(path, skipHeader, [](std::vector<Variant>&) {});
    throw;
  }
  try {
    view.GenerateFromRows([&](const DataRowSink& sink) { return ReadDataFileRows(path, skipHeader, sink); });
  } catch (const DataFileError&) {
    throw;
  } catch (const std::exception& e) {
    throw ReportRequestError(std::string("the data does not fit the mask: ") + e.what());
  }
}

std::shared_ptr<cReport> PrepareReportJob(Grid& grid, const ReportRequest& request, double now,
                                          const LocaleInfo& locale) {
  ReportStyles jobs;
  LoadJobs(jobs, &grid, MakeExportParameters(request.title, request.subTitle, now, now, locale));
  return ChooseJob(jobs, request);
}

void RenderReport(cReport& job) {
  bool rendered = false;
  try {
    rendered = job.Generate();
  } catch (const std::exception& e) {
    throw ReportRequestError(std::string("the report could not be rendered: ") + e.what());
  }
  if (!rendered) throw ReportRequestError("the report could not be rendered");
}

void RenderReportBytes(cReport& job, const std::function<void(std::string_view)>& sink) {
  bool rendered = false;
  try {
    rendered = job.WriteFileBytes(sink);
  } catch (const std::exception& e) {
    throw ReportRequestError(std::string("the report could not be rendered: ") + e.what());
  }
  if (!rendered) throw ReportRequestError("the report could not be rendered");
}

}  // namespace orlix
