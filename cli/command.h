// The commands of orlixreport. Each lives in cli/<name>_command.cpp and has one line in the
// dispatcher's table (cli/dispatcher.cpp).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace orlix::cli {

// Runs one command with the arguments after its name; returns the process exit status
// (0 done, 1 bad input or a missing source, with one line on `err`).
using CommandFunction = int (*)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

struct Command {
  const char* name;
  const char* summary;
  CommandFunction run;
};

int RunScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunStylesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// Exits as diff does: 0 no differences, 1 differences, 2 trouble.
int RunDiffCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The whole tool: `args` without the program name.
int RunOrlixReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// True for "--help" and "-h": every command answers them.
bool IsHelpOption(const std::string& arg);

}  // namespace orlix::cli
