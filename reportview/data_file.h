// Data for a report read from a file: the cells of a host's data array, field by row.
//   CSV   RFC 4180: commas, fields in double quotes may hold commas, line breaks and "" for a quote.
//   TSV   tabs between cells, one row per line; \t \n \r and \\ in a cell stand for a tab, line
//         feed, carriage return and backslash (the escapes `orlixreport scan` writes).
//   JSON  an array of rows, each an array of cells: strings, numbers, true/false or null.
// Column j of the file is field j; row i is row i. CSV and TSV cells are text; JSON cells keep
// their type (whole numbers that fit 32 bits are integers, other numbers floating point).
// Rows shorter than the widest one leave their missing cells empty.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/variant.h"

namespace orlix {

enum class DataFormat { Csv, Tsv, Json };

// Most cells a table may have, counting the empty ones that pad short rows to the widest row.
constexpr std::size_t kMaxDataCells = std::size_t{1} << 24;

// A file that cannot be read; what() is "file:line: message" (or "file: message").
class DataFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// By extension (.csv, .tsv/.tab/.txt, .json); other names by content: '[' first means JSON, a
// tab in the first line TSV, otherwise CSV.
DataFormat GuessDataFormat(const std::string& fileName, const std::string& content);

// Parses `content`. With `skipHeader` the first row (a line of column names) is dropped.
// `name` is used in error messages only. Throws DataFileError.
VariantArray ParseDataFile(const std::string& content, DataFormat format, bool skipHeader, const std::string& name);

// Reads and parses a file ("-" is standard input). Throws DataFileError.
VariantArray ReadDataFile(const std::string& path, bool skipHeader, const DataFormat* format = nullptr);

// Receives the rows of a file one at a time, as they are read: the cells of a row, field by
// field (the widest row may come last; shorter rows are not padded). The cells may be moved out.
using DataRowSink = std::function<void(std::vector<Variant>& cells)>;

struct DataShape {
  std::size_t rows = 0;
  std::size_t fields = 0;  // cells of the widest row
};

// ReadDataFile row by row, holding only a block of the file and the row being read: the rows
// go to `sink`, and the table's shape is returned. Errors are those of ReadDataFile, found
// where the reading reaches them, so the rows before have gone to the sink.
DataShape ReadDataFileRows(const std::string& path, bool skipHeader, const DataRowSink& sink,
                           const DataFormat* format = nullptr);

}  // namespace orlix
