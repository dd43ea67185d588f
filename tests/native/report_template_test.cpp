// Reading one section of a report style store into a report job (cReport::Initialise).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/report.h"
#include "testing/render_test_support.h"

namespace orlix {
namespace {

// Title, type, description and the seven template parts of the section, in that order.
std::vector<std::string> Read(const std::string& text) {
  cReport r;
  r.Initialise(text);
  const reference::Templates s = cReportTestAccess::GetTemplates(r);
  return {r.Title,     std::to_string(r.ReportType), r.Description,        s.table,    s.headerRow, s.headerCellFormatting,
          s.headerCellData, s.bodyRow,               s.bodyCellFormatting, s.bodyCellData};
}

using Parts = std::vector<std::string>;
const std::string kRtf = std::to_string(kReportRtf);
const std::string kHtml = std::to_string(kReportHtml);

TEST(ReportTemplate, SectionsReadIntoTheJobsParts) {
  const struct {
    std::string text;
    Parts parts;
  } cases[] = {
      // Without assignments: a new job.
      {"", {"", kRtf, "", "", "", "", "", "", "", ""}},
      {"[***REPORT***]\r\n", {"", kRtf, "", "", "", "", "", "", "", ""}},
      {"just words\r\nmore words", {"", kRtf, "", "", "", "", "", "", "", ""}},
      // Every key reaches its own part; the last line needs no CR LF.
      {"[***REPORT***]\r\nTitle=T\r\nType=HTML\r\nDescription=D\r\nBodyCellData=bcd\r\nBodyCellFormatting=bcf\r\n"
       "BodyRow=br\r\nHeaderCellData=hcd\r\nHeaderCellFormatting=hcf\r\nHeaderRow=hr\r\nTable=tb",
       {"T", kHtml, "D", "tb", "hr", "hcf", "hcd", "br", "bcf", "bcd"}},
      // Keys match without regard to case but are not trimmed; values are taken as written,
      // from the first equals sign.
      {"tItLe=kept\r\nTitle =blank before equals\r\n TABLE=blank\r\nbodycelldata=x\r\nDescription=\t tab \t",
       {"kept", kRtf, "\t tab \t", "", "", "", "", "", "", "x"}},
      {"Table=<table width=\"100%\" border=1>==\r\n=no key\r\nTitle==x=",
       {"=x=", kRtf, "", "<table width=\"100%\" border=1>==", "", "", "", "", "", ""}},
      // {crlf} becomes CR LF in the description and the templates, not in the title, and only
      // in lower case; inserted text is not rescanned.
      {"Title=one{crlf}two\r\nDescription=a{crlf}b{CRLF}c{Crlf}d{crlf \r\nTable={crlf}t{{crlf}}\r\nHeaderRow=a{crlf}b\r\n"
       "HeaderCellFormatting=a{crlf}b\r\nHeaderCellData=a{crlf}b\r\nBodyRow=a{crlf}b\r\nBodyCellFormatting=a{crlf}b\r\n"
       "BodyCellData=a{crlf}b",
       {"one{crlf}two", kRtf, "a\r\nb{CRLF}c{Crlf}d{crlf ", "\r\nt{\r\n}", "a\r\nb", "a\r\nb", "a\r\nb", "a\r\nb",
        "a\r\nb", "a\r\nb"}},
      // Only CR LF ends a line: a bare LF or CR belongs to the value.
      {"Title=a\nType=HTML\r\nDescription=b\rc\r\n\r\nTable=t", {"a\nType=HTML", kRtf, "b\rc", "t", "", "", "", "", "", ""}},
      // A later line wins; absent keys keep their parts; unknown keys and property names are ignored.
      {"Title=first\r\nTable=first\r\nTitle=second\r\nTable=\r\nBodyRow=row\r\nKey=REPORT9\r\nReportContents=x\r\nTitles=y",
       {"second", kRtf, "", "", "", "", "", "row", "", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.text), c.parts) << c.text;
}

TEST(ReportTemplate, TypeValueIsUpperCasedAndUnknownValuesChangeNothing) {
  for (const auto& [text, type] : std::vector<std::pair<const char*, std::int32_t>>{
           {"type=html", kReportHtml}, {"TyPe=HtMl", kReportHtml}, {"Type=HTML\r\nType=rtf", kReportRtf},
           {"Type=csv", kReportRtf}, {"Type= HTML", kReportRtf}, {"Type=", kReportRtf},
           {"Type=HTML\r\nType=csv", kReportHtml}}) {
    cReport r;
    r.Initialise(text);
    EXPECT_EQ(r.ReportType, type) << text;
  }
  cReport reused;
  reused.ReportType = kReportCsv;
  reused.Initialise("Type=XML\r\nKey=REPORT9\r\nID=9\r\nGenerated=True");
  EXPECT_EQ(reused.ReportType, kReportCsv);
  EXPECT_EQ(reused.Key, "");
  EXPECT_EQ(reused.ID, 0);
  EXPECT_FALSE(reused.Generated);
}

}  // namespace
}  // namespace orlix
