// The report style store as the Windows modules carry it: a resource of type "CUSTOM" named
// "REPORTFORMATS" in language 1033 only, byte for byte the store file, giving 32 jobs.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "report/report_styles.h"
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
  return TRUE;
}

TEST(StoreResource, IsTheStoreFileOnceInUsEnglishAndGivesThirtyTwoJobs) {
  const std::string file = testing_support::ReadFileBytes(ORLIX_SOURCE_DIR "/resources/reportformats.txt");
  ASSERT_GT(file.size(), 1000u);
  std::vector<WORD> languages;
  EnumResourceLanguagesA(GetModuleHandleA(nullptr), "CUSTOM", "REPORTFORMATS", CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_EQ(languages, std::vector<WORD>{1033});
  EXPECT_TRUE(LoadBuiltInFormatBytes() == file);
  EXPECT_TRUE(LoadBuiltInFormats() == file);  // ASCII through the ANSI code page

  ReportStyles styles;
  ASSERT_TRUE(LoadReportStyles(styles, nullptr, nullptr));
  ASSERT_EQ(styles.Count(), 32u);
  for (std::size_t i = 0; i < styles.Count(); ++i) {
    EXPECT_EQ(styles.At(i)->Key, "REPORT" + std::to_string(i + 1));
    EXPECT_EQ(styles.At(i)->ReportType, i < 16 ? kReportRtf : kReportHtml);
  }
  EXPECT_EQ(styles.At(31)->Title, "SimpleGreen");
}

}  // namespace
}  // namespace orlix
