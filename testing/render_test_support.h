// Shared by the renderer's tests and benchmark: a report job's style as reference templates,
// and grids and parameters to render.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report/report.h"
#include "report/report_param.h"
#include "reportview/memory_grid.h"
#include "testing/report_render_reference.h"

namespace orlix {

// The renderer's tests speak of a style as the reference algorithm's templates.
class cReportTestAccess {
 public:
  static void SetTemplates(cReport& job, const reference::Templates& t) {
    job.SetStyle(ReportStyle{t.table, t.headerRow, t.headerCellFormatting, t.headerCellData, t.bodyRow,
                             t.bodyCellFormatting, t.bodyCellData});
  }
  static reference::Templates GetTemplates(const cReport& job) {
    const ReportStyle& s = job.Style();
    return {s.table, s.headerRow, s.headerCellFormatting, s.headerCellData, s.bodyRow, s.bodyCellFormatting,
            s.bodyCellData};
  }
  static const std::vector<std::int32_t>& ColumnOrder(const cReport& job) { return job.ColumnOrder(); }
  static std::string GetParameter(const cReport& job, const std::string& tag) { return job.GetParameter(tag); }
  static void Widths(const cReport& job, std::vector<std::int32_t>* html, std::vector<std::int32_t>* rtf) {
    job.ComputeCellWidths(html, rtf);
  }
};

namespace render_test {

// Occurrences of what in text, not overlapping.
inline std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// A grid with the given headers and widths; each row is the item text followed by its sub-items
// (a shorter row has fewer sub-items).
inline std::unique_ptr<MemoryGrid> MakeGrid(const std::vector<std::string>& headers, const std::vector<double>& widths,
                                            const std::vector<std::vector<std::string>>& rows) {
  auto grid = std::make_unique<MemoryGrid>();
  for (std::size_t c = 0; c < headers.size(); ++c) {
    grid->AddColumn("", headers[c]);
    if (c < widths.size()) grid->SetColumnWidth(static_cast<int>(c), widths[c]);
  }
  for (const auto& row : rows) {
    const int item = grid->AddItem(row.empty() ? std::string() : row[0]);
    for (std::size_t k = 1; k < row.size(); ++k) grid->SetSubItem(item, static_cast<int>(k), row[k]);
  }
  return grid;
}

inline std::shared_ptr<ReportParameters> MakeParameters(const std::vector<std::pair<std::string, std::string>>& pairs) {
  auto params = std::make_shared<ReportParameters>();
  for (const auto& [key, value] : pairs) params->Add(std::make_shared<cReportParam>(cReportParam{key, value}), key);
  return params;
}

// A plain, well-formed style in the built-in shape, for tests that need no particular look.
inline reference::Templates PlainHtml() {
  return {"<html><h1>{||ContentTitle||}</h1><p>{||ContentDescription||}</p><table>\r\n{||HeaderRow||}\r\n"
          "{||BodyRow||}\r\n</table></html>",
          "<tr>\r\n      {||HeaderCellData||}\r\n    </tr>\r\n",
          "",
          "<th width=\"{||CellWidthHTML||}\">{||Header||}</th>",
          "<tr>\r\n      {||BodyCellData||}\r\n    </tr>\r\n",
          "",
          "<td width=\"{||CellWidthHTML||}\">{||Body||}</td>"};
}

inline reference::Templates PlainRtf() {
  return {"{\\rtf1\\ansi {\\b {||ContentTitle||}}\\par {||ContentDescription||}\\par {||HeaderRow||}{||BodyRow||}\\par}",
          "\\trowd \\trgaph108\\trleft-108 {||HeaderCellFormatting||}\\intbl {\\f1\\b {||HeaderCellData||}}\\row \\pard",
          "\\clbrdrb\\brdrs\\clftsWidth3\\clwWidth{||CellWidthRTF||} \\cellx{||CellAccumWidthRTF||}",
          "{||Header||}\\cell",
          "\\trowd \\trgaph108\\trleft-108 {||BodyCellFormatting||}\\intbl {\\f1 {||BodyCellData||}}\\row \\pard",
          "\\clftsWidth3\\clwWidth{||CellWidthRTF||} \\cellx{||CellAccumWidthRTF||}",
          "{||Body||}\\cell"};
}

}  // namespace render_test
}  // namespace orlix
