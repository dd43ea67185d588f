// orlixreport report: the component list (or any data with its mask) through the grid, a report
// job and the report files, as the Create Report dialog produces it.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/class_root.h"
#include "app/component_scan.h"
#include "app/detailed_rows.h"
#include "base/locale_info.h"
#include "base/scope_exit.h"
#include "base/text.h"
#include "base/variant.h"
#include "cli/command.h"
#include "cli/console_prompt.h"
#include "cli/detail_options.h"
#include "cli/source_options.h"
#include "platform/current_locale.h"
#include "platform/file_system.h"
#include "platform/process_launcher.h"
#include "report/report.h"
#include "report/report_files.h"
#include "report/report_jobs.h"
#include "report/report_pipeline.h"
#include "reportview/data_file.h"
#include "reportview/grid_rows.h"
#include "reportview/memory_grid.h"

namespace orlix::cli {
namespace {

constexpr char kPrefix[] = "orlixreport report";
// Reports with more rows than this show their progress on a terminal.
constexpr int kProgressRows = 2000;

void WriteReportHelp(std::ostream& out) {
  out << "Usage: orlixreport report --format rtf|html|csv [OPTIONS]\n\n"
         "Renders a report of the COM components of a class root (the main window's five columns),\n"
         "or of any data with --mask and --data, in one of the report styles (see 'orlixreport\n"
         "styles'). The report goes to standard output unless -o or --view is given. Files hold\n"
         "the text in the Windows ANSI code page (Windows-1252 off Windows).\n\n"
         "Options:\n"
         "  --format F          rtf, html or csv (required)\n"
         "  --style S           style title or key; default: the first style of the format\n"
         "  --title T           report title (default \"Report\")\n"
         "  --subtitle S        report sub-title (default \"{||Date||}\", today's date)\n"
         "  --sort N[:asc|desc] order the rows by the shown text of column N (from 1), stable\n"
         "  --widths W1,W2,...  column widths (pixels) in column order; they set the table's\n"
         "                      proportions\n"
         "  -o FILE             write the report to FILE (asks before replacing a file)\n"
         "  --view              write a temporary file and open it in the associated program\n"
         "  --overwrite, --yes  replace an existing file without asking\n"
         "  --no                never replace an existing file\n"
         "  --mask MASK         field mask of the data, e.g. 0=\"Name\",1=\"Size\"\n"
         "  --data FILE         the data: CSV, TSV or JSON (by extension or content; - is stdin)\n"
         "  --data-header       the data's first line holds column names: skip it\n"
      << DetailOptionsHelp(kRegistryViewOption) << SourceOptionsHelp() << "  --help              show this help\n";
}

struct ReportOptions {
  std::string format;
  std::string style;
  std::string title = "Report";
  std::string subtitle = "{||Date||}";
  bool sort = false;
  int sortColumn = 0;
  bool sortDescending = false;
  std::vector<double> widths;
  bool widthsGiven = false;
  std::string outputFile;
  bool view = false;
  AnswerPolicy answers = AnswerPolicy::Ask;
  std::string mask;
  std::string dataFile;
  bool maskGiven = false;
  bool dataHeader = false;
  SourceOptions source;
  DetailOptions detail;
};

// A command line that cannot be used; what() is the one line the tool writes.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "--name VALUE" or "--name=VALUE": the value when args[*i] is this option (*i then moves past
// a separate value); none when it is another argument.
std::optional<std::string> TakeValue(const std::vector<std::string>& args, std::size_t* i, const std::string& name) {
  const std::string& arg = args[*i];
  if (arg == name) {
    if (*i + 1 >= args.size()) throw UsageError(name + " needs a value");
    return args[++*i];
  }
  if (arg.compare(0, name.size() + 1, name + "=") == 0) return arg.substr(name.size() + 1);
  return std::nullopt;
}

void ParseSort(const std::string& text, ReportOptions* options) {
  std::string number = text;
  const std::size_t colon = text.find(':');
  if (colon != std::string::npos) {
    number = text.substr(0, colon);
    const std::string order = ToLowerAscii(text.substr(colon + 1));
    if (order == "desc") {
      options->sortDescending = true;
    } else if (order != "asc") {
      throw UsageError("--sort takes N, N:asc or N:desc, not '" + text + "'");
    }
  }
  if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos ||
      std::atoi(number.c_str()) < 1)
    throw UsageError("--sort needs a column number from 1, not '" + text + "'");
  options->sort = true;
  options->sortColumn = std::atoi(number.c_str()) - 1;
}

void ParseWidths(const std::string& text, ReportOptions* options) {
  options->widthsGiven = true;
  for (const std::string& piece : Split(text, ",")) {
    const std::string w = TrimSpaces(piece);
    char* end = nullptr;
    const double value = std::strtod(w.c_str(), &end);
    if (w.empty() || end == w.c_str() || *end != '\0' || !(value >= 0) || value > 1e9)
      throw UsageError("--widths takes numbers of 0 or more separated by commas, not '" + text + "'");
    options->widths.push_back(value);
  }
  if (options->widths.empty()) throw UsageError("--widths needs at least one width");
}

void CheckOptions(const ReportOptions& o) {
  if (o.format.empty()) throw UsageError("--format is required (rtf, html or csv)");
  if (ReportTypeFromName(o.format) < 0) throw UsageError("unknown format '" + o.format + "' (rtf, html or csv)");
  if (o.view && !o.outputFile.empty()) throw UsageError("-o and --view cannot be combined");
  if (o.maskGiven != !o.dataFile.empty()) throw UsageError("--mask and --data go together");
  if (!o.dataFile.empty() && (!o.source.registryFile.empty() || !o.source.winePrefix.empty()))
    throw UsageError("--data replaces the class root; --registry and --wine-prefix do not apply");
  if (!o.dataFile.empty() && o.detail.Any())
    throw UsageError("--data replaces the class root; --details, --broken and --registry-view do not apply");
}

// The complete options; none after the help was written. Throws UsageError.
std::optional<ReportOptions> ParseOptions(const std::vector<std::string>& args, std::ostream& out) {
  ReportOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (IsHelpOption(arg)) {
      WriteReportHelp(out);
      return std::nullopt;
    }
    std::string error;
    const OptionResult source = TakeSourceOption(args, &i, &o.source, &error);
    if (source == OptionResult::Error) throw UsageError(error);
    const OptionResult detail =
        source == OptionResult::Taken ? source : TakeDetailOption(args, &i, &o.detail, &error, kRegistryViewOption);
    if (detail == OptionResult::Error) throw UsageError(error);
    if (detail == OptionResult::Taken) {
      --i;  // the option was passed already
      continue;
    }
    if (arg == "--view") {
      o.view = true;
      continue;
    }
    if (arg == "--overwrite" || arg == "--yes") {
      o.answers = AnswerPolicy::Yes;
      continue;
    }
    if (arg == "--no") {
      o.answers = AnswerPolicy::No;
      continue;
    }
    if (arg == "--data-header") {
      o.dataHeader = true;
      continue;
    }
    bool taken = false;
    const struct Valued {
      const char* name;
      std::string* field;
    } valued[] = {{"--format", &o.format},   {"--style", &o.style}, {"--title", &o.title},
                  {"--subtitle", &o.subtitle}, {"-o", &o.outputFile}, {"--output", &o.outputFile},
                  {"--mask", &o.mask},       {"--data", &o.dataFile}};
    for (const Valued& v : valued) {
      if (std::optional<std::string> value = TakeValue(args, &i, v.name)) {
        *v.field = std::move(*value);
        if (v.field == &o.mask) o.maskGiven = true;
        taken = true;
        break;
      }
    }
    if (taken) continue;
    if (std::optional<std::string> value = TakeValue(args, &i, "--sort")) {
      ParseSort(*value, &o);
      continue;
    }
    if (std::optional<std::string> value = TakeValue(args, &i, "--widths")) {
      ParseWidths(*value, &o);
      continue;
    }
    throw UsageError(std::string("unknown ") + (arg.compare(0, 1, "-") == 0 ? "option" : "argument") + " '" + arg +
                     "' (try 'orlixreport report --help')");
  }
  CheckOptions(o);
  return o;
}

// "rendering row n of m" on a terminal, redrawn at each whole percent.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream& err) : err_(err) {}
  ~ProgressLine() {
    if (shown_) err_ << "\r" << std::string(60, ' ') << "\r" << std::flush;
  }
  void Update(std::int32_t current, std::int32_t total) {
    if (total <= 0) return;
    const int percent = static_cast<int>(static_cast<long long>(current) * 100 / total);
    if (shown_ && percent == last_) return;
    shown_ = true;
    last_ = percent;
    err_ << "\r" << kPrefix << ": row " << current << " of " << total << " (" << percent << "%)" << std::flush;
  }

 private:
  std::ostream& err_;
  bool shown_ = false;
  int last_ = -1;
};

ReportRequest RequestOf(const ReportOptions& options) {
  ReportRequest request;
  request.type = ReportTypeFromName(options.format);
  request.style = options.style;
  request.title = options.title;
  request.subTitle = options.subtitle;
  return request;
}

// The components of the class root, with the mask of the main window's columns. A
// skipped-lines warning goes to `err`.
std::pair<VariantArray, std::string> ReadData(const ReportOptions& options, std::ostream& err) {
  if (options.detail.Any()) {
    ComponentScan scan = ScanComponentsWithDetails(options.source, options.detail.view);
    if (!scan.warning.empty()) err << kPrefix << ": warning: " << scan.warning << "\n";
    if (!options.detail.DetailColumns()) return {std::move(scan.data), kComponentFieldMask};
    return {DetailedComponentData(DetailedRows(scan, options.detail.broken)), kDetailedComponentFieldMask};
  }
  const OpenedClassRoot classRoot = OpenClassRoot(options.source);
  if (!classRoot.warning.empty()) err << kPrefix << ": warning: " << classRoot.warning << "\n";
  return {BuildComponentList(*classRoot.source), kComponentFieldMask};
}

// Column widths and row order asked for on the command line.
void ArrangeGrid(const ReportOptions& options, Grid& grid) {
  if (options.widthsGiven) {
    if (options.widths.size() > static_cast<std::size_t>(grid.ColumnCount()))
      throw UsageError("--widths gives " + std::to_string(options.widths.size()) + " widths for " +
                       std::to_string(grid.ColumnCount()) + " columns");
    for (std::size_t c = 0; c < options.widths.size(); ++c) grid.SetColumnWidth(static_cast<int>(c), options.widths[c]);
  }
  if (options.sort) {
    if (options.sortColumn >= grid.ColumnCount())
      throw UsageError("--sort names column " + std::to_string(options.sortColumn + 1) + " of " +
                       std::to_string(grid.ColumnCount()));
    SortGridRows(grid, options.sortColumn, options.sortDescending);
  }
}

// Runs `step` (rendering the job, alone or into its file) with the progress line shown.
template <typename Step>
auto WithProgress(cReport& job, int rows, std::ostream& err, Step step) {
  ProgressLine progress(err);
  if (rows > kProgressRows && StandardErrorIsTerminal())
    job.CurrentStatus = [&progress](std::int32_t current, std::int32_t total) { progress.Update(current, total); };
  const ScopeExit stop([&job]() noexcept { job.CurrentStatus = nullptr; });
  return step();
}

// Writes the report to -o FILE, or to a temporary file opened in its viewer; 0 when done.
int StoreAndShow(const ReportOptions& options, cReport& job, double now, const LocaleInfo& locale,
                 std::ostream& err) {
  ConsolePrompt prompt(options.answers, StandardInputIsTerminal() ? &std::cin : nullptr, err, kPrefix);
  std::unique_ptr<RegistrySource> viewers = options.view ? OpenViewerClassRoot() : nullptr;
  ReportServices services;
  services.files = &LocalFileSystem();
  services.prompt = &prompt;
  services.registry = viewers.get();
  services.launcher = &LocalProcessLauncher();
  services.locale = &locale;
  services.now = [now] { return now; };
  job.SetServices(services);

  if (!job.StoreReportContent(options.view, options.outputFile)) {
    if (!prompt.Warned())
      err << kPrefix << ": '" << job.LocalFileName << "' exists and was not replaced (--overwrite replaces it)\n";
    return 1;
  }
  // The viewer reads the temporary file after this program has ended: it stays in place.
  if (options.view && (!job.ShellToApp() || prompt.Warned())) return 1;
  return 0;
}

}  // namespace

int RunReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    const std::optional<ReportOptions> options = ParseOptions(args, out);
    if (!options) return 0;
    const ReportRequest request = RequestOf(*options);
    try {
      CheckReportStyle(request);  // before any data is read
    } catch (const ReportStyleNotFound& e) {
      throw UsageError(std::string(e.what()) + " (see 'orlixreport styles')");
    }

    const LocaleInfo& locale = CurrentLocale();
    MemoryGrid grid;
    if (!options->dataFile.empty()) {
      ShowDataFileInGrid(grid, options->mask, options->dataFile, options->dataHeader, locale);
    } else {
      auto [data, mask] = ReadData(*options, err);
      ShowDataInGrid(grid, mask, std::move(data), locale);
    }
    ArrangeGrid(*options, grid);

    const double now = LocalNowAsOleDate();
    const std::shared_ptr<cReport> job = PrepareReportJob(grid, request, now, locale);
    // A report of many rows is never held whole: it is rendered straight into its file or onto
    // standard output.
    if (options->outputFile.empty() && !options->view) {
      WithProgress(*job, grid.ItemCount(), err, [&job, &out] {
        RenderReportBytes(*job, [&out](std::string_view bytes) {
          out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        });
      });
      return 0;
    }
    job->KeepContents = false;
    return WithProgress(*job, grid.ItemCount(), err, [&] { return StoreAndShow(*options, *job, now, locale, err); });
  } catch (const std::exception& e) {
    err << kPrefix << ": " << e.what() << "\n";
    return 1;
  }
}

}  // namespace orlix::cli
