#include <cstdlib>

#include "cli/source_options.h"

namespace orlix::cli {

std::unique_ptr<RegistrySource> OpenDefaultRegistrySource(std::string* error, std::string* warning) {
  const std::string prefix = DefaultWinePrefix(std::getenv("WINEPREFIX"), std::getenv("HOME"));
  if (prefix.empty()) {
    *error = "no registry source: give --registry FILE or --wine-prefix DIR";
    return nullptr;
  }
  std::unique_ptr<RegistrySource> source = OpenWinePrefix(prefix, error, warning);
  if (!source) *error = "no registry source given and none found in the Wine prefix '" + prefix + "': " + *error;
  return source;
}

}  // namespace orlix::cli
