#include "cli/source_options.h"

#include <exception>

#include "platform/registry_file.h"

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

// The file-backed loaders throw RegistryFileError ("file:line: message") for a file that cannot
// be used; the tool passes that line on. Skipped malformed lines become one warning line.
template <typename Load>
std::unique_ptr<RegistrySource> LoadOrExplain(Load load, std::string* error, std::string* warning) {
  try {
    std::unique_ptr<FileRegistrySource> source = load();
    if (!source) {
      *error = "cannot read the registry source";
      return nullptr;
    }
    const auto& skipped = source->Warnings();
    if (warning != nullptr && !skipped.empty()) {
      *warning = std::to_string(skipped.size()) + " malformed line(s) skipped, the first at " +
                 DescribeRegistryFileProblem(skipped[0].file, skipped[0].line, skipped[0].message);
    }
    return source;
  } catch (const std::exception& e) {
    *error = e.what();
  }
  return nullptr;
}

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

std::unique_ptr<RegistrySource> OpenRegistrySource(const SourceOptions& options, std::string* error,
                                                   std::string* warning) {
  if (!options.registryFile.empty()) {
    return LoadOrExplain([&] { return LoadRegistryFile(options.registryFile); }, error, warning);
  }
  if (!options.winePrefix.empty()) return OpenWinePrefix(options.winePrefix, error, warning);
  return OpenDefaultRegistrySource(error, warning);
}

std::unique_ptr<RegistrySource> OpenWinePrefix(const std::string& dir, std::string* error, std::string* warning) {
  return LoadOrExplain([&] { return LoadWinePrefix(dir); }, error, warning);
}

std::string DefaultWinePrefix(const char* winePrefixVariable, const char* homeVariable) {
  if (winePrefixVariable != nullptr && *winePrefixVariable != '\0') return winePrefixVariable;
  if (homeVariable != nullptr && *homeVariable != '\0') {
    std::string home = homeVariable;
    if (home.back() != '/') home += '/';
    return home + ".wine";
  }
  return std::string();
}

}  // namespace orlix::cli
