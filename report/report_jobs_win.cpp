#include "report/report_jobs.h"

#include "platform/registry_win.h"

namespace orlix {

std::unique_ptr<RegistrySource> OpenViewerClassRoot() { return std::make_unique<Win32Registry>(HKEY_CLASSES_ROOT); }

}  // namespace orlix
