#include "reportview/data_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/native/test_files.h"

namespace orlix {
namespace {

VariantArray Parse(const std::string& text, DataFormat format, bool header = false) {
  return ParseDataFile(text, format, header, "t");
}

// Row r's cells, field by field.
std::vector<Variant> Row(const VariantArray& data, std::int32_t r) {
  std::vector<Variant> cells;
  for (std::int32_t f = 0; f <= data.UpperBound(0); ++f) cells.push_back(data.At(f, r));
  return cells;
}
const auto T = Variant::FromText;

std::string ParseError(const std::string& text, DataFormat format) {
  try {
    Parse(text, format);
  } catch (const DataFileError& e) {
    return e.what();
  }
  return "no error";
}

TEST(DataFileCsv, QuotedFieldsHoldSeparatorsQuotesAndLineBreaks) {
  const VariantArray data = Parse("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\"two\r\nlines\",,x\n", DataFormat::Csv);
  ASSERT_EQ(data.UpperBound(1), 1);
  EXPECT_EQ(Row(data, 0), (std::vector<Variant>{T("a"), T("b,c"), T("say \"hi\"")}));
  EXPECT_EQ(Row(data, 1), (std::vector<Variant>{T("two\r\nlines"), T(""), T("x")}));
}

TEST(DataFileCsv, RaggedRowsBlankLinesHeaderAndMark) {
  const VariantArray data = Parse("\xEF\xBB\xBFh1,h2,h3\n\none\n\"\"\nx,y,z,w\n", DataFormat::Csv, true);
  ASSERT_EQ(data.UpperBound(0), 3);  // the widest row has four cells
  ASSERT_EQ(data.UpperBound(1), 2);  // the blank line is no row; the header is skipped
  EXPECT_EQ(data.At(0, 0), T("one"));
  EXPECT_TRUE(data.At(1, 0).IsEmpty());
  EXPECT_EQ(data.At(0, 1), T(""));
  EXPECT_EQ(data.At(3, 2), T("w"));
  EXPECT_EQ(Parse("", DataFormat::Csv).UpperBound(1), -1);
  EXPECT_EQ(ParseError("a\n\"open,\nb", DataFormat::Csv), "t:2: a quoted field is not closed");
}

TEST(DataFile, PaddingOfShortRowsHasACeiling) {
  // 4097 one-cell lines and one line of 4097 fields: 8 KB of text, 16.8 million padded cells.
  const std::string wide(4096, ',');
  std::string csv = wide + "\n";
  for (int i = 0; i < 4096; ++i) csv += "x\n";
  EXPECT_EQ(ParseError(csv, DataFormat::Csv), "t: too many cells (4097 rows of up to 4097 fields; at most 16777216 cells)");
  std::string json = "[[";
  for (int i = 0; i < 4097; ++i) json += i ? ",0" : "0";
  json += "]";
  for (int i = 0; i < 4096; ++i) json += ",[]";
  json += "]";
  EXPECT_NE(ParseError(json, DataFormat::Json).find("too many cells"), std::string::npos);

  // Below the ceiling the same shape loads, padded.
  const VariantArray data = Parse(std::string(99, ',') + "\nx\n", DataFormat::Csv);
  EXPECT_EQ(data.UpperBound(0), 99);
  EXPECT_EQ(data.UpperBound(1), 1);
  EXPECT_TRUE(data.At(99, 1).IsEmpty());
}

TEST(DataFileTsv, ReadsTheEscapesScanWrites) {
  const VariantArray data = Parse("ProgID\tPath\nA.B\tC:\\\\x\\ty\n\tlast\\n\r\n", DataFormat::Tsv, true);
  ASSERT_EQ(data.UpperBound(1), 1);
  EXPECT_EQ(data.At(1, 0), T("C:\\x\ty"));
  EXPECT_EQ(data.At(0, 1), T(""));
  EXPECT_EQ(data.At(1, 1), T("last\n"));
  EXPECT_EQ(ParseError("a\nb\\q\n", DataFormat::Tsv), "t:2: unknown escape \\q");
}

TEST(DataFileJson, CellsKeepTheirTypes) {
  const VariantArray data =
      Parse(" [[\"a\\u00e9\\ud83d\\ude00\\n\", 12, -3, 2147483648, 1.5e1, 0.5, true, false, null], []]",
            DataFormat::Json);
  ASSERT_EQ(data.UpperBound(1), 1);
  EXPECT_EQ(Row(data, 0), (std::vector<Variant>{T("a\xC3\xA9\xF0\x9F\x98\x80\n"), Variant::FromInt32(12),
                                                Variant::FromInt32(-3), Variant::FromDouble(2147483648.0),
                                                Variant::FromDouble(15.0), Variant::FromDouble(0.5),
                                                Variant::FromBool(true), Variant::FromBool(false), Variant::Null()}));
  EXPECT_EQ(Row(data, 1), std::vector<Variant>(9));  // a short row is padded with empty cells
  EXPECT_EQ(Parse("[]", DataFormat::Json).UpperBound(1), -1);
  // A lone high surrogate becomes U+FFFD and keeps the escaped character after it.
  EXPECT_EQ(Row(Parse("[[\"\\ud800\\u0041\"]]", DataFormat::Json), 0), std::vector<Variant>{T("\xEF\xBF\xBD" "A")});
  const VariantArray numbers =
      Parse("[[-0, 123456789012345678, 1234567890123456789012, -2147483648, 2147483647, 1e-400, -2.5E+2]]",
            DataFormat::Json);
  EXPECT_EQ(Row(numbers, 0), (std::vector<Variant>{Variant::FromInt32(0), Variant::FromDouble(123456789012345678.0),
                                                   Variant::FromDouble(1234567890123456789012.0),
                                                   Variant::FromInt32(INT32_MIN), Variant::FromInt32(INT32_MAX),
                                                   Variant::FromDouble(0.0), Variant::FromDouble(-250.0)}));
}

TEST(DataFileJson, StringsAcrossWordEdges) {
  // Strings are scanned eight bytes at a time: a quote, escape or control character at any
  // offset must still end the run there.
  for (std::size_t at = 0; at < 18; ++at) {
    const std::string head(at, 'h'), tail(17 - at, 't');
    const VariantArray data = Parse("[[\"" + head + "\\\"" + tail + "\", \"" + head + "\"]]", DataFormat::Json);
    EXPECT_EQ(Row(data, 0), (std::vector<Variant>{T(head + "\"" + tail), T(head)})) << at;
    EXPECT_EQ(ParseError("[\n[\"" + head + "\t\"]]", DataFormat::Json), "t:2: a control character inside a string")
        << at;
  }
}

TEST(DataFileJson, MalformedDocumentsNameTheLine) {
  EXPECT_EQ(ParseError("{}", DataFormat::Json), "t:1: the data must be a JSON array of rows");
  EXPECT_EQ(ParseError("[\n[1,\n{}]]", DataFormat::Json), "t:3: a cell must be a string, number, true, false or null");
  EXPECT_EQ(ParseError("[[1]] x", DataFormat::Json), "t:1: unexpected text after the array of rows");
  EXPECT_EQ(ParseError("[[\"open]]", DataFormat::Json), "t:1: a string is not closed");
  EXPECT_EQ(ParseError("[[01]]", DataFormat::Json), "t:1: expected ',' or ']' after a cell");
  EXPECT_EQ(ParseError("[[1e999]]", DataFormat::Json), "t:1: the number 1e999 is too large");
  EXPECT_EQ(ParseError("[[\"\\x\"]]", DataFormat::Json), "t:1: unknown escape \\x");
  EXPECT_EQ(ParseError("[[1],", DataFormat::Json), "t:1: each row must be an array of cells");
}

TEST(DataFile, FormatByExtensionThenContent) {
  EXPECT_EQ(GuessDataFormat("x.CSV", "[1]"), DataFormat::Csv);
  EXPECT_EQ(GuessDataFormat("dir.v2/x.tsv", ""), DataFormat::Tsv);
  EXPECT_EQ(GuessDataFormat("x.json", "a,b"), DataFormat::Json);
  EXPECT_EQ(GuessDataFormat("dir.json/data", "\n  [[1]]"), DataFormat::Json);
  EXPECT_EQ(GuessDataFormat("-", "a\tb\nc,d"), DataFormat::Tsv);
  EXPECT_EQ(GuessDataFormat("-", "a,b\nc\td"), DataFormat::Csv);
}

TEST(DataFile, ReadsFilesWholeOrRowByRowAndNamesMissingOnes) {
  const std::string people = std::string(ORLIX_TEST_DATA) + "/files/people.csv";
  const VariantArray data = ReadDataFile(people, true);
  ASSERT_EQ(data.UpperBound(1), 1);
  EXPECT_EQ(data.At(0, 0), T("Alpha, Inc."));
  EXPECT_EQ(data.At(2, 1), T("two\nlines"));
  EXPECT_THROW(ReadDataFile("/nonexistent/data.csv", false), DataFileError);
  std::vector<std::size_t> sizes;  // the header is skipped row by row too
  const DataShape shape = ReadDataFileRows(people, true, [&sizes](std::vector<Variant>& cells) { sizes.push_back(cells.size()); });
  EXPECT_EQ(static_cast<std::int64_t>(shape.rows), data.UpperBound(1) + 1);
  EXPECT_EQ(static_cast<std::int64_t>(shape.fields), data.UpperBound(0) + 1);
  EXPECT_EQ(sizes.size(), shape.rows);
}

// The file read row by row against ParseDataFile over its whole text: "same", or where they part.
std::string CompareRowByRow(const std::string& path, const std::string& content, DataFormat format) {
  std::string whole;
  VariantArray expected = VariantArray::TwoDimensional(0, 0);
  try {
    expected = ParseDataFile(content, format, false, path);
  } catch (const DataFileError& e) {
    whole = e.what();
  }
  std::vector<std::vector<Variant>> rows;
  DataShape shape;
  try {
    shape = ReadDataFileRows(path, false, [&rows](std::vector<Variant>& cells) { rows.push_back(cells); });
  } catch (const DataFileError& e) {
    return whole == e.what() ? "same" : "error '" + std::string(e.what()) + "', whole: '" + whole + "'";
  }
  if (!whole.empty()) return "no error, whole: '" + whole + "'";
  if (static_cast<std::int64_t>(shape.rows) != expected.UpperBound(1) + 1 ||
      static_cast<std::int64_t>(shape.fields) != expected.UpperBound(0) + 1 || rows.size() != shape.rows)
    return "shape " + std::to_string(shape.rows) + "x" + std::to_string(shape.fields);
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t f = 0; f < shape.fields; ++f)
      if (!(expected.At(static_cast<std::int32_t>(f), static_cast<std::int32_t>(r)) ==
            (f < rows[r].size() ? rows[r][f] : Variant())))
        return "cell " + std::to_string(f) + " of row " + std::to_string(r);
  return "same";
}

TEST(DataFileRows, BlockEdgesChangeNothing) {
  constexpr std::size_t kBlock = 65536;
  // Each piece is read with every one of its characters placed on the first block's end, after
  // a first row that fills the block up to it.
  const struct {
    const char* extension;
    std::string piece;
  } cases[] = {
      {"csv", "\"say \"\"hi\"\"\",\"a\r\nb\"\r\nx,,y\r\n\r\n\"\"\n"},
      {"csv", "a,\"open\n"},
      {"tsv", "a\\tb\tc\r\n\nd\te\n"},
      {"tsv", "a\\qb\n"},
      {"json", "[\"q\\\"\\\\\", 12.5e1, null],\n  [true, \"\\u00e9\\ud83d\\ude00\"],[] ]\n"},
      {"json", "[\"a\\\"]x\", \"b\\\\\"], [1]]\n"},
      {"json", "[1, {}]]"},
      {"json", "[1]] x"},
  };
  const testing_support::TempFolder temp;
  for (const auto& c : cases) {
    const bool json = std::string(c.extension) == "json";
    for (std::size_t k = 0; k < c.piece.size(); ++k) {
      // The first row: a line of x, or ["xx..."], with its separator.
      const std::size_t fill = kBlock - k - (json ? 7 : 1);
      const std::string content =
          json ? "[[\"" + std::string(fill, 'x') + "\"],\n" + c.piece : std::string(fill, 'x') + "\n" + c.piece;
      const std::string name = temp.Write(std::string("rows-edge.") + c.extension, content);
      EXPECT_EQ(CompareRowByRow(name, content, GuessDataFormat(name, content)), "same")
          << c.extension << " piece '" << c.piece << "' from " << kBlock - k;
    }
  }
  // A row over many blocks, and a fault many blocks on: the line is counted across them.
  const std::string longRow = "[[\"" + std::string(5 * kBlock, 'y') + "\", 1],\n[2]]";
  std::string lateFault = "[";
  for (int i = 0; i < 20000; ++i) lateFault += "[\"row\", " + std::to_string(i) + "],\n";
  lateFault += "[1,]]";
  for (const std::string& content : {longRow, lateFault}) {
    EXPECT_EQ(CompareRowByRow(temp.Write("rows-edge.json", content), content, DataFormat::Json), "same");
  }
}

}  // namespace
}  // namespace orlix
