// orlixreport styles: the report jobs one can ask `orlixreport report` for.
#include <ostream>
#include <string>
#include <vector>

#include "base/text.h"
#include "cli/command.h"
#include "report/report_jobs.h"
#include "cli/table_output.h"
#include "report/library.h"
#include "report/report.h"

namespace orlix::cli {

namespace {

void WriteStylesHelp(std::ostream& out) {
  out << "Usage: orlixreport styles [--format rtf|html|csv] [--json]\n\n"
         "Lists the report jobs: the 16 RTF and 16 HTML styles and the comma-delimited job, one per\n"
         "line: Key, Type, Title, Description (tab-separated with a header line, escaped as scan does).\n"
         "A title or key names the style for 'orlixreport report --style'.\n\n"
         "Options:\n"
         "  --format F          only the jobs of one format\n"
         "  --json              write a JSON array of four-string arrays instead\n"
         "  --help              show this help\n";
}

}  // namespace

int RunStylesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool json = false;
  std::int32_t only = -1;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (IsHelpOption(arg)) {
      WriteStylesHelp(out);
      return 0;
    }
    if (arg == "--json") {
      json = true;
    } else if (arg == "--format" || arg.compare(0, 9, "--format=") == 0) {
      std::string value;
      if (arg == "--format") {
        if (i + 1 >= args.size()) {
          err << "orlixreport styles: --format needs a value (rtf, html or csv)\n";
          return 1;
        }
        value = args[++i];
      } else {
        value = arg.substr(9);
      }
      only = ReportTypeFromName(value);
      if (only < 0) {
        err << "orlixreport styles: unknown format '" << value << "' (rtf, html or csv)\n";
        return 1;
      }
    } else {
      err << "orlixreport styles: unknown " << (arg.compare(0, 1, "-") == 0 ? "option" : "argument") << " '" << arg
          << "' (try 'orlixreport styles --help')\n";
      return 1;
    }
  }

  ReportStyles jobs;
  try {
    LoadReportJobs(jobs, nullptr, nullptr);
  } catch (const std::exception& e) {
    err << "orlixreport styles: cannot load the report styles: " << e.what() << "\n";
    return 1;
  }
  std::vector<TextRow> rows;
  for (const auto& job : jobs) {
    if (only >= 0 && job->ReportType != only) continue;
    rows.push_back({job->Key, ReportTypeName(job->ReportType), job->Title, job->Description});
  }
  if (json) {
    WriteJsonRows(out, rows);
  } else {
    WriteTsv(out, {"Key", "Type", "Title", "Description"}, rows);
  }
  return 0;
}

}  // namespace orlix::cli
