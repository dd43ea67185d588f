// A report style as parsed from one section of the style store: the templates that the
// renderer fills. A job holds one; it is read, never changed by rendering.
#pragma once

#include <string>

namespace orlix {

struct ReportStyle {
  std::string table;                 // the document, with the header-row and body-row slots
  std::string headerRow;
  std::string headerCellFormatting;  // RTF cell definitions (\cellx...), empty for HTML
  std::string headerCellData;
  std::string bodyRow;
  std::string bodyCellFormatting;
  std::string bodyCellData;
};

}  // namespace orlix
