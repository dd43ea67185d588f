// Rendering: a report as a function of its style, a read-only grid and the host's parameters.
// cReport::Generate is this with the job's own bindings.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "report/report_param.h"
#include "report/report_style.h"

namespace orlix {

class Grid;

struct RenderRequest {
  std::int32_t type = 0;                  // a report type code
  const ReportStyle* style = nullptr;     // RTF and HTML
  const Grid* grid = nullptr;             // null: an RTF or HTML document without a table body
  std::vector<std::int32_t> columnOrder;  // the grid column at each display position
  const ReportParameters* parameters = nullptr;
  std::function<void(std::int32_t current, std::int32_t total)> progress;  // after each row
};

// The document as text (UTF-8). Throws std::logic_error for a comma-separated report without a
// grid, std::length_error for a style that would grow past the size limit.
std::string RenderReport(const RenderRequest& request);
// The same document handed to `write` in consecutive pieces of about a megabyte, each ending at
// the end of a row, so that the whole text is never held at once.
void RenderReport(const RenderRequest& request, const std::function<void(std::string_view)>& write);

// A host parameter's value with the nested date and time tags filled in; empty when absent.
std::string ReportParameterValue(const ReportParameters* parameters, const std::string& tag);

// Column shares of the table: per cent for HTML, twips of a 12,000-twip row for RTF.
void ComputeCellWidths(const Grid* grid, std::vector<std::int32_t>* htmlWidths, std::vector<std::int32_t>* rtfWidths);

}  // namespace orlix
