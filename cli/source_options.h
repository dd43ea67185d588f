// The registry source options shared by the commands that read a class root:
//   --registry FILE     a registry export (.reg) or a Wine hive file (system.reg, user.reg)
//   --wine-prefix DIR   the class root of a Wine prefix (its system.reg and user.reg)
// Without either: the live class root on Windows; elsewhere the prefix $WINEPREFIX, then ~/.wine.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry_source.h"

namespace orlix::cli {

struct SourceOptions {
  std::string registryFile;
  std::string winePrefix;
};

enum class OptionResult { NotMine, Taken, Error };

// Looks at args[*index]: a source option (with its value, "--opt VALUE" or "--opt=VALUE") is
// taken into *options and *index moves past it. A missing value, an empty value, a repeated
// option or both sources given is an Error with a one-line *error.
OptionResult TakeSourceOption(const std::vector<std::string>& args, std::size_t* index, SourceOptions* options,
                              std::string* error);

// Help lines for the options, indented like the commands' own.
const char* SourceOptionsHelp();

// Opens the chosen class root; null with a one-line *error when it cannot be read. Lines of a
// file that were skipped as malformed are summed up in one line in *warning (when given).
std::unique_ptr<RegistrySource> OpenRegistrySource(const SourceOptions& options, std::string* error,
                                                   std::string* warning = nullptr);

// The source used when no option names one: the live registry on Windows, a Wine prefix elsewhere.
std::unique_ptr<RegistrySource> OpenDefaultRegistrySource(std::string* error, std::string* warning);

// The class root of the Wine prefix in `dir`; null with a one-line *error when its registry
// files are missing or cannot be read.
std::unique_ptr<RegistrySource> OpenWinePrefix(const std::string& dir, std::string* error, std::string* warning);

// The Wine prefix used by default: $WINEPREFIX when set and not empty, else $HOME/.wine; empty
// when neither can be formed.
std::string DefaultWinePrefix(const char* winePrefixVariable, const char* homeVariable);

}  // namespace orlix::cli
