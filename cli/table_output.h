// Rows of texts written for other programs: tab-separated with a header line, or JSON.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

namespace orlix::cli {

using TextRow = std::vector<std::string>;

// One line per row, cells separated by tabs, lines ended by LF. A tab, line feed, carriage
// return or backslash inside a cell is written as \t, \n, \r or \\ so that every row stays one
// line with the same number of cells.
void WriteTsv(std::ostream& out, const TextRow& header, const std::vector<TextRow>& rows);
std::string EscapeTsvCell(const std::string& cell);
// One such line of `count` cells.
void WriteTsvCells(std::ostream& out, const std::string* cells, std::size_t count);

// A JSON array of arrays of strings, one row per line. Text that is not valid UTF-8 has each
// offending byte replaced by U+FFFD so that the document is always valid JSON.
void WriteJsonRows(std::ostream& out, const std::vector<TextRow>& rows);

// A JSON array of objects, one per row and line, each cell under the key of its column.
void WriteJsonObjects(std::ostream& out, const std::vector<std::string>& keys, const std::vector<TextRow>& rows);
std::string JsonString(const std::string& text);

}  // namespace orlix::cli
