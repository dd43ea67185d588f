#include <unistd.h>

#include <string>
#include <vector>

#include "app/options.h"

namespace orlix {

std::string ProgramDirectory() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<std::size_t>(n) < buffer.size()) {
      return DirectoryOfPath(std::string(buffer.data(), static_cast<std::size_t>(n)));
    }
    if (buffer.size() >= 65536) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace orlix
