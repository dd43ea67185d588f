#include "platform/process_launcher.h"

namespace orlix {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> args;
  std::size_t i = 0;
  const std::size_t n = commandLine.size();
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (true) {
    while (i < n && blank(commandLine[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !blank(commandLine[i]))) {
      const char c = commandLine[i];
      if (c == '\\') {
        std::size_t slashes = 0;
        while (i < n && commandLine[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < n && commandLine[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
      } else if (c == '"') {
        quoted = !quoted;
        ++i;
      } else {
        arg += c;
        ++i;
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace orlix
