#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/console.h"

int main(int argc, char** argv) {
  orlix::cli::PrepareConsole();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  int status = orlix::cli::RunOrlixReport(args, std::cout, std::cerr);
  std::cout.flush();
  if (status == 0 && !std::cout) {
    std::cerr << "orlixreport: cannot write the output\n";
    status = 1;
  }
  return status;
}
