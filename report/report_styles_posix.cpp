// The built-in report style store, compiled into the native build from resources/reportformats.txt.
#include <cstddef>

#include "base/text_encoding.h"
#include "report/report_styles.h"

// Generated at build time from the store file (resources/CMakeLists.txt).
extern "C" const unsigned char orlix_reportformats_data[];
extern "C" const std::size_t orlix_reportformats_size;

namespace orlix {

std::string LoadBuiltInFormatBytes() {
  return std::string(reinterpret_cast<const char*>(orlix_reportformats_data), orlix_reportformats_size);
}

// The store is written in code page 1252, the ANSI code page of the systems it was made for. It is
// part of the program: decoded once.
std::string LoadBuiltInFormats() {
  static const std::string text = Cp1252ToUtf8(LoadBuiltInFormatBytes());
  return text;
}

}  // namespace orlix
