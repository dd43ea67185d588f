// orlixreport report: the component list (or any data with its mask) through the grid, a report
// job and the report files, as the Create Report dialog produces it.
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/component_scan.h"
#include "base/format.h"
#include "base/locale_info.h"
#include "base/text.h"
#include "base/variant.h"
#include "cli/command.h"
#include "cli/console_prompt.h"
#include "cli/data_file.h"
#include "report/report_jobs.h"
#include "cli/source_options.h"
#include "platform/file_system.h"
#include "platform/process_launcher.h"
#include "report/report.h"
#include "report/report_files.h"
#include "reportview/memory_grid.h"
#include "reportview/report_view_data.h"

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
      << SourceOptionsHelp() << "  --help              show this help\n";
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
};

// "--name VALUE" or "--name=VALUE"; *taken tells whether args[*i] was this option.
bool TakeValue(const std::vector<std::string>& args, std::size_t* i, const std::string& name, std::string* value,
               bool* taken, std::string* error) {
  const std::string& arg = args[*i];
  *taken = false;
  if (arg == name) {
    *taken = true;
    if (*i + 1 >= args.size()) {
      *error = name + " needs a value";
      return false;
    }
    *value = args[++*i];
    return true;
  }
  if (arg.compare(0, name.size() + 1, name + "=") == 0) {
    *taken = true;
    *value = arg.substr(name.size() + 1);
  }
  return true;
}

bool ParseSort(const std::string& text, ReportOptions* options, std::string* error) {
  std::string number = text;
  const std::size_t colon = text.find(':');
  if (colon != std::string::npos) {
    number = text.substr(0, colon);
    const std::string order = ToLowerAscii(text.substr(colon + 1));
    if (order == "desc") {
      options->sortDescending = true;
    } else if (order != "asc") {
      *error = "--sort takes N, N:asc or N:desc, not '" + text + "'";
      return false;
    }
  }
  if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos ||
      std::atoi(number.c_str()) < 1) {
    *error = "--sort needs a column number from 1, not '" + text + "'";
    return false;
  }
  options->sort = true;
  options->sortColumn = std::atoi(number.c_str()) - 1;
  return true;
}

bool ParseWidths(const std::string& text, ReportOptions* options, std::string* error) {
  options->widthsGiven = true;
  for (const std::string& piece : Split(text, ",")) {
    const std::string w = TrimSpaces(piece);
    char* end = nullptr;
    const double value = std::strtod(w.c_str(), &end);
    if (w.empty() || end == w.c_str() || *end != '\0' || !(value >= 0) || value > 1e9) {
      *error = "--widths takes numbers of 0 or more separated by commas, not '" + text + "'";
      return false;
    }
    options->widths.push_back(value);
  }
  if (options->widths.empty()) {
    *error = "--widths needs at least one width";
    return false;
  }
  return true;
}

// Returns 0 when the options are complete, 1 after a one-line error, 2 after the help.
int ParseOptions(const std::vector<std::string>& args, std::ostream& out, ReportOptions* o, std::string* error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (IsHelpOption(arg)) {
      WriteReportHelp(out);
      return 2;
    }
    const OptionResult source = TakeSourceOption(args, &i, &o->source, error);
    if (source == OptionResult::Error) return 1;
    if (source == OptionResult::Taken) {
      --i;  // TakeSourceOption moved past the option already
      continue;
    }
    if (arg == "--view") {
      o->view = true;
      continue;
    }
    if (arg == "--overwrite" || arg == "--yes") {
      o->answers = AnswerPolicy::Yes;
      continue;
    }
    if (arg == "--no") {
      o->answers = AnswerPolicy::No;
      continue;
    }
    if (arg == "--data-header") {
      o->dataHeader = true;
      continue;
    }
    std::string value;
    bool taken = false;
    struct Valued {
      const char* name;
      std::string* field;
    } valued[] = {{"--format", &o->format},   {"--style", &o->style}, {"--title", &o->title},
                  {"--subtitle", &o->subtitle}, {"-o", &o->outputFile}, {"--output", &o->outputFile},
                  {"--mask", &o->mask},       {"--data", &o->dataFile}};
    for (const Valued& v : valued) {
      if (!TakeValue(args, &i, v.name, &value, &taken, error)) return 1;
      if (taken) {
        *v.field = value;
        if (v.field == &o->mask) o->maskGiven = true;
        break;
      }
    }
    if (taken) continue;
    if (!TakeValue(args, &i, "--sort", &value, &taken, error)) return 1;
    if (taken) {
      if (!ParseSort(value, o, error)) return 1;
      continue;
    }
    if (!TakeValue(args, &i, "--widths", &value, &taken, error)) return 1;
    if (taken) {
      if (!ParseWidths(value, o, error)) return 1;
      continue;
    }
    *error = std::string("unknown ") + (arg.compare(0, 1, "-") == 0 ? "option" : "argument") + " '" + arg +
             "' (try 'orlixreport report --help')";
    return 1;
  }
  if (o->format.empty()) {
    *error = "--format is required (rtf, html or csv)";
    return 1;
  }
  if (ReportTypeFromName(o->format) < 0) {
    *error = "unknown format '" + o->format + "' (rtf, html or csv)";
    return 1;
  }
  if (o->view && !o->outputFile.empty()) {
    *error = "-o and --view cannot be combined";
    return 1;
  }
  if (o->maskGiven != !o->dataFile.empty()) {
    *error = "--mask and --data go together";
    return 1;
  }
  if (!o->dataFile.empty() && (!o->source.registryFile.empty() || !o->source.winePrefix.empty())) {
    *error = "--data replaces the class root; --registry and --wine-prefix do not apply";
    return 1;
  }
  return 0;
}

// Orders the rows by the shown text of one column, without regard to letter case; rows that
// compare equal keep their order.
void SortRows(Grid& grid, int column, bool descending) {
  struct Row {
    std::string key;
    std::vector<std::string> texts;
  };
  std::vector<Row> rows;
  rows.reserve(static_cast<std::size_t>(grid.ItemCount()));
  for (int item = 0; item < grid.ItemCount(); ++item) {
    Row row;
    const int cells = grid.SubItemCount(item) + 1;
    for (int c = 0; c < cells; ++c) row.texts.push_back(grid.ItemText(item, c));
    row.key = column < cells ? ToLowerAscii(row.texts[static_cast<std::size_t>(column)]) : std::string();
    rows.push_back(std::move(row));
  }
  std::stable_sort(rows.begin(), rows.end(), [descending](const Row& a, const Row& b) {
    return descending ? b.key < a.key : a.key < b.key;
  });
  GridRedrawLock lock(grid);
  grid.RemoveAllItems();
  for (const Row& row : rows) grid.AddRow(row.texts);
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

std::shared_ptr<cReport> ChooseJob(const ReportStyles& jobs, std::int32_t type, const std::string& style,
                                   std::string* error) {
  for (const auto& job : jobs) {
    if (job->ReportType != type) continue;
    if (style.empty() || EqualsNoCase(job->Title, style) || EqualsNoCase(job->Key, style)) return job;
  }
  *error = style.empty() ? "no " + ReportTypeName(type) + " style is available"
                         : "no " + ReportTypeName(type) + " style '" + style + "' (see 'orlixreport styles')";
  return nullptr;
}

}  // namespace

int RunReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  ReportOptions options;
  std::string error;
  switch (ParseOptions(args, out, &options, &error)) {
    case 1:
      err << kPrefix << ": " << error << "\n";
      return 1;
    case 2:
      return 0;
    default:
      break;
  }

  // A style name is checked before any data is read.
  try {
    ReportStyles unbound;
    LoadReportJobs(unbound, nullptr, nullptr);
    if (!ChooseJob(unbound, ReportTypeFromName(options.format), options.style, &error)) {
      err << kPrefix << ": " << error << "\n";
      return 1;
    }
  } catch (const std::exception& e) {
    err << kPrefix << ": cannot load the report styles: " << e.what() << "\n";
    return 1;
  }

  // The data and its mask.
  VariantArray data = VariantArray::TwoDimensional(0, 0);
  std::string mask = options.mask;
  try {
    if (!options.dataFile.empty()) {
      data = ReadDataFile(options.dataFile, options.dataHeader);
    } else {
      std::string warning;
      std::unique_ptr<RegistrySource> registry = OpenRegistrySource(options.source, &error, &warning);
      if (!registry) {
        err << kPrefix << ": " << error << "\n";
        return 1;
      }
      if (!warning.empty()) err << kPrefix << ": warning: " << warning << "\n";
      data = BuildComponentList(*registry);
      mask = kComponentFieldMask;
    }
  } catch (const std::exception& e) {
    err << kPrefix << ": " << e.what() << "\n";
    return 1;
  }

  // The grid, as the report view fills it.
  const LocaleInfo& locale = CurrentLocale();
  MemoryGrid grid;
  try {
    ReportViewData view(grid, &locale);
    view.ApplyFieldMask(mask);
    view.TakeDataToShow(std::move(data));
    view.GenerateFromTakenData();
  } catch (const std::exception& e) {
    err << kPrefix << ": the data does not fit the mask: " << e.what() << "\n";
    return 1;
  }
  if (options.widthsGiven) {
    if (options.widths.size() > static_cast<std::size_t>(grid.ColumnCount())) {
      err << kPrefix << ": --widths gives " << options.widths.size() << " widths for " << grid.ColumnCount()
          << " columns\n";
      return 1;
    }
    for (std::size_t c = 0; c < options.widths.size(); ++c) grid.SetColumnWidth(static_cast<int>(c), options.widths[c]);
  }
  if (options.sort) {
    if (options.sortColumn >= grid.ColumnCount()) {
      err << kPrefix << ": --sort names column " << options.sortColumn + 1 << " of " << grid.ColumnCount() << "\n";
      return 1;
    }
    SortRows(grid, options.sortColumn, options.sortDescending);
  }

  // The parameters that Export hands the dialog.
  const double now = LocalNowAsOleDate();
  auto parameters = MakeExportParameters(options.title, options.subtitle, now, now, locale);

  ReportStyles jobs;
  std::shared_ptr<cReport> job;
  try {
    LoadReportJobs(jobs, &grid, parameters);
    job = ChooseJob(jobs, ReportTypeFromName(options.format), options.style, &error);
  } catch (const std::exception& e) {
    error = std::string("cannot load the report styles: ") + e.what();
  }
  if (!job) {
    err << kPrefix << ": " << error << "\n";
    return 1;
  }

  ProgressLine progress(err);
  if (grid.ItemCount() > kProgressRows && StandardErrorIsTerminal())
    job->CurrentStatus = [&progress](std::int32_t current, std::int32_t total) { progress.Update(current, total); };
  try {
    if (!job->Generate()) {
      err << kPrefix << ": the report could not be rendered\n";
      return 1;
    }
  } catch (const std::exception& e) {
    err << kPrefix << ": the report could not be rendered: " << e.what() << "\n";
    return 1;
  }
  job->CurrentStatus = nullptr;

  if (options.outputFile.empty() && !options.view) {
    out << TextToFileBytes(job->ReportContents);
    return 0;
  }

  ConsolePrompt prompt(options.answers, StandardInputIsTerminal() ? &std::cin : nullptr, err, kPrefix);
  std::unique_ptr<RegistrySource> viewers = options.view ? OpenViewerClassRoot() : nullptr;
  ReportServices services;
  services.files = &LocalFileSystem();
  services.prompt = &prompt;
  services.registry = viewers.get();
  services.launcher = &LocalProcessLauncher();
  services.locale = &locale;
  services.now = [now] { return now; };
  job->SetServices(services);

  if (!job->StoreReportContent(options.view, options.outputFile)) {
    if (!prompt.Warned())
      err << kPrefix << ": '" << job->LocalFileName << "' exists and was not replaced (--overwrite replaces it)\n";
    return 1;
  }
  if (options.view) {
    // The viewer reads the temporary file after this program has ended: it stays in place.
    if (!job->ShellToApp() || prompt.Warned()) return 1;
  }
  return 0;
}

}  // namespace orlix::cli
