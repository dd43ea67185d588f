#include "report/report_jobs.h"

#include "platform/registry_source.h"

namespace orlix {

std::unique_ptr<RegistrySource> OpenViewerClassRoot() { return nullptr; }

}  // namespace orlix
