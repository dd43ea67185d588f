#include "reportview/data_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string_view>
#include <vector>

#include "base/json_lexer.h"
#include "base/text.h"

namespace orlix {
namespace {

// The cells as read, row after row in one block, with where each row ends. Rows of the common
// equal width then already are the data array's storage (field fastest) and move into it whole.
// Read row by row (with a sink), each row goes to the sink as it ends and only the open row is
// held.
struct Table {
  std::vector<Variant> cells;
  std::vector<std::size_t> rowEnds;
  const DataRowSink* sink = nullptr;
  bool skipFirst = false;  // the sink does not get the first row
  std::size_t ended = 0;   // rows given to the sink or skipped
  std::size_t widest = 0;  // cells of the widest row given to the sink

  std::size_t Rows() const { return sink ? ended : rowEnds.size(); }
  std::size_t RowStart(std::size_t r) const { return r == 0 ? 0 : rowEnds[r - 1]; }
  std::size_t RowSize(std::size_t r) const { return rowEnds[r] - RowStart(r); }
  // Cells added since the last row ended.
  bool OpenRowEmpty() const { return cells.size() == (rowEnds.empty() ? 0 : rowEnds.back()); }
  void AddCell(Variant&& cell) { cells.push_back(std::move(cell)); }
  void EndRow() {
    if (!sink) {
      rowEnds.push_back(cells.size());
      return;
    }
    if (ended++ > 0 || !skipFirst) {
      widest = cells.size() > widest ? cells.size() : widest;
      (*sink)(cells);
    }
    cells.clear();
  }
};

[[noreturn]] void Fail(const std::string& name, std::size_t line, const std::string& message) {
  throw DataFileError(name + ":" + std::to_string(line) + ": " + message);
}

// RFC 4180 text read in consecutive pieces, row by row into a table.
class CsvReader {
 public:
  CsvReader(Table& rows, const std::string& name) : rows_(rows), name_(name) {}

  // Reads `s` on from where the previous piece ended; returns how much of it was read. With
  // `more` pieces to come, a quote or carriage return at its end waits for the next character.
  std::size_t Feed(std::string_view s, bool more) {
    for (std::size_t i = 0; i < s.size(); ++i) {
      const char c = s[i];
      if (more && i + 1 == s.size() && (c == '"' || c == '\r')) return i;
      if (quoted_) {
        if (c == '"') {
          if (i + 1 < s.size() && s[i + 1] == '"') {
            cell_ += '"';
            ++i;
          } else {
            quoted_ = false;
          }
        } else {
          if (c == '\n') ++line_;
          cell_ += c;
        }
        continue;
      }
      if (c == '"' && cell_.empty() && !wasQuoted_) {
        quoted_ = wasQuoted_ = rowHasContent_ = true;
        quoteLine_ = line_;
      } else if (c == ',') {
        rowHasContent_ = true;
        EndCell();
      } else if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
        continue;
      } else if (c == '\n') {
        EndRow();
        ++line_;
      } else {
        rowHasContent_ = true;
        cell_ += c;
      }
    }
    return s.size();
  }

  void Finish() {
    if (quoted_) Fail(name_, quoteLine_, "a quoted field is not closed");
    EndRow();
  }

 private:
  void EndCell() {
    rows_.AddCell(Variant::FromText(cell_));
    cell_.clear();
    wasQuoted_ = false;
  }
  void EndRow() {
    // A line with nothing on it is no row; a row of one empty quoted field is.
    if (rowHasContent_ || !rows_.OpenRowEmpty()) {
      EndCell();
      rows_.EndRow();
    }
    cell_.clear();
    wasQuoted_ = false;
    rowHasContent_ = false;
  }

  Table& rows_;
  const std::string& name_;
  std::string cell_;
  bool quoted_ = false;     // inside a quoted field
  bool wasQuoted_ = false;  // the current field was quoted (text after its closing quote is kept)
  bool rowHasContent_ = false;
  std::size_t line_ = 1, quoteLine_ = 1;
};

// Whole lines of tab-separated text into `rows`; *line counts the lines read before.
void ParseTsv(std::string_view s, const std::string& name, Table& rows, std::size_t* line) {
  for (std::string text : Split(s, "\n")) {
    const std::size_t number = ++*line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty()) continue;
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
          default: Fail(name, number, std::string("unknown escape \\") + raw[i]);
        }
      }
      rows.AddCell(Variant::FromText(std::move(cell)));
    }
    rows.EndRow();
  }
}

// Appends the next block of the input to the text; false, with nothing appended, at its end.
using MoreText = std::function<bool(std::string& text)>;

class JsonReader : JsonLexer {
  static constexpr std::size_t kRowsForEstimate = 64;

 public:
  JsonReader(std::string_view s, const std::string& name) : JsonLexer(s), name_(name) {}
  // Reads the input in blocks through `more`, starting with what `text` already holds, and
  // holds no more of it than the row being read needs.
  JsonReader(std::string& text, MoreText more, const std::string& name)
      : JsonLexer(text), name_(name), text_(&text), more_(std::move(more)) {}

  void Document(Table& rows) {
    HaveToken();
    Expect('[', "the data must be a JSON array of rows");
    HaveToken();
    if (!Consume(']')) {
      do {
        HaveRow();
        RowValue(rows);
        // Room for all the cells at once, judged by the first rows, rather than moving them
        // again and again as the table grows.
        if (rows.Rows() == kRowsForEstimate && i_ < s_.size() && !text_) {
          const double perByte = static_cast<double>(rows.cells.size()) / static_cast<double>(i_);
          const double estimate = perByte * static_cast<double>(s_.size()) * 1.05 + 16;
          rows.cells.reserve(estimate < static_cast<double>(kMaxDataCells) ? static_cast<std::size_t>(estimate)
                                                                             : kMaxDataCells);
        }
      } while (Consume(','));
      Expect(']', "expected ',' or ']' after a row");
    }
    while (More()) {
    }
    SkipSpace();
    if (i_ != s_.size()) Error("unexpected text after the array of rows");
  }

 private:
  // Read in blocks, the text holds from the read position on at least the next character that
  // is not blank (or the rest of the input).
  void HaveToken() {
    while (NextToken(i_) == s_.size() && More()) {
    }
  }

  // Read in blocks, the text holds the row that starts at the read position whole, and the
  // next character after it that is not blank (or the rest of the input). The row's end is
  // found by its brackets outside strings; whatever the reader then finds wrong lies within.
  void HaveRow() {
    if (!text_) return;
    while (!RowHeld() && More()) {
    }
  }

  bool RowHeld() const {
    std::size_t k = NextToken(i_);
    if (k == s_.size()) return false;
    if (s_[k] != '[') return true;
    int depth = 0;
    for (; k < s_.size(); ++k) {
      const char c = s_[k];
      if (c == '"') {
        for (++k; k < s_.size() && s_[k] != '"'; ++k)
          if (s_[k] == '\\') ++k;
        if (k >= s_.size()) return false;
      } else if (c == '[' || c == '{') {
        ++depth;
      } else if ((c == ']' || c == '}') && --depth == 0) {
        return NextToken(k + 1) < s_.size();
      }
    }
    return false;
  }

  std::size_t NextToken(std::size_t from) const {
    while (from < s_.size() && (s_[from] == ' ' || s_[from] == '\t' || s_[from] == '\r' || s_[from] == '\n')) ++from;
    return from < s_.size() ? from : s_.size();
  }

  // Drops the text already read and appends the next block; false at the end of the input.
  bool More() {
    if (!text_) return false;
    if (i_ > 0) {
      linesBefore_ += static_cast<std::size_t>(std::count(text_->begin(), text_->begin() + static_cast<std::ptrdiff_t>(i_), '\n'));
      text_->erase(0, i_);
      i_ = 0;
    }
    const bool appended = more_(*text_);
    s_ = *text_;
    return appended;
  }

  void RowValue(Table& rows) {
    Expect('[', "each row must be an array of cells");
    if (!Consume(']')) {
      do {
        rows.AddCell(Cell());
      } while (Consume(','));
      Expect(']', "expected ',' or ']' after a cell");
    }
    rows.EndRow();
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
    const std::string_view text = s_.substr(start, i_ - start);
    const bool negative = text[0] == '-';
    if (integral && text.size() - negative <= 18) {
      // Exact in 64 bits; converting that to double rounds as reading the text would.
      std::int64_t whole = 0;
      for (std::size_t k = negative; k < text.size(); ++k) whole = whole * 10 + (text[k] - '0');
      if (negative) whole = -whole;
      if (whole >= INT32_MIN && whole <= INT32_MAX) return Variant::FromInt32(static_cast<std::int32_t>(whole));
      return Variant::FromDouble(static_cast<double>(whole));
    }
    double value = 0;
    const auto read = std::from_chars(text.data(), text.data() + text.size(), value);
    if (read.ec != std::errc() || read.ptr != text.data() + text.size()) {
      // Out of range: too large fails, too small reads as the C library rounds it.
      const std::string copy(text);
      errno = 0;
      value = std::strtod(copy.c_str(), nullptr);
      if (errno == ERANGE && std::isinf(value)) Error("the number " + copy + " is too large");
    }
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
    std::string out;
    const StringFault fault = ReadString(out);
    if (fault == StringFault::kUnknownEscape) Error(std::string("unknown escape \\") + s_[i_ - 1]);
    if (fault != StringFault::kNone) Error(StringFaultText(fault));
    return out;
  }

  bool Word(std::string_view word) {
    if (s_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }

  // The message is made into text only when it is needed: this runs for every row.
  void Expect(char c, const char* message) {
    if (!Consume(c)) Error(message);
  }

  [[noreturn]] void Error(const std::string& message) const { Fail(name_, linesBefore_ + Line(), message); }

  const std::string& name_;
  std::string* text_ = nullptr;  // read in blocks: the text s_ views
  MoreText more_;
  std::size_t linesBefore_ = 0;  // lines of the text dropped
};

std::string Extension(const std::string& fileName) {
  const std::size_t slash = fileName.find_last_of("/\\");
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return ToLowerAscii(fileName.substr(dot + 1));
}

// The format a file name's extension names; false for other names.
bool FormatByExtension(const std::string& fileName, DataFormat* format) {
  const std::string ext = Extension(fileName);
  if (ext == "csv") *format = DataFormat::Csv;
  else if (ext == "tsv" || ext == "tab" || ext == "txt") *format = DataFormat::Tsv;
  else if (ext == "json") *format = DataFormat::Json;
  else return false;
  return true;
}

// The ceiling of the table's cells: short rows are padded to the widest one, so a few long lines
// among many short ones would ask for far more cells than the file holds.
void CheckCellCount(std::size_t rowCount, std::size_t fields, const std::string& name) {
  if (fields > 0x7FFFFFFFu || rowCount > 0x7FFFFFFFu || (fields > 0 && rowCount > kMaxDataCells / fields))
    throw DataFileError(name + ": too many cells (" + std::to_string(rowCount) + " rows of up to " +
                        std::to_string(fields) + " fields; at most " + std::to_string(kMaxDataCells) + " cells)");
}

void ParseInto(std::string_view text, DataFormat format, const std::string& name, Table& rows) {
  switch (format) {
    case DataFormat::Csv: {
      CsvReader reader(rows, name);
      reader.Feed(text, false);
      reader.Finish();
      break;
    }
    case DataFormat::Tsv: {
      std::size_t line = 0;
      ParseTsv(text, name, rows, &line);
      break;
    }
    case DataFormat::Json: JsonReader(text, name).Document(rows); break;
  }
}

}  // namespace

DataFormat GuessDataFormat(const std::string& fileName, const std::string& content) {
  DataFormat format = DataFormat::Csv;
  if (FormatByExtension(fileName, &format)) return format;
  const std::size_t first = content.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && content[first] == '[') return DataFormat::Json;
  const std::size_t lineEnd = content.find('\n');
  return content.substr(0, lineEnd).find('\t') != std::string::npos ? DataFormat::Tsv : DataFormat::Csv;
}

VariantArray ParseDataFile(const std::string& content, DataFormat format, bool skipHeader, const std::string& name) {
  // A UTF-8 byte-order mark is no part of the first cell.
  std::string_view text = content;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  Table rows;
  ParseInto(text, format, name, rows);
  const std::size_t first = skipHeader && rows.Rows() > 0 ? 1 : 0;
  const std::size_t rowCount = rows.Rows() - first;
  std::size_t fields = 0;
  bool even = true;
  for (std::size_t r = first; r < rows.Rows(); ++r) {
    const std::size_t size = rows.RowSize(r);
    if (r > first && size != fields) even = false;
    fields = size > fields ? size : fields;
  }
  CheckCellCount(rowCount, fields, name);
  const auto fieldCount = static_cast<std::int32_t>(fields);
  const auto rowTotal = static_cast<std::int32_t>(rowCount);
  if (even && fields > 0) {
    if (first > 0) rows.cells.erase(rows.cells.begin(), rows.cells.begin() + static_cast<std::ptrdiff_t>(rows.RowSize(0)));
    return VariantArray::TwoDimensional(fieldCount, rowTotal, std::move(rows.cells));
  }
  VariantArray data = VariantArray::TwoDimensional(fieldCount, rowTotal);
  for (std::size_t r = first; r < rows.Rows(); ++r) {
    const std::size_t start = rows.RowStart(r);
    for (std::size_t f = 0; f < rows.RowSize(r); ++f)
      data.At(static_cast<std::int32_t>(f), static_cast<std::int32_t>(r - first)) = std::move(rows.cells[start + f]);
  }
  return data;
}

VariantArray ReadDataFile(const std::string& path, bool skipHeader, const DataFormat* format) {
  // Read in large blocks: a data file may hold many megabytes.
  const auto readAll = [](std::istream& in, std::string* content) {
    std::vector<char> block(std::size_t{1} << 16);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0)
      content->append(block.data(), static_cast<std::size_t>(in.gcount()));
  };
  std::string content;
  if (path == "-") {
    readAll(std::cin, &content);
  } else {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DataFileError(path + ": cannot open the file: " + std::strerror(errno));
    // A file of known size is read in one piece; whatever else (a pipe, a growing file) in blocks.
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > 0 && in) {
      content.resize(static_cast<std::size_t>(size));
      in.read(&content[0], static_cast<std::streamsize>(size));
      content.resize(static_cast<std::size_t>(in.gcount()));
    }
    in.clear(in.rdstate() & std::ios::badbit);
    if (!in.bad()) readAll(in, &content);
    if (in.bad()) throw DataFileError(path + ": cannot read the file");
  }
  const std::string name = path == "-" ? "standard input" : path;
  return ParseDataFile(content, format ? *format : GuessDataFormat(path, content), skipHeader, name);
}

DataShape ReadDataFileRows(const std::string& path, bool skipHeader, const DataRowSink& sink,
                           const DataFormat* format) {
  constexpr std::size_t kBlock = std::size_t{1} << 16;
  std::ifstream file;
  std::istream* in = &std::cin;
  if (path != "-") {
    file.open(path, std::ios::binary);
    if (!file) throw DataFileError(path + ": cannot open the file: " + std::strerror(errno));
    in = &file;
  }
  const std::string name = path == "-" ? "standard input" : path;
  // Appends the next block, as large as what the text holds already: a long row or line that
  // takes many blocks is not searched through again for every one.
  bool ended = false;
  const MoreText more = [&](std::string& text) {
    if (ended) return false;
    const std::size_t had = text.size();
    const std::size_t want = had > kBlock ? had : kBlock;
    text.resize(had + want);
    in->read(&text[had], static_cast<std::streamsize>(want));
    const auto got = static_cast<std::size_t>(in->gcount());
    text.resize(had + got);
    if (in->bad()) throw DataFileError(path + ": cannot read the file");
    ended = got < want;
    return got > 0;
  };

  std::string text;
  DataFormat chosen = DataFormat::Csv;
  if (format) {
    chosen = *format;
  } else if (!FormatByExtension(path, &chosen)) {
    // The guess reads the first line and the first character that is not blank.
    while ((text.find('\n') == std::string::npos || text.find_first_not_of(" \t\r\n") == std::string::npos) &&
           more(text)) {
    }
    chosen = GuessDataFormat(path, text);
  }
  // A UTF-8 byte-order mark is no part of the first cell.
  while (text.size() < 3 && more(text)) {
  }
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);

  Table rows;
  rows.sink = &sink;
  rows.skipFirst = skipHeader;
  switch (chosen) {
    case DataFormat::Csv: {
      CsvReader reader(rows, name);
      for (bool last = false;; last = !more(text)) {
        text.erase(0, reader.Feed(text, !last));
        if (last) break;
      }
      reader.Finish();
      break;
    }
    case DataFormat::Tsv: {
      std::size_t line = 0;
      for (bool last = false;; last = !more(text)) {
        // Whole lines only, each without its line feed; at the end whatever is left.
        const std::size_t feed = last ? text.size() + 1 : text.rfind('\n') + 1;
        if (feed > 0) {
          ParseTsv(std::string_view(text).substr(0, feed - 1), name, rows, &line);
          text.erase(0, feed < text.size() ? feed : text.size());
        }
        if (last) break;
      }
      break;
    }
    case DataFormat::Json: JsonReader(text, more, name).Document(rows); break;
  }
  const std::size_t rowCount = rows.ended - (skipHeader && rows.ended > 0 ? 1 : 0);
  CheckCellCount(rowCount, rows.widest, name);
  return DataShape{rowCount, rows.widest};
}

}  // namespace orlix
