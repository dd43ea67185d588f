#include "app/options.h"

#include "app/captions.h"
#include "platform/path.h"

namespace orlix {

void Main() {
  LoadCaptions();
}

std::string DirectoryOfPath(const std::string& path) {
  const std::size_t slash = path.find_last_of(PathSeparators());
  if (slash == std::string::npos) return std::string();
  // A root keeps its separator: "C:\" and "/", and a UNC root stays as it is.
  const bool atRoot = slash == 0 || (slash == 2 && path[1] == ':');
  return path.substr(0, atRoot ? slash + 1 : slash);
}

}  // namespace orlix
