// The report fill done literally: every row and every cell goes into the text by a replacement
// over the whole text built so far, exactly in the order of the written algorithm. Quadratic,
// and kept deliberately naive (its own replace, no shortcuts) so that the renderer can be
// compared with it byte for byte.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "report/report_param.h"
#include "reportview/grid.h"

namespace orlix::reference {

struct Templates {
  std::string table;
  std::string headerRow;
  std::string headerCellFormatting;
  std::string headerCellData;
  std::string bodyRow;
  std::string bodyCellFormatting;
  std::string bodyCellData;
};

inline char Fold(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; }

// Every occurrence of `what`, left to right, replaced by `with`; the scan goes on behind the
// inserted text.
inline std::string Replace(const std::string& text, const std::string& what, const std::string& with, bool anyCase) {
  if (what.empty()) return text;
  const auto matchesAt = [&](std::size_t i) {
    if (i + what.size() > text.size()) return false;
    for (std::size_t k = 0; k < what.size(); ++k)
      if (anyCase ? Fold(text[i + k]) != Fold(what[k]) : text[i + k] != what[k]) return false;
    return true;
  };
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (matchesAt(i)) {
      out.append(text, copied, i - copied);
      out += with;
      i += what.size();
      copied = i;
    } else {
      ++i;
    }
  }
  out.append(text, copied, std::string::npos);
  return out;
}
inline std::string Exact(const std::string& t, const std::string& w, const std::string& v) { return Replace(t, w, v, false); }
inline std::string AnyCase(const std::string& t, const std::string& w, const std::string& v) { return Replace(t, w, v, true); }

inline std::string Parameter(const ReportParameters* params, const std::string& tag) {
  if (params == nullptr || params->Find(tag) == nullptr) return "";
  std::string v = params->Find(tag)->Value;
  for (const char* nested : {"{||CurrentItemTitle||}", "{||Date||}", "{||Time||}", "{||QuestionType||}",
                             "{||QuestionAnswered||}"}) {
    if (params->Find(nested) != nullptr) v = Exact(v, nested, params->Find(nested)->Value);
  }
  return v;
}

inline void Widths(const Grid& grid, std::vector<std::int64_t>* html, std::vector<std::int64_t>* rtf) {
  const int n = grid.ColumnCount();
  if (n == 0) {
    *html = {100};
    *rtf = {12000};
    return;
  }
  double total = 0;
  for (int c = 0; c < n; ++c) total = std::nearbyint(total + grid.ColumnWidth(c));
  html->clear();
  rtf->clear();
  for (int c = 0; c < n; ++c) {
    if (total <= 0) {
      html->push_back(100 / n);
      rtf->push_back(12000 / n);
    } else {
      const auto t = static_cast<std::int64_t>(total);
      html->push_back(static_cast<std::int64_t>(std::nearbyint(grid.ColumnWidth(c) * 100)) / t);
      rtf->push_back(static_cast<std::int64_t>(std::nearbyint(grid.ColumnWidth(c) * 12000)) / t);
    }
  }
}

inline std::string EscapeRtf(const std::string& s) { return Exact(Exact(Exact(s, "\\", "\\\\"), "{", "\\{"), "}", "\\}"); }
inline std::string EscapeHtml(const std::string& s) {
  return Exact(Exact(Exact(Exact(s, "&", "&amp;"), "<", "&lt;"), ">", "&gt;"), "\"", "&quot;");
}

// `order` is the column order as read when the grid was bound. Throws std::out_of_range where
// the order has no entry for a position.
inline std::string RenderLiterally(int type, const Templates& t, const ReportParameters* params, const Grid* grid,
                                   const std::vector<std::int32_t>& order,
                                   const std::function<void(int, int)>& status = {}) {
  const std::string crlf = "\r\n";
  std::string doc = Exact(t.table, "{||ContentTitle||}", Parameter(params, "{||ReportTitle||}"));
  doc = Exact(doc, "{||ContentDescription||}", Parameter(params, "{||ReportSubTitle||}"));
  if (grid == nullptr) return doc;

  std::vector<std::int64_t> html, rtf;
  Widths(*grid, &html, &rtf);

  std::string row = t.headerRow;
  std::int64_t acc = 0;
  for (int p = 0; p < grid->ColumnCount(); ++p) {
    const int c = order.at(static_cast<std::size_t>(p));
    const std::string text = " " + grid->ColumnHeader(c);
    std::string f = AnyCase(t.headerCellFormatting, "{||CellWidthRTF||}", std::to_string(rtf.at(c)));
    acc += rtf.at(c);
    f = AnyCase(f, "{||CellAccumWidthRTF||}", std::to_string(acc));
    row = AnyCase(row, "{||HeaderCellFormatting||}", f + crlf + "{||HeaderCellFormatting||}");
    std::string d = AnyCase(t.headerCellData, "{||Header||}", text);
    d = AnyCase(d, "{||CellWidthHTML||}", std::to_string(html.at(c)) + "%");
    row = AnyCase(row, "{||HeaderCellData||}", d + "{||HeaderCellData||}");
  }
  doc = AnyCase(doc, "{||HeaderRow||}", row);
  doc = AnyCase(doc, "{||HeaderCellData||}", "");
  doc = AnyCase(doc, "{||HeaderCellFormatting||}", "");

  for (int r = 1; r <= grid->ItemCount(); ++r) {
    if (status) status(r, grid->ItemCount());
    row = t.bodyRow;
    acc = 0;
    for (int k = 0; k <= grid->SubItemCount(r - 1); ++k) {
      const int c = order.at(static_cast<std::size_t>(k));
      std::string text = " " + grid->ItemText(r - 1, c);
      text = type == 0 ? EscapeRtf(text) : EscapeHtml(text);
      std::string f = AnyCase(t.bodyCellFormatting, "{||CellWidthRTF||}", std::to_string(rtf.at(c)));
      acc += rtf.at(c);
      f = AnyCase(f, "{||CellAccumWidthRTF||}", std::to_string(acc));
      row = AnyCase(row, "{||BodyCellFormatting||}", f + crlf + "{||BodyCellFormatting||}");
      std::string d = AnyCase(t.bodyCellData, "{||Body||}", text);
      d = AnyCase(d, "{||CellWidthHTML||}", std::to_string(html.at(c)) + "%");
      row = AnyCase(row, "{||BodyCellData||}", d + "{||BodyCellData||}");
    }
    doc = AnyCase(doc, "{||BodyRow||}", row + "{||BodyRow||}");
  }
  doc = AnyCase(doc, "{||BodyRow||}", "");
  doc = AnyCase(doc, "{||BodyCellData||}", "");
  doc = AnyCase(doc, "{||BodyCellFormatting||}", "");
  return doc;
}

}  // namespace orlix::reference
