#include "cli/table_output.h"

#include <cstdint>
#include <ostream>

namespace orlix::cli {
namespace {

void WriteTsvLine(std::ostream& out, const TextRow& cells) {
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) out << '\t';
    out << EscapeTsvCell(cells[i]);
  }
  out << '\n';
}

// Length of the well-formed UTF-8 sequence starting at text[i], or 0 when it is not one
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t Utf8SequenceLength(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  std::uint32_t min = 0;
  std::uint32_t value = 0;
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, min = 0x80, value = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, min = 0x800, value = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, value = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i + k) & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string EscapeTsvCell(const std::string& cell) {
  std::string escaped;
  escaped.reserve(cell.size());
  for (const char c : cell) {
    switch (c) {
      case '\t': escaped += "\\t"; break;
      case '\n': escaped += "\\n"; break;
      case '\r': escaped += "\\r"; break;
      case '\\': escaped += "\\\\"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

void WriteTsv(std::ostream& out, const TextRow& header, const std::vector<TextRow>& rows) {
  WriteTsvLine(out, header);
  for (const TextRow& row : rows) WriteTsvLine(out, row);
}

std::string JsonString(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string json = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      json += "\\ufffd";
      ++i;
      continue;
    }
    if (length > 1) {
      json.append(text, i, length);
      i += length;
      continue;
    }
    switch (c) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\b': json += "\\b"; break;
      case '\f': json += "\\f"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (c < 0x20) {
          json += "\\u00";
          json += kHex[c >> 4];
          json += kHex[c & 0xF];
        } else {
          json += static_cast<char>(c);
        }
    }
    ++i;
  }
  json += '"';
  return json;
}

void WriteJsonRows(std::ostream& out, const std::vector<TextRow>& rows) {
  if (rows.empty()) {
    out << "[]\n";
    return;
  }
  out << "[\n";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    out << "  [";
    for (std::size_t i = 0; i < rows[r].size(); ++i) {
      if (i > 0) out << ", ";
      out << JsonString(rows[r][i]);
    }
    out << (r + 1 < rows.size() ? "],\n" : "]\n");
  }
  out << "]\n";
}

}  // namespace orlix::cli
