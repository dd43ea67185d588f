#include <cstdlib>

#include "app/scanned_system.h"

namespace orlix {

std::unique_ptr<ScannedSystem> OpenDefaultScannedSystem() {
  const std::string prefix = DefaultWinePrefix(std::getenv("WINEPREFIX"), std::getenv("HOME"));
  if (prefix.empty()) throw ClassRootError("no registry source: give --registry FILE or --wine-prefix DIR");
  try {
    return OpenWinePrefixSystem(prefix);
  } catch (const ClassRootError& e) {
    throw ClassRootError("no registry source given and none found in the Wine prefix '" + prefix + "': " + e.what());
  }
}

}  // namespace orlix
