// Reading one section of a report style store into a report job (cReport::Initialise).
#include <gtest/gtest.h>

#include <string>

#include "report/report.h"

namespace orlix {

class cReportTestAccess {
 public:
  static const std::string& Table(const cReport& r) { return r.Style().table; }
  static const std::string& HeaderRow(const cReport& r) { return r.Style().headerRow; }
  static const std::string& HeaderCellFormatting(const cReport& r) { return r.Style().headerCellFormatting; }
  static const std::string& HeaderCellData(const cReport& r) { return r.Style().headerCellData; }
  static const std::string& BodyRow(const cReport& r) { return r.Style().bodyRow; }
  static const std::string& BodyCellFormatting(const cReport& r) { return r.Style().bodyCellFormatting; }
  static const std::string& BodyCellData(const cReport& r) { return r.Style().bodyCellData; }
};

namespace {

using A = cReportTestAccess;

cReport Parse(const std::string& text) {
  cReport report;
  report.Initialise(text);
  return report;
}

void ExpectAllPartsEmpty(const cReport& r) {
  EXPECT_EQ(A::Table(r), "");
  EXPECT_EQ(A::HeaderRow(r), "");
  EXPECT_EQ(A::HeaderCellFormatting(r), "");
  EXPECT_EQ(A::HeaderCellData(r), "");
  EXPECT_EQ(A::BodyRow(r), "");
  EXPECT_EQ(A::BodyCellFormatting(r), "");
  EXPECT_EQ(A::BodyCellData(r), "");
}

TEST(ReportTemplate, SectionWithoutAssignmentsLeavesANewJob) {
  for (const char* text : {"", "[***REPORT***]", "[***REPORT***]\r\n", "\r\n\r\n", "just words\r\nmore words"}) {
    SCOPED_TRACE(text);
    const cReport r = Parse(text);
    EXPECT_EQ(r.Title, "");
    EXPECT_EQ(r.Description, "");
    EXPECT_EQ(r.ReportType, kReportRtf);
    ExpectAllPartsEmpty(r);
  }
}

TEST(ReportTemplate, EveryKeyReachesItsOwnPart) {
  const cReport r = Parse(
      "[***REPORT***]\r\n"
      "Title=T\r\nType=HTML\r\nDescription=D\r\n"
      "BodyCellData=bcd\r\nBodyCellFormatting=bcf\r\nBodyRow=br\r\n"
      "HeaderCellData=hcd\r\nHeaderCellFormatting=hcf\r\nHeaderRow=hr\r\nTable=tb");
  EXPECT_EQ(r.Title, "T");
  EXPECT_EQ(r.ReportType, kReportHtml);
  EXPECT_EQ(r.Description, "D");
  EXPECT_EQ(A::BodyCellData(r), "bcd");
  EXPECT_EQ(A::BodyCellFormatting(r), "bcf");
  EXPECT_EQ(A::BodyRow(r), "br");
  EXPECT_EQ(A::HeaderCellData(r), "hcd");
  EXPECT_EQ(A::HeaderCellFormatting(r), "hcf");
  EXPECT_EQ(A::HeaderRow(r), "hr");
  EXPECT_EQ(A::Table(r), "tb");  // the last line needs no CR LF
}

TEST(ReportTemplate, KeysMatchWithoutRegardToCaseButAreNotTrimmed) {
  const cReport r = Parse("tItLe=kept\r\nTitle =blank before equals\r\n TABLE=blank before key\r\nbodycelldata=x");
  EXPECT_EQ(r.Title, "kept");
  EXPECT_EQ(A::Table(r), "");
  EXPECT_EQ(A::BodyCellData(r), "x");
}

TEST(ReportTemplate, ValuesAreTakenAsWritten) {
  const cReport r = Parse("Title=  two blanks  \r\nDescription=\t tab \t\r\nTable=");
  EXPECT_EQ(r.Title, "  two blanks  ");
  EXPECT_EQ(r.Description, "\t tab \t");
  EXPECT_EQ(A::Table(r), "");
}

TEST(ReportTemplate, ValueRunsFromTheFirstEqualsSign) {
  const cReport r = Parse("Table=<table width=\"100%\" border=1>==\r\n=no key\r\nTitle==x=");
  EXPECT_EQ(A::Table(r), "<table width=\"100%\" border=1>==");
  EXPECT_EQ(r.Title, "=x=");
}

TEST(ReportTemplate, TypeValueIsUpperCasedAndUnknownValuesChangeNothing) {
  EXPECT_EQ(Parse("type=html").ReportType, kReportHtml);
  EXPECT_EQ(Parse("TyPe=HtMl").ReportType, kReportHtml);
  EXPECT_EQ(Parse("Type=HTML\r\nType=rtf").ReportType, kReportRtf);
  EXPECT_EQ(Parse("Type=csv").ReportType, kReportRtf);
  EXPECT_EQ(Parse("Type= HTML").ReportType, kReportRtf);
  EXPECT_EQ(Parse("Type=").ReportType, kReportRtf);
  // An unknown value keeps the type an earlier line set.
  EXPECT_EQ(Parse("Type=HTML\r\nType=csv").ReportType, kReportHtml);

  cReport reused;
  reused.ReportType = kReportCsv;
  reused.Initialise("Type=XML");
  EXPECT_EQ(reused.ReportType, kReportCsv);
}

TEST(ReportTemplate, LineBreakTokenBecomesCrLfInDescriptionAndTemplatesOnly) {
  const cReport r = Parse(
      "Title=one{crlf}two\r\nDescription=one{crlf}two\r\n"
      "Table={crlf}t{crlf}{crlf}\r\nHeaderRow=a{crlf}b\r\nHeaderCellFormatting=a{crlf}b\r\n"
      "HeaderCellData=a{crlf}b\r\nBodyRow=a{crlf}b\r\nBodyCellFormatting=a{crlf}b\r\nBodyCellData=a{crlf}b");
  EXPECT_EQ(r.Title, "one{crlf}two");
  EXPECT_EQ(r.Description, "one\r\ntwo");
  EXPECT_EQ(A::Table(r), "\r\nt\r\n\r\n");
  for (const std::string* part : {&A::HeaderRow(r), &A::HeaderCellFormatting(r), &A::HeaderCellData(r),
                                  &A::BodyRow(r), &A::BodyCellFormatting(r), &A::BodyCellData(r)}) {
    EXPECT_EQ(*part, "a\r\nb");
  }
}

TEST(ReportTemplate, LineBreakTokenMatchesOnlyInLowerCase) {
  const cReport r = Parse("Description=a{CRLF}b{Crlf}c{crlf }d{crlf\r\nTable=x{{crlf}}y");
  EXPECT_EQ(r.Description, "a{CRLF}b{Crlf}c{crlf }d{crlf");
  EXPECT_EQ(A::Table(r), "x{\r\n}y");
}

TEST(ReportTemplate, OnlyCrLfEndsALine) {
  // A bare LF or CR belongs to the value; the Type written behind it is not a line of its own.
  const cReport r = Parse("Title=a\nType=HTML\r\nDescription=b\rc\r\n\r\nTable=t");
  EXPECT_EQ(r.Title, "a\nType=HTML");
  EXPECT_EQ(r.ReportType, kReportRtf);
  EXPECT_EQ(r.Description, "b\rc");
  EXPECT_EQ(A::Table(r), "t");
}

TEST(ReportTemplate, LaterLineWinsAndAbsentKeysKeepTheirParts) {
  const cReport r = Parse("Title=first\r\nTable=first\r\nTitle=second\r\nTable=\r\nBodyRow=row");
  EXPECT_EQ(r.Title, "second");
  EXPECT_EQ(A::Table(r), "");
  EXPECT_EQ(A::BodyRow(r), "row");
  EXPECT_EQ(A::HeaderRow(r), "");
}

TEST(ReportTemplate, UnknownKeysAndPropertyNamesAreIgnored) {
  const cReport r = Parse("Key=REPORT9\r\nID=9\r\nReportContents=x\r\nGenerated=True\r\nTitles=y");
  EXPECT_EQ(r.Key, "");
  EXPECT_EQ(r.ID, 0);
  EXPECT_EQ(r.ReportContents, "");
  EXPECT_FALSE(r.Generated);
  EXPECT_EQ(r.Title, "");
}

}  // namespace
}  // namespace orlix
