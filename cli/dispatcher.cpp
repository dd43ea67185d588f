#include <ostream>

#include "cli/command.h"

#ifndef ORLIX_VERSION
#define ORLIX_VERSION "0.0.0"
#endif

namespace orlix::cli {
namespace {

const Command kCommands[] = {
    {"scan", "list the COM components registered in a class root", RunScanCommand},
    {"styles", "list the report styles", RunStylesCommand},
    {"report", "render a report of the components or of any data", RunReportCommand},
    {"diff", "show what changed in the components between two scans", RunDiffCommand},
};

void WriteUsage(std::ostream& out) {
  out << "Usage: orlixreport COMMAND [OPTIONS]\n"
         "       orlixreport COMMAND --help\n\n"
         "Commands:\n";
  for (const Command& command : kCommands) {
    std::string name = command.name;
    name.resize(10, ' ');
    out << "  " << name << command.summary << "\n";
  }
  out << "\nOptions:\n"
         "  --help     show this help\n"
         "  --version  show the version\n";
}

}  // namespace

bool IsHelpOption(const std::string& arg) { return arg == "--help" || arg == "-h"; }

int RunOrlixReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "orlixreport: no command given (try 'orlixreport --help')\n";
    return 1;
  }
  const std::string& first = args.front();
  if (IsHelpOption(first)) {
    WriteUsage(out);
    return 0;
  }
  if (first == "--version") {
    out << "orlixreport " << ORLIX_VERSION << "\n";
    return 0;
  }
  for (const Command& command : kCommands) {
    if (first == command.name) return command.run(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
  }
  err << "orlixreport: unknown command '" << first << "' (try 'orlixreport --help')\n";
  return 1;
}

}  // namespace orlix::cli
