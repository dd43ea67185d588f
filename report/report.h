// cReport: one report job. One output kind (RTF, HTML or CSV), for RTF and HTML one report
// style, bound to the grid it reports and to the host's parameters.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/report_param.h"
#include "report/report_style.h"

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
  cReport() = default;
  // A job that stores and shows its report through `services`.
  explicit cReport(ReportServices services) : mServices(std::move(services)) {}

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
  // Whether StoreReportContent, rendering a job not yet generated, keeps the document in
  // ReportContents. Without it the document goes straight into the file, piece by piece, and
  // the job stays ungenerated: a one-time report of a large grid is never held whole.
  bool KeepContents = true;

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
  // Generate without keeping the document: `write` receives it in consecutive pieces (UTF-8,
  // each ending at the end of a row). False, with nothing written, for an unknown report type.
  bool GenerateInPieces(const std::function<void(std::string_view)>& write);
  // The document as the bytes of its file, handed to `sink` about a megabyte at a time:
  // rendered straight into it unless the job is generated already (then its contents are
  // converted). False when a job not yet generated has an unknown report type.
  bool WriteFileBytes(const std::function<void(std::string_view)>& sink);

  void SetServices(ReportServices services) { mServices = std::move(services); }
  const ReportServices& Services() const { return mServices; }

  // The parsed style (set by Initialise, or whole by SetStyle).
  const ReportStyle& Style() const { return mStyle; }
  void SetStyle(ReportStyle style) { mStyle = std::move(style); }
  // What ListView and ExtraParameters bound (null when nothing is).
  Grid* BoundGrid() const { return mobjListView; }
  const std::shared_ptr<ReportParameters>& BoundParameters() const { return mcolExtraParameters; }
  // For each display position, the grid column shown there (read by ListView).
  const std::vector<std::int32_t>& ColumnOrder() const { return mlngColumnOrder; }
  // A host parameter's value with the nested date and time tags filled in; empty when absent.
  std::string GetParameter(const std::string& tag) const;
  // Column shares of the table: per cent for HTML, twips of a 12,000-twip row for RTF.
  void ComputeCellWidths(std::vector<std::int32_t>* htmlWidths, std::vector<std::int32_t>* rtfWidths) const;
  static std::string EscapeRtf(const std::string& text);
  static std::string EscapeHtml(const std::string& text);

 private:
  std::string ExtensionForType() const;

  std::string GetOpenCommand();
  std::string GetWindowsFolder();
  std::string GetTempFolder();
  bool FileExists(const std::string& path);
  static std::string CleanFileName(const std::string& name);

  std::shared_ptr<ReportParameters> mcolExtraParameters;
  Grid* mobjListView = nullptr;
  std::vector<std::int32_t> mlngColumnOrder;
  ReportStyle mStyle;
  ReportServices mServices;
};

}  // namespace orlix
