#include "cli/table_output.h"

#include <cstdint>
#include <ostream>

#include "base/text_encoding.h"

namespace orlix::cli {

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

void WriteTsvCells(std::ostream& out, const std::string* cells, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out << '\t';
    if (cells[i].find_first_of("\t\n\r\\") == std::string::npos) {
      out << cells[i];
    } else {
      out << EscapeTsvCell(cells[i]);
    }
  }
  out << '\n';
}

void WriteTsv(std::ostream& out, const TextRow& header, const std::vector<TextRow>& rows) {
  WriteTsvCells(out, header.data(), header.size());
  for (const TextRow& row : rows) WriteTsvCells(out, row.data(), row.size());
}

std::string JsonString(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string json = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t next = i;
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(text, &next, &cp) ? next - i : 0;
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

void WriteJsonObjects(std::ostream& out, const std::vector<std::string>& keys, const std::vector<TextRow>& rows) {
  if (rows.empty()) {
    out << "[]\n";
    return;
  }
  out << "[\n";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    out << "  {";
    for (std::size_t i = 0; i < rows[r].size() && i < keys.size(); ++i) {
      if (i > 0) out << ", ";
      out << JsonString(keys[i]) << ": " << JsonString(rows[r][i]);
    }
    out << (r + 1 < rows.size() ? "},\n" : "}\n");
  }
  out << "]\n";
}

}  // namespace orlix::cli
