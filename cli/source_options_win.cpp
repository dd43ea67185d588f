#include "cli/source_options.h"
#include "platform/registry_win.h"

namespace orlix::cli {

std::unique_ptr<RegistrySource> OpenDefaultRegistrySource(std::string*, std::string*) {
  return std::make_unique<Win32Registry>(HKEY_CLASSES_ROOT);
}

}  // namespace orlix::cli
