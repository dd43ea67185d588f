#include "platform/file_system.h"

#include "base/text.h"

namespace orlix {

std::string TextToFileBytes(const std::string& utf8) {
  // ASCII reads the same in UTF-8 and in every code page a report is written in, and no UTF-8
  // sequence, valid or not, reaches across an ASCII byte: runs of ASCII are copied as they stand
  // and only the runs of other bytes go through the conversion.
  std::size_t ascii = AsciiPrefixLength(utf8);
  if (ascii == utf8.size()) return utf8;
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  for (;;) {
    out.append(utf8, pos, ascii);
    pos += ascii;
    if (pos == utf8.size()) break;
    std::size_t end = pos;
    while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80) ++end;
    AppendNonAsciiFileBytes(out, std::string_view(utf8).substr(pos, end - pos));
    pos = end;
    ascii = AsciiPrefixLength(std::string_view(utf8).substr(pos));
  }
  return out;
}

}  // namespace orlix
