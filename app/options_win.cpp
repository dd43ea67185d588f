#include <windows.h>

#include <string>
#include <vector>

#include "app/options.h"
#include "platform/ansi_win.h"

namespace orlix {

std::string ProgramDirectory() {
  // Paths may exceed MAX_PATH: grow until the name fits without being cut.
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return DirectoryOfPath(AnsiToUtf8(std::string(buffer.data(), n)));
    if (buffer.size() >= 32768) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace orlix
