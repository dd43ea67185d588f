#include "report/library.h"

#include "base/text.h"

namespace orlix {

std::string TrimAtNull(const std::string& text) {
  const std::size_t nul = text.find('\0');
  if (nul == std::string::npos) return std::string();
  return TrimSpaces(text.substr(0, nul));
}

}  // namespace orlix
