#include "cli/source_options.h"

namespace orlix::cli {
namespace {

struct SourceOption {
  const char* name;
  std::string SourceOptions::*field;
};

const SourceOption kSourceOptions[] = {
    {"--registry", &SourceOptions::registryFile},
    {"--wine-prefix", &SourceOptions::winePrefix},
};

}  // namespace

OptionResult TakeSourceOption(const std::vector<std::string>& args, std::size_t* index, SourceOptions* options,
                              std::string* error) {
  const std::string& arg = args[*index];
  for (const SourceOption& option : kSourceOptions) {
    const std::string name = option.name;
    std::string value;
    std::size_t used = 1;
    if (arg == name) {
      if (*index + 1 >= args.size()) {
        *error = name + " needs a value";
        return OptionResult::Error;
      }
      value = args[*index + 1];
      used = 2;
    } else if (arg.compare(0, name.size() + 1, name + "=") == 0) {
      value = arg.substr(name.size() + 1);
    } else {
      continue;
    }
    if (value.empty()) {
      *error = name + " needs a value";
      return OptionResult::Error;
    }
    std::string& field = options->*option.field;
    if (!field.empty()) {
      *error = name + " given twice";
      return OptionResult::Error;
    }
    if (!options->registryFile.empty() || !options->winePrefix.empty()) {
      *error = "give either --registry or --wine-prefix, not both";
      return OptionResult::Error;
    }
    field = value;
    *index += used;
    return OptionResult::Taken;
  }
  return OptionResult::NotMine;
}

const char* SourceOptionsHelp() {
  return "  --registry FILE     read the class root from a registry export (.reg) or a Wine\n"
         "                      hive file (system.reg, user.reg)\n"
         "  --wine-prefix DIR   read the class root of a Wine prefix\n"
         "                      (default: the live registry on Windows; elsewhere $WINEPREFIX,\n"
         "                      then ~/.wine)\n";
}

}  // namespace orlix::cli
