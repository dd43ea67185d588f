// The built-in report style store and the loader that turns a store into report jobs.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "report/report.h"
#include "report/report_styles.h"
#include "reportview/memory_grid.h"

namespace orlix {

class cReportTestAccess {
 public:
  static std::map<std::string, std::string> Parts(const cReport& r) {
    return {{"Table", r.Style().table},
            {"HeaderRow", r.Style().headerRow},
            {"HeaderCellFormatting", r.Style().headerCellFormatting},
            {"HeaderCellData", r.Style().headerCellData},
            {"BodyRow", r.Style().bodyRow},
            {"BodyCellFormatting", r.Style().bodyCellFormatting},
            {"BodyCellData", r.Style().bodyCellData}};
  }
  static Grid* ListView(const cReport& r) { return r.BoundGrid(); }
  static const std::shared_ptr<ReportParameters>& Parameters(const cReport& r) { return r.BoundParameters(); }
};

namespace {

using A = cReportTestAccess;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string& StoreFile() {
  static const std::string text = ReadFile(std::string(ORLIX_SOURCE_DIR) + "/resources/reportformats.txt");
  return text;
}

struct Expected {
  const char* title;
  const char* description;
};

// The sixteen looks, each offered once as RTF and once as HTML, in store order.
const Expected kStyles[16] = {
    {"ClassicBlack", "Horizontal lines and italic heading"},
    {"ClassicBlueGray", "White headings on navy background, data on gray"},
    {"ClassicLightBlue", "White italicized headings on a light blue background"},
    {"ClassicPurpleInverse", "Headings on a purple background; table with horizontal lines"},
    {"ColorfulBlackLilac", "White italic headings on black; white data on lilac"},
    {"ColorfulBrownCream", "White italic headings on brown; white data on a cream background"},
    {"GridBoxed", "Solid grid structure; standard text"},
    {"GridFineBlack", "Fine grid structure; standard text"},
    {"GridHeavyBlack", "Fine grid structure; bold headings"},
    {"GridYellow", "Fine grid structure; pale yellow heading background"},
    {"ListBlueHeaders", "Solid horizontal lines and navy blue headings"},
    {"ListGrayInverse", "Solid grid lines and bold white headings on a dark gray background"},
    {"ListSimple", "Solid horizontal lines and bold black headings"},
    {"SimpleBlack", "Fine grid and bold black headings"},
    {"SimpleBlackInverse", "No grid lines and white headings on a black background"},
    {"SimpleGreen", "Green horizontal lines and headings"},
};

ReportStyles LoadBuiltIn() {
  ReportStyles styles;
  EXPECT_TRUE(LoadReportStyles(styles, nullptr, nullptr));
  return styles;
}

// The placeholder names written in a text, in order.
std::vector<std::string> Placeholders(const std::string& text) {
  std::vector<std::string> names;
  for (std::size_t at = text.find("{||"); at != std::string::npos; at = text.find("{||", at + 3)) {
    const std::size_t end = text.find("||}", at + 3);
    if (end == std::string::npos) {
      names.push_back("<unterminated>");
      break;
    }
    names.push_back(text.substr(at + 3, end - at - 3));
  }
  return names;
}

// RTF group depth check: every "{" closed, never below zero; escaped braces and backslashes skipped.
bool RtfBracesBalance(const std::string& text) {
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == '{') {
      ++depth;
    } else if (text[i] == '}') {
      if (--depth < 0) return false;
    }
  }
  return depth == 0;
}

TEST(BuiltInStore, EmbeddedTextEqualsTheStoreFile) {
  ASSERT_FALSE(StoreFile().empty());
  EXPECT_EQ(LoadBuiltInFormatBytes(), StoreFile());
  EXPECT_EQ(LoadBuiltInFormats(), StoreFile());  // ASCII passes the code page unchanged
}

TEST(BuiltInStore, IsPlainAsciiWithCrLfLineEnds) {
  const std::string& store = LoadBuiltInFormatBytes();
  ASSERT_GE(store.size(), 2u);
  for (std::size_t i = 0; i < store.size(); ++i) {
    const auto c = static_cast<unsigned char>(store[i]);
    SCOPED_TRACE("offset " + std::to_string(i));
    ASSERT_TRUE(c == '\t' || c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);
    if (c == '\r') {
      ASSERT_TRUE(i + 1 < store.size() && store[i + 1] == '\n');
    }
    if (c == '\n') {
      ASSERT_TRUE(i > 0 && store[i - 1] == '\r');
    }
  }
  EXPECT_EQ(store.compare(0, 16, "[***REPORT***]\r\n"), 0) << "the store begins with the marker line";
  EXPECT_EQ(store.substr(store.size() - 2), "\r\n");
}

TEST(BuiltInStore, SectionsCarryTheirKeysInOrder) {
  const std::vector<std::string> sections = SplitReportSections(LoadBuiltInFormatBytes());
  ASSERT_EQ(sections.size(), 32u);
  const std::vector<std::string> rtfKeys = {"Title",         "Type",           "Description",          "BodyCellData",
                                            "BodyCellFormatting", "BodyRow",  "HeaderCellData",
                                            "HeaderCellFormatting", "HeaderRow", "Table"};
  const std::vector<std::string> htmlKeys = {"Title",          "Type",      "Description", "BodyCellData", "BodyRow",
                                             "HeaderCellData", "HeaderRow", "Table"};
  for (std::size_t i = 0; i < sections.size(); ++i) {
    SCOPED_TRACE("section " + std::to_string(i + 1));
    std::vector<std::string> lines = Split(sections[i], "\r\n");
    if (i == 0) {
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.front(), "[***REPORT***]");
      lines.erase(lines.begin());
    }
    if (i == sections.size() - 1) {
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.back(), "") << "the store ends with CR LF";
      lines.pop_back();
    }
    std::vector<std::string> keys;
    for (const std::string& line : lines) {
      const std::size_t equals = line.find('=');
      ASSERT_NE(equals, std::string::npos) << line;
      keys.push_back(line.substr(0, equals));
    }
    EXPECT_EQ(keys, i < 16 ? rtfKeys : htmlKeys);
  }
}

TEST(BuiltInStore, LoadsThirtyTwoJobsNumberedInStoreOrder) {
  const ReportStyles styles = LoadBuiltIn();
  ASSERT_EQ(styles.Count(), 32u);
  for (std::size_t i = 0; i < 32; ++i) {
    const cReport& job = *styles.At(i);
    SCOPED_TRACE(job.Key);
    const std::int32_t number = static_cast<std::int32_t>(i + 1);
    EXPECT_EQ(job.ID, number);
    EXPECT_EQ(job.Key, "REPORT" + std::to_string(number));
    EXPECT_EQ(styles.KeyAt(i), job.Key);
    EXPECT_EQ(styles.Find("report" + std::to_string(number)).get(), &job);
    EXPECT_EQ(job.ReportType, i < 16 ? kReportRtf : kReportHtml);
    EXPECT_EQ(job.Title, kStyles[i % 16].title);
    EXPECT_EQ(job.Description, kStyles[i % 16].description);
    EXPECT_FALSE(job.Generated);
  }
}

TEST(BuiltInStore, EveryStyleRendersDataCells) {
  const ReportStyles styles = LoadBuiltIn();
  for (const auto& job : styles) {
    SCOPED_TRACE(job->Key + " " + job->Title);
    const auto parts = A::Parts(*job);
    EXPECT_NE(parts.at("BodyCellData").find("{||Body||}"), std::string::npos);
    EXPECT_NE(parts.at("HeaderCellData").find("{||Header||}"), std::string::npos);
    EXPECT_NE(FindNoCase(parts.at("BodyRow"), "{||BodyCellData||}"), std::string::npos);
    EXPECT_NE(FindNoCase(parts.at("HeaderRow"), "{||HeaderCellData||}"), std::string::npos);
    EXPECT_NE(parts.at("Table").find("{||HeaderRow||}"), std::string::npos);
    EXPECT_NE(parts.at("Table").find("{||BodyRow||}"), std::string::npos);
  }
}

TEST(BuiltInStore, PlaceholdersStandOnlyInThePartsThatFillThem) {
  const std::map<std::string, std::set<std::string>> allowed = {
      {"Table", {"ContentTitle", "ContentDescription", "HeaderRow", "BodyRow"}},
      {"HeaderRow", {"HeaderCellFormatting", "HeaderCellData"}},
      {"BodyRow", {"BodyCellFormatting", "BodyCellData"}},
      {"HeaderCellFormatting", {"CellWidthRTF", "CellAccumWidthRTF"}},
      {"BodyCellFormatting", {"CellWidthRTF", "CellAccumWidthRTF"}},
      {"HeaderCellData", {"CellWidthHTML", "Header"}},
      {"BodyCellData", {"CellWidthHTML", "Body"}},
  };
  const ReportStyles styles = LoadBuiltIn();
  for (const auto& job : styles) {
    for (const auto& [part, text] : A::Parts(*job)) {
      SCOPED_TRACE(job->Key + " " + part);
      EXPECT_EQ(text.find("{crlf}"), std::string::npos);
      for (const std::string& name : Placeholders(text)) EXPECT_EQ(allowed.at(part).count(name), 1u) << name;
    }
  }
}

TEST(BuiltInStore, RtfStylesAreCompleteDocumentsOfTableRows) {
  const ReportStyles styles = LoadBuiltIn();
  for (std::size_t i = 0; i < 16; ++i) {
    const cReport& job = *styles.At(i);
    SCOPED_TRACE(job.Key + " " + job.Title);
    const auto parts = A::Parts(job);
    const std::string& table = parts.at("Table");
    EXPECT_EQ(table.rfind("{\\rtf1\\ansi\\ansicpg1252", 0), 0u);
    for (const char* piece : {"Times New Roman;", "Arial;", "Arial Black;", "Arial CE;", "Arial Black Cyr;",
                              "Times New Roman Greek;", "Arial Tur;", "Arial Black Baltic;", "{\\colortbl;",
                              "{\\stylesheet", " Normal;}", " heading 1;}", "{\\title Simple-styled Report}",
                              "{\\creatim", "{\\revtim", "{\\*\\company Morlaine}", "\\margl1008", "\\margr1008",
                              "\\f2\\fs40", "{||ContentDescription||}\\par", "{||HeaderRow||}{||BodyRow||}"}) {
      EXPECT_NE(table.find(piece), std::string::npos) << piece;
    }
    EXPECT_TRUE(RtfBracesBalance(table));
    for (const char* row : {"HeaderRow", "BodyRow"}) {
      const std::string& text = parts.at(row);
      EXPECT_EQ(text.rfind("\\trowd \\trgaph108\\trleft-108", 0), 0u) << row;
      EXPECT_NE(text.find("\\intbl"), std::string::npos) << row;
      EXPECT_NE(text.find("\\f1"), std::string::npos) << row;
      EXPECT_NE(text.find("\\row \\pard"), std::string::npos) << row;
      EXPECT_TRUE(RtfBracesBalance(text)) << row;
    }
    for (const char* cell : {"HeaderCellFormatting", "BodyCellFormatting"}) {
      const std::string& text = parts.at(cell);
      const std::string tail = "\\clftsWidth3\\clwWidth{||CellWidthRTF||} \\cellx{||CellAccumWidthRTF||}";
      ASSERT_GE(text.size(), tail.size()) << cell;
      EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << cell;
    }
    EXPECT_EQ(parts.at("BodyCellData"), "{||Body||}\\cell");
    const std::string& headerCell = parts.at("HeaderCellData");
    EXPECT_TRUE(headerCell == "{||Header||}\\cell" || headerCell == "{||Header||}\\cell\r\n") << headerCell;
  }
  EXPECT_EQ(A::Parts(*styles.At(0)).at("HeaderCellFormatting"),
            "\\clvertalt\\clbrdrt\\brdrs\\brdrw30\\brdrcf1 \\clbrdrb\\brdrs\\brdrw30\\brdrcf1 "
            "\\cltxlrtb\\clftsWidth3\\clwWidth{||CellWidthRTF||} \\cellx{||CellAccumWidthRTF||}");
}

TEST(BuiltInStore, HtmlStylesAreCompleteDocumentsOfTableRows) {
  const ReportStyles styles = LoadBuiltIn();
  for (std::size_t i = 16; i < 32; ++i) {
    const cReport& job = *styles.At(i);
    SCOPED_TRACE(job.Key + " " + job.Title);
    const auto parts = A::Parts(job);
    const std::string& table = parts.at("Table");
    for (const char* piece : {"<html>", "<head>", "<title>Simple-styled Report</title>", "<style", "</head>",
                              "<body>", "<h1>{||ContentTitle||}</h1>", "<p>{||ContentDescription||}</p>",
                              "width=\"100%\"", "\r\n    {||HeaderRow||}\r\n", "\r\n    {||BodyRow||}\r\n",
                              "</table>", "</body>", "</html>"}) {
      EXPECT_NE(table.find(piece), std::string::npos) << piece;
    }
    EXPECT_EQ(parts.at("HeaderCellFormatting"), "");
    EXPECT_EQ(parts.at("BodyCellFormatting"), "");
    EXPECT_EQ(parts.at("HeaderRow"), "<tr>\r\n      {||HeaderCellData||}\r\n    </tr>\r\n");
    EXPECT_EQ(parts.at("BodyRow"), "<tr>\r\n      {||BodyCellData||}\r\n    </tr>\r\n");
    for (const char* cell : {"HeaderCellData", "BodyCellData"}) {
      const std::string& text = parts.at(cell);
      EXPECT_EQ(text.rfind("<td ", 0), 0u) << cell;
      EXPECT_NE(text.find("width=\"{||CellWidthHTML||}\""), std::string::npos) << cell;
      EXPECT_EQ(text.substr(text.size() - 5), "</td>") << cell;
    }
  }
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// Every built-in style, filled by the renderer, gives a whole document: all rows and cells, no
// placeholder left, RTF groups closed, HTML cells escaped.
TEST(BuiltInStore, EveryStyleRendersACompleteDocument) {
  MemoryGrid grid;
  for (const char* header : {"ProgID", "File Path", "CLSID"}) grid.AddColumn("", header);
  const char* rows[][3] = {{"Excel.Application", "C:\\Office\\EXCEL.EXE", "{00024500-0000-0000-C000-000000000046}"},
                           {"a < b & c", "back\\slash {x}", "say \"hi\""}};
  for (const auto& row : rows) {
    const int item = grid.AddItem(row[0]);
    grid.SetSubItem(item, 1, row[1]);
    grid.SetSubItem(item, 2, row[2]);
  }
  auto parameters = std::make_shared<ReportParameters>();
  auto title = std::make_shared<cReportParam>();
  title->Key = "{||ReportTitle||}";
  title->Value = "Components";
  parameters->Add(title, title->Key);

  ReportStyles styles;
  LoadReportStyles(styles, &grid, parameters);
  for (const auto& job : styles) {
    SCOPED_TRACE(job->Key + " " + job->Title);
    ASSERT_TRUE(job->Generate());
    const std::string& doc = job->ReportContents;
    EXPECT_EQ(doc.find("{||"), std::string::npos);
    EXPECT_NE(doc.find("Components"), std::string::npos);
    if (job->ReportType == kReportRtf) {
      EXPECT_EQ(doc.rfind("{\\rtf1", 0), 0u);
      EXPECT_TRUE(RtfBracesBalance(doc));
      EXPECT_EQ(Count(doc, "\\row "), 3u);
      EXPECT_EQ(Count(doc, "\\cell") - Count(doc, "\\cellx"), 9u);
      EXPECT_EQ(Count(doc, "\\cellx"), 9u);
      EXPECT_NE(doc.find("\\cellx12000"), std::string::npos);
      EXPECT_NE(doc.find(" back\\\\slash \\{x\\}\\cell"), std::string::npos);
    } else {
      EXPECT_EQ(Count(doc, "<tr>"), 3u);
      EXPECT_EQ(Count(doc, "</tr>"), 3u);
      EXPECT_EQ(Count(doc, "<td "), 9u);
      EXPECT_EQ(Count(doc, "</td>"), 9u);
      EXPECT_EQ(Count(doc, "width=\"33%\""), 9u);
      EXPECT_NE(doc.find(" a &lt; b &amp; c</td>"), std::string::npos);
      EXPECT_NE(doc.find(" say &quot;hi&quot;</td>"), std::string::npos);
    }
  }
}

TEST(LoadReportStyles, ExternalStoreReplacesTheBuiltInOne) {
  ReportStyles styles;
  const std::string external =
      "[***REPORT***]\r\nTitle=Mine\r\nType=html\r\nBodyCellData=<td>{||Body||}</td>\r\n"
      "[***REPORT***]\r\nTitle=Second\r\n";
  EXPECT_TRUE(LoadReportStyles(styles, nullptr, nullptr, external));
  ASSERT_EQ(styles.Count(), 2u);
  EXPECT_EQ(styles.At(0)->Title, "Mine");
  EXPECT_EQ(styles.At(0)->ReportType, kReportHtml);
  EXPECT_EQ(A::Parts(*styles.At(0)).at("BodyCellData"), "<td>{||Body||}</td>");
  // Text after the last marker, final CR LF included, belongs to the last section.
  EXPECT_EQ(styles.At(1)->Title, "Second");
  EXPECT_EQ(styles.At(1)->Key, "REPORT2");
}

TEST(LoadReportStyles, CutsOnlyAtTheWholeMarkerLine) {
  ReportStyles styles;
  // No marker in front of the first section; a marker with other text on its line, a lower-case
  // marker and a marker without CR LF on both sides do not cut.
  const std::string external =
      "Title=A\r\n[***REPORT***] x\r\nDescription=B\r\n[***report***]\r\nTable=C\n[***REPORT***]\r\n"
      "BodyRow=D\r\n[***REPORT***]\r\nTitle=E";
  LoadReportStyles(styles, nullptr, nullptr, external);
  ASSERT_EQ(styles.Count(), 2u);
  EXPECT_EQ(styles.At(0)->Title, "A");
  EXPECT_EQ(styles.At(0)->Description, "B");
  EXPECT_EQ(A::Parts(*styles.At(0)).at("Table"), "C\n[***REPORT***]");
  EXPECT_EQ(A::Parts(*styles.At(0)).at("BodyRow"), "D");
  EXPECT_EQ(styles.At(1)->Title, "E");
}

TEST(LoadReportStyles, EmptyPiecesStillMakeJobs) {
  ReportStyles styles;
  // Pieces: the first marker line, the empty text between two separators, the empty rest.
  LoadReportStyles(styles, nullptr, nullptr, "[***REPORT***]\r\n\r\n[***REPORT***]\r\n\r\n[***REPORT***]\r\n");
  ASSERT_EQ(styles.Count(), 3u);
  for (const auto& job : styles) {
    EXPECT_EQ(job->Title, "");
    EXPECT_EQ(job->ReportType, kReportRtf);
  }
  EXPECT_EQ(styles.At(2)->Key, "REPORT3");

  styles.Clear();
  EXPECT_TRUE(LoadReportStyles(styles, nullptr, nullptr, "[***REPORT***]\r\n[***REPORT***]\r\n[***REPORT***]\r\n"));
  EXPECT_EQ(styles.Count(), 2u);  // a separator shares its CR LF with the one before it
}

TEST(LoadReportStyles, NumbersFollowTheJobsAlreadyHeld) {
  ReportStyles styles;
  auto held = std::make_shared<cReport>();
  held->Key = "Report2";
  styles.Add(held, held->Key);
  LoadReportStyles(styles, nullptr, nullptr, "Title=a\r\n[***REPORT***]\r\nTitle=b\r\n[***REPORT***]\r\nTitle=c");
  ASSERT_EQ(styles.Count(), 4u);
  EXPECT_EQ(styles.At(1)->Key, "REPORT1");
  EXPECT_EQ(styles.At(2)->Key, "REPORT3");
  EXPECT_EQ(styles.At(2)->ID, 3);
  EXPECT_EQ(styles.At(3)->Key, "REPORT4");
  EXPECT_EQ(styles.Find("REPORT3")->Title, "b");
}

TEST(LoadReportStyles, EveryJobIsBoundToTheListAndTheParameters) {
  MemoryGrid grid;
  auto parameters = std::make_shared<ReportParameters>();
  ReportStyles styles;
  LoadReportStyles(styles, &grid, parameters);
  ASSERT_EQ(styles.Count(), 32u);
  for (const auto& job : styles) {
    EXPECT_EQ(A::ListView(*job), &grid);
    EXPECT_EQ(A::Parameters(*job), parameters);
  }
}

}  // namespace
}  // namespace orlix
