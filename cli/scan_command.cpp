#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/component_scan.h"
#include "app/detailed_rows.h"
#include "cli/command.h"
#include "cli/detail_options.h"
#include "cli/source_options.h"
#include "cli/table_output.h"

namespace orlix::cli {
namespace {

void WriteScanHelp(std::ostream& out) {
  out << "Usage: orlixreport scan [--json] [--details] [--broken] [--view 32|64|both]\n"
         "                        [--registry FILE | --wine-prefix DIR]\n\n"
         "Lists the COM components registered in a class root, one per line: ProgID, File Path,\n"
         "Version, Attribute, CLSID. Output is tab-separated with a header line; a tab, line\n"
         "break, carriage return or backslash in a value is written as \\t, \\n, \\r or \\\\.\n\n"
         "Options:\n"
         "  --json              write a JSON array of five-string arrays instead; with the\n"
         "                      details, an array of objects (progId, filePath, version,\n"
         "                      attribute, clsid, server, resolvedPath, file, view, scope)\n"
      << DetailOptionsHelp() << SourceOptionsHelp() << "  --help              show this help\n";
}

std::vector<TextRow> ComponentRows(const VariantArray& data) {
  std::vector<TextRow> rows;
  rows.reserve(static_cast<std::size_t>(data.UpperBound(1) + 1));
  for (std::int32_t r = 0; r <= data.UpperBound(1); ++r) {
    TextRow row;
    for (std::int32_t field = 0; field < component_field::kCount; ++field) row.emplace_back(data.At(field, r).Text());
    rows.push_back(std::move(row));
  }
  return rows;
}

// The rows of the chosen view(s): all ten columns, or the five fields alone.
std::vector<TextRow> ScannedRows(const SourceOptions& source, const DetailOptions& detail, std::ostream& err) {
  ComponentScan scan = ScanComponentsWithDetails(source, detail.view);
  if (!scan.warning.empty()) err << "orlixreport scan: warning: " << scan.warning << "\n";
  if (!detail.DetailColumns()) return ComponentRows(scan.data);
  std::vector<TextRow> rows;
  for (DetailedRow& row : DetailedRows(scan, detail.broken))
    rows.emplace_back(std::make_move_iterator(row.begin()), std::make_move_iterator(row.end()));
  return rows;
}

}  // namespace

int RunScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  SourceOptions source;
  DetailOptions detail;
  bool json = false;
  std::string error;
  for (std::size_t i = 0; i < args.size();) {
    const std::string& arg = args[i];
    if (IsHelpOption(arg)) {
      WriteScanHelp(out);
      return 0;
    }
    OptionResult taken = TakeSourceOption(args, &i, &source, &error);
    if (taken == OptionResult::NotMine) taken = TakeDetailOption(args, &i, &detail, &error);
    if (taken == OptionResult::Error) {
      err << "orlixreport scan: " << error << "\n";
      return 1;
    }
    if (taken == OptionResult::Taken) continue;
    if (arg == "--json") {
      json = true;
    } else {
      err << "orlixreport scan: unknown " << (arg.compare(0, 1, "-") == 0 ? "option" : "argument") << " '" << arg
          << "' (try 'orlixreport scan --help')\n";
      return 1;
    }
    ++i;
  }

  if (detail.Any()) {
    std::vector<TextRow> rows;
    try {
      rows = ScannedRows(source, detail, err);
    } catch (const ClassRootError& e) {
      err << "orlixreport scan: " << e.what() << "\n";
      return 1;
    }
    const std::vector<std::string> columns(kDetailedColumnHeaders.begin(),
                                           kDetailedColumnHeaders.begin() +
                                               (detail.DetailColumns() ? kDetailedColumnCount : component_field::kCount));
    if (json && detail.DetailColumns()) {
      WriteJsonObjects(out, std::vector<std::string>(kDetailedColumnKeys.begin(), kDetailedColumnKeys.end()), rows);
    } else if (json) {
      WriteJsonRows(out, rows);
    } else {
      WriteTsv(out, columns, rows);
    }
    return 0;
  }

  // Without the details: the scan as it always was, in the program's own view.
  OpenedClassRoot classRoot;
  try {
    classRoot = OpenClassRoot(source);
  } catch (const ClassRootError& e) {
    err << "orlixreport scan: " << e.what() << "\n";
    return 1;
  }
  if (!classRoot.warning.empty()) err << "orlixreport scan: warning: " << classRoot.warning << "\n";
  std::vector<TextRow> rows;
  {
    const VariantArray components = BuildComponentList(*classRoot.source);
    classRoot.source.reset();  // the files' text is no longer needed: free it before the rows are made
    rows = ComponentRows(components);
  }
  if (json) {
    WriteJsonRows(out, rows);
  } else {
    WriteTsv(out, {"ProgID", "File Path", "Version", "Attribute", "CLSID"}, rows);
  }
  return 0;
}

}  // namespace orlix::cli
