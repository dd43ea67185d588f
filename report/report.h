// cReport: one report job. One output kind (RTF, HTML or CSV), for RTF and HTML one report
// style, bound to the grid it reports and to the host's parameters.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "report/report_param.h"

namespace orlix {

class Grid;
class RegistrySource;
class UserPrompt;
class FileSystem;
class ProcessLauncher;
struct LocaleInfo;

// Report type codes.
constexpr std::int32_t kReportRtf = 0;
constexpr std::int32_t kReportHtml = 1;
constexpr std::int32_t kReportCsv = 2;

// "rtf", "html" or "csv" for a report type code (the file extension, without the dot); empty
// text for any other code.
std::string ExtensionForReportType(std::int32_t type);

// What a job needs of the machine to store and show its report. Any pointer may be null in a
// job that only renders.
struct ReportServices {
  RegistrySource* registry = nullptr;  // the class root: file types, open commands, icons
  UserPrompt* prompt = nullptr;        // questions and warnings, caption "Talvern"
  FileSystem* files = nullptr;         // temporary and Windows folders, files
  ProcessLauncher* launcher = nullptr; // starts the viewer
  const LocaleInfo* locale = nullptr;  // month names of the file-name picture
  std::function<double()> now;         // current local date and time (OLE date)
};

class cReport {
 public:
  // Public data, in the order the dialog knows them.
  std::string Title;
  std::string Key;
  std::int32_t ID = 0;
  std::string Description;
  std::int32_t ReportType = kReportRtf;
  bool Generated = false;
  std::string ReportContents;
  std::string LocalFileName;
  bool LocalFileIsTemporary = false;

  // Event: progress while rendering, row reached (from 1) and row count.
  std::function<void(std::int32_t lngCurrent, std::int32_t lngTotal)> CurrentStatus;

  // Parses one section of the report style store.
  void Initialise(const std::string& strReportFormatData);
  bool ShellToApp();
  void ExtraParameters(std::shared_ptr<ReportParameters> objParameters);
  // Binds the grid (lent, not owned) and reads its column display order.
  void ListView(Grid* objListView);
  bool DeleteLocalFile();
  bool StoreReportContent(bool blnUseTemporaryFile, const std::string& mstrFileDestination);
  std::string FileExtension() const;
  std::string GetIconPath();
  bool Generate();

  void SetServices(ReportServices services) { mServices = std::move(services); }
  const ReportServices& Services() const { return mServices; }

 private:
  friend class cReportTestAccess;

  bool RenderStyled();
  bool RenderCsv();
  void ComputeCellWidths(std::vector<std::int32_t>* htmlWidths, std::vector<std::int32_t>* rtfWidths) const;
  std::string GetParameter(const std::string& tag) const;
  static std::string EscapeRtf(const std::string& text);
  static std::string EscapeHtml(const std::string& text);
  std::string ExtensionForType() const;

  std::string GetOpenCommand();
  std::string GetWindowsFolder();
  std::string GetTempFolder();
  bool FileExists(const std::string& path);
  static std::string CleanFileName(const std::string& name);

  std::shared_ptr<ReportParameters> mcolExtraParameters;
  Grid* mobjListView = nullptr;
  std::vector<std::int32_t> mlngColumnOrder;
  std::string mstrTable;
  std::string mstrHeaderRow;
  std::string mstrHeaderCellFormatting;
  std::string mstrHeaderCellData;
  std::string mstrBodyRow;
  std::string mstrBodyCellFormatting;
  std::string mstrBodyCellData;
  ReportServices mServices;
};

}  // namespace orlix
