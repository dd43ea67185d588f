// Which file a registered server path names on the scanned system, as COM would find it:
// quotes removed, a local server's command arguments dropped as CreateProcess splits them,
// environment references expanded with the system's own values, a bare name looked up as the
// loader looks it up, and a 32-bit view's system folder redirected as WOW64 redirects it.
#pragma once

#include <string>

#include "app/component_details.h"
#include "app/scanned_system.h"

namespace orlix {

struct ResolvedFile {
  std::string path;  // empty when the value names no file
  FileState file = FileState::kUnknown;
};

// `server` is the server subkey that gave `filePath` ("InprocServer32", "LocalServer32", ...).
ResolvedFile ResolveServerFile(const std::string& server, const std::string& filePath, RegistryView view,
                               const SystemFacts& facts, FileProbe& files);

// %NAME% references replaced as ExpandEnvironmentStrings does for a process of `view`; an
// unknown name stays as written.
std::string ExpandEnvironment(const std::string& text, RegistryView view, const SystemFacts& facts);

}  // namespace orlix
