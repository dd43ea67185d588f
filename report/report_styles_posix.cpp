// The built-in report style store, compiled into the native build from resources/reportformats.txt.
#include <cstddef>

#include "report/report_styles.h"

// Generated at build time from the store file (resources/CMakeLists.txt).
extern "C" const unsigned char orlix_reportformats_data[];
extern "C" const std::size_t orlix_reportformats_size;

namespace orlix {

namespace {

// Code page 1252, the ANSI code page of the English systems the store is written for, for
// the bytes 0x80 to 0x9F; the rest of the upper half is Latin-1. Zero marks unassigned bytes.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string Cp1252ToUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out += ch;
    } else if (b < 0xA0) {
      // Unassigned bytes map to the C1 control of the same value, as Windows does.
      const char16_t mapped = kCp1252High[b - 0x80];
      AppendUtf8(out, mapped ? mapped : b);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

}  // namespace

std::string LoadBuiltInFormatBytes() {
  return std::string(reinterpret_cast<const char*>(orlix_reportformats_data), orlix_reportformats_size);
}

std::string LoadBuiltInFormats() {
  // The store is part of the program: decoded once.
  static const std::string text = Cp1252ToUtf8(LoadBuiltInFormatBytes());
  return text;
}

}  // namespace orlix
