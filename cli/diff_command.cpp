// orlixreport diff: what changed in the class root between two scans, one line per difference,
// with diff's exit statuses.
#include <exception>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "app/scan_diff.h"
#include "app/scan_source.h"
#include "cli/command.h"
#include "cli/detail_options.h"
#include "cli/table_output.h"

namespace orlix::cli {
namespace {

constexpr char kPrefix[] = "orlixreport diff";
constexpr int kSame = 0;
constexpr int kDifferent = 1;
constexpr int kTrouble = 2;

void WriteDiffHelp(std::ostream& out) {
  out << "Usage: orlixreport diff [--view 32|64|both] OLD NEW\n\n"
         "Compares the COM components of two sources. Each is a Wine prefix folder, a registry\n"
         "export or hive file, or a JSON file written by 'scan --json --details', recognised by\n"
         "its content. Rows are matched by ProgID and view; each difference is one line: '+'\n"
         "(only in NEW), '-' (only in OLD) or '~' (in both, some column differs), a tab, and the\n"
         "row as 'scan --details' writes it (the NEW row for '~').\n"
         "Exit status: 0 no differences, 1 differences, 2 trouble.\n\n"
         "Options:\n"
      << ViewOptionHelp()
      << "                      (a JSON file keeps its rows, only that view's when one is named)\n"
         "  --help              show this help\n";
}

}  // namespace

int RunDiffCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  DetailOptions detail;
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < args.size();) {
    const std::string& arg = args[i];
    if (IsHelpOption(arg)) {
      WriteDiffHelp(out);
      return kSame;
    }
    std::string error;
    const OptionResult taken = arg.compare(0, 6, "--view") == 0 ? TakeDetailOption(args, &i, &detail, &error)
                                                                 : OptionResult::NotMine;
    if (taken == OptionResult::Error) {
      err << kPrefix << ": " << error << "\n";
      return kTrouble;
    }
    if (taken == OptionResult::Taken) continue;
    if (arg.size() > 1 && arg[0] == '-') {
      err << kPrefix << ": unknown option '" << arg << "' (try 'orlixreport diff --help')\n";
      return kTrouble;
    }
    paths.push_back(arg);
    ++i;
  }
  if (paths.size() != 2) {
    err << kPrefix << ": needs two sources, OLD and NEW (try 'orlixreport diff --help')\n";
    return kTrouble;
  }

  try {
    const ScanSourceRows before = ReadScanSource(paths[0], detail.view);
    const ScanSourceRows after = ReadScanSource(paths[1], detail.view);
    for (const ScanSourceRows* source : {&before, &after}) {
      if (!source->warning.empty()) err << kPrefix << ": warning: " << source->warning << "\n";
    }
    const std::vector<ScanDifference> differences = DiffScans(before.rows, after.rows);
    for (const ScanDifference& difference : differences) {
      out << ScanChangeMark(difference.change) << '\t';
      WriteTsvCells(out, difference.row->data(), difference.row->size());
    }
    return differences.empty() ? kSame : kDifferent;
  } catch (const std::exception& e) {
    err << kPrefix << ": " << e.what() << "\n";
    return kTrouble;
  }
}

}  // namespace orlix::cli
