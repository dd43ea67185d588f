#include "cli/report_jobs.h"

#include "platform/registry_source.h"

namespace orlix::cli {

std::unique_ptr<RegistrySource> OpenViewerClassRoot() { return nullptr; }

}  // namespace orlix::cli
