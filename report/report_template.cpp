// Reading one section of the report style store into a report job.
#include <string>
#include <string_view>
#include <utility>

#include "base/text.h"
#include "report/report.h"

namespace orlix {

namespace {

// A template value is one physical line; line breaks inside it are written as this token.
constexpr char kLineBreakToken[] = "{crlf}";

std::string ExpandLineBreaks(const std::string& value) { return ReplaceExact(value, kLineBreakToken, "\r\n"); }

// The keys of the style's templates.
constexpr std::pair<std::string_view, std::string ReportStyle::*> kTemplateParts[] = {
    {"TABLE", &ReportStyle::table},
    {"HEADERROW", &ReportStyle::headerRow},
    {"HEADERCELLFORMATTING", &ReportStyle::headerCellFormatting},
    {"HEADERCELLDATA", &ReportStyle::headerCellData},
    {"BODYROW", &ReportStyle::bodyRow},
    {"BODYCELLFORMATTING", &ReportStyle::bodyCellFormatting},
    {"BODYCELLDATA", &ReportStyle::bodyCellData},
};

}  // namespace

void cReport::Initialise(const std::string& strReportFormatData) {
  for (const std::string& line : Split(strReportFormatData, "\r\n")) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;  // the marker line, blank lines, comments
    // Keys and values are taken as written: "Title =" is not the key Title.
    const std::string key = ToUpperAscii(line.substr(0, equals));
    const std::string value = line.substr(equals + 1);

    if (key == "TITLE") {
      Title = value;  // a style name never spans lines; "{crlf}" stays as written
    } else if (key == "DESCRIPTION") {
      Description = ExpandLineBreaks(value);
    } else if (key == "TYPE") {
      const std::string type = ToUpperAscii(value);
      if (type == "RTF") {
        ReportType = kReportRtf;
      } else if (type == "HTML") {
        ReportType = kReportHtml;
      }
    } else {
      for (const auto& [name, part] : kTemplateParts) {
        if (key == name) mStyle.*part = ExpandLineBreaks(value);
      }
    }
  }
}

}  // namespace orlix
