#include "reportview/data_file.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <vector>

#include "base/text.h"
#include "base/text_encoding.h"

namespace orlix {
namespace {

using Row = std::vector<Variant>;

[[noreturn]] void Fail(const std::string& name, std::size_t line, const std::string& message) {
  throw DataFileError(name + ":" + std::to_string(line) + ": " + message);
}

std::vector<Row> ParseCsv(const std::string& s, const std::string& name) {
  std::vector<Row> rows;
  Row row;
  std::string cell;
  bool quoted = false;     // inside a quoted field
  bool wasQuoted = false;  // the current field was quoted (text after its closing quote is kept)
  bool rowHasContent = false;
  std::size_t line = 1, quoteLine = 1;
  auto endCell = [&] {
    row.push_back(Variant::FromText(cell));
    cell.clear();
    wasQuoted = false;
  };
  auto endRow = [&] {
    // A line with nothing on it is no row; a row of one empty quoted field is.
    if (rowHasContent || !row.empty()) {
      endCell();
      rows.push_back(std::move(row));
    }
    row.clear();
    cell.clear();
    wasQuoted = false;
    rowHasContent = false;
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < s.size() && s[i + 1] == '"') {
          cell += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        if (c == '\n') ++line;
        cell += c;
      }
      continue;
    }
    if (c == '"' && cell.empty() && !wasQuoted) {
      quoted = wasQuoted = rowHasContent = true;
      quoteLine = line;
    } else if (c == ',') {
      rowHasContent = true;
      endCell();
    } else if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
      continue;
    } else if (c == '\n') {
      endRow();
      ++line;
    } else {
      rowHasContent = true;
      cell += c;
    }
  }
  if (quoted) Fail(name, quoteLine, "a quoted field is not closed");
  endRow();
  return rows;
}

std::vector<Row> ParseTsv(const std::string& s, const std::string& name) {
  std::vector<Row> rows;
  std::size_t line = 0;
  for (std::string text : Split(s, "\n")) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty()) continue;
    Row row;
    for (const std::string& raw : Split(text, "\t")) {
      std::string cell;
      for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
          cell += raw[i];
          continue;
        }
        switch (raw[++i]) {
          case 't': cell += '\t'; break;
          case 'n': cell += '\n'; break;
          case 'r': cell += '\r'; break;
          case '\\': cell += '\\'; break;
          default: Fail(name, line, std::string("unknown escape \\") + raw[i]);
        }
      }
      row.push_back(Variant::FromText(cell));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

class JsonReader {
 public:
  JsonReader(const std::string& s, const std::string& name) : s_(s), name_(name) {}

  std::vector<Row> Document() {
    std::vector<Row> rows;
    Expect('[', "the data must be a JSON array of rows");
    if (!Consume(']')) {
      do {
        rows.push_back(RowValue());
      } while (Consume(','));
      Expect(']', "expected ',' or ']' after a row");
    }
    SkipSpace();
    if (i_ != s_.size()) Error("unexpected text after the array of rows");
    return rows;
  }

 private:
  Row RowValue() {
    Row row;
    Expect('[', "each row must be an array of cells");
    if (!Consume(']')) {
      do {
        row.push_back(Cell());
      } while (Consume(','));
      Expect(']', "expected ',' or ']' after a cell");
    }
    return row;
  }

  Variant Cell() {
    SkipSpace();
    if (i_ >= s_.size()) Error("unexpected end of the data");
    const char c = s_[i_];
    if (c == '"') return Variant::FromText(String());
    if (c == '-' || (c >= '0' && c <= '9')) return Number();
    if (Word("true")) return Variant::FromBool(true);
    if (Word("false")) return Variant::FromBool(false);
    if (Word("null")) return Variant::Null();
    if (c == '[' || c == '{') Error("a cell must be a string, number, true, false or null");
    Error("unexpected character '" + std::string(1, c) + "'");
  }

  Variant Number() {
    const std::size_t start = i_;
    bool integral = true;
    if (s_[i_] == '-') ++i_;
    if (i_ < s_.size() && s_[i_] == '0') {
      ++i_;
    } else if (!Digits()) {
      Error("a number needs digits");
    }
    if (i_ < s_.size() && s_[i_] == '.') {
      ++i_;
      integral = false;
      if (!Digits()) Error("a number needs digits after its decimal point");
    }
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      ++i_;
      integral = false;
      if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
      if (!Digits()) Error("a number needs digits in its exponent");
    }
    const std::string text = s_.substr(start, i_ - start);
    errno = 0;
    const double value = std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value)) Error("the number " + text + " is too large");
    if (integral && value >= -2147483648.0 && value <= 2147483647.0)
      return Variant::FromInt32(static_cast<std::int32_t>(value));
    return Variant::FromDouble(value);
  }

  bool Digits() {
    const std::size_t start = i_;
    while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
    return i_ > start;
  }

  std::string String() {
    ++i_;  // the opening quote
    std::string out;
    while (true) {
      if (i_ >= s_.size()) Error("a string is not closed");
      const char c = s_[i_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) Error("a control character inside a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) Error("a string is not closed");
      const char e = s_[i_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': AppendUtf8(out, CodePoint()); break;
        default: Error(std::string("unknown escape \\") + e);
      }
    }
  }

  unsigned Hex4() {
    if (i_ + 4 > s_.size()) Error("\\u needs four hexadecimal digits");
    unsigned v = 0;
    for (int k = 0; k < 4; ++k) {
      const char h = s_[i_++];
      v <<= 4;
      if (h >= '0' && h <= '9') v |= static_cast<unsigned>(h - '0');
      else if (h >= 'a' && h <= 'f') v |= static_cast<unsigned>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') v |= static_cast<unsigned>(h - 'A' + 10);
      else Error("\\u needs four hexadecimal digits");
    }
    return v;
  }

  char32_t CodePoint() {
    const unsigned first = Hex4();
    if (first >= 0xD800 && first <= 0xDBFF) {
      if (i_ + 2 <= s_.size() && s_[i_] == '\\' && s_[i_ + 1] == 'u') {
        i_ += 2;
        const unsigned second = Hex4();
        if (second >= 0xDC00 && second <= 0xDFFF) return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
      }
      return 0xFFFD;
    }
    if (first >= 0xDC00 && first <= 0xDFFF) return 0xFFFD;
    return first;
  }

  bool Word(const char* word) {
    const std::size_t n = std::strlen(word);
    if (s_.compare(i_, n, word) != 0) return false;
    i_ += n;
    return true;
  }

  void SkipSpace() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
  }
  bool Consume(char c) {
    SkipSpace();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  void Expect(char c, const std::string& message) {
    if (!Consume(c)) Error(message);
  }

  [[noreturn]] void Error(const std::string& message) const {
    std::size_t line = 1;
    for (std::size_t k = 0; k < i_ && k < s_.size(); ++k)
      if (s_[k] == '\n') ++line;
    Fail(name_, line, message);
  }

  const std::string& s_;
  const std::string& name_;
  std::size_t i_ = 0;
};

std::string Extension(const std::string& fileName) {
  const std::size_t slash = fileName.find_last_of("/\\");
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return ToLowerAscii(fileName.substr(dot + 1));
}

}  // namespace

DataFormat GuessDataFormat(const std::string& fileName, const std::string& content) {
  const std::string ext = Extension(fileName);
  if (ext == "csv") return DataFormat::Csv;
  if (ext == "tsv" || ext == "tab" || ext == "txt") return DataFormat::Tsv;
  if (ext == "json") return DataFormat::Json;
  const std::size_t first = content.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && content[first] == '[') return DataFormat::Json;
  const std::size_t lineEnd = content.find('\n');
  return content.substr(0, lineEnd).find('\t') != std::string::npos ? DataFormat::Tsv : DataFormat::Csv;
}

VariantArray ParseDataFile(const std::string& content, DataFormat format, bool skipHeader, const std::string& name) {
  // A UTF-8 byte-order mark is no part of the first cell.
  const std::string text = content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? content.substr(3) : content;
  std::vector<Row> rows;
  switch (format) {
    case DataFormat::Csv: rows = ParseCsv(text, name); break;
    case DataFormat::Tsv: rows = ParseTsv(text, name); break;
    case DataFormat::Json: rows = JsonReader(text, name).Document(); break;
  }
  if (skipHeader && !rows.empty()) rows.erase(rows.begin());
  std::size_t fields = 0;
  for (const Row& row : rows) fields = row.size() > fields ? row.size() : fields;
  // Short rows are padded to the widest one, so a few long lines among many short ones would
  // ask for far more cells than the file holds: the table has a ceiling.
  if (fields > 0x7FFFFFFFu || rows.size() > 0x7FFFFFFFu || (fields > 0 && rows.size() > kMaxDataCells / fields))
    throw DataFileError(name + ": too many cells (" + std::to_string(rows.size()) + " rows of up to " +
                        std::to_string(fields) + " fields; at most " + std::to_string(kMaxDataCells) + " cells)");
  VariantArray data = VariantArray::TwoDimensional(static_cast<std::int32_t>(fields), static_cast<std::int32_t>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t f = 0; f < rows[r].size(); ++f)
      data.At(static_cast<std::int32_t>(f), static_cast<std::int32_t>(r)) = std::move(rows[r][f]);
  return data;
}

VariantArray ReadDataFile(const std::string& path, bool skipHeader, const DataFormat* format) {
  std::string content;
  if (path == "-") {
    content.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DataFileError(path + ": cannot open the file: " + std::strerror(errno));
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) throw DataFileError(path + ": cannot read the file");
  }
  const std::string name = path == "-" ? "standard input" : path;
  return ParseDataFile(content, format ? *format : GuessDataFormat(path, content), skipHeader, name);
}

}  // namespace orlix
