// The report style store as the Windows modules carry it: a resource of type "CUSTOM" named
// "REPORTFORMATS" in language 1033, byte for byte the store file.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "report/report_styles.h"

namespace orlix {
namespace {

std::string StoreFile() {
  std::ifstream in(std::string(ORLIX_SOURCE_DIR) + "/resources/reportformats.txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ResourceBytes(WORD language) {
  const HMODULE module = GetModuleHandleA(nullptr);  // the test program links the loader and the resource
  const HRSRC found = FindResourceExA(module, "CUSTOM", "REPORTFORMATS", language);
  if (!found) return "<missing>";
  const HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return "<unreadable>";
  return std::string(static_cast<const char*>(bytes), SizeofResource(module, found));
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
  return TRUE;
}

TEST(StoreResource, IsEmbeddedOnceInUsEnglish) {
  const std::string file = StoreFile();
  ASSERT_GT(file.size(), 1000u);
  std::vector<WORD> languages;
  EnumResourceLanguagesA(GetModuleHandleA(nullptr), "CUSTOM", "REPORTFORMATS", CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_EQ(languages, std::vector<WORD>{1033});
  EXPECT_TRUE(ResourceBytes(1033) == file);
}

TEST(StoreResource, LoaderReturnsTheFileByteForByte) {
  const std::string file = StoreFile();
  const std::string bytes = LoadBuiltInFormatBytes();
  EXPECT_EQ(bytes.size(), file.size());
  EXPECT_TRUE(bytes == file);
  EXPECT_TRUE(LoadBuiltInFormats() == file);  // ASCII through the ANSI code page
  EXPECT_EQ(SplitReportSections(bytes).size(), 32u);
}

TEST(StoreResource, GivesThirtyTwoJobs) {
  ReportStyles styles;
  ASSERT_TRUE(LoadReportStyles(styles, nullptr, nullptr));
  ASSERT_EQ(styles.Count(), 32u);
  for (std::size_t i = 0; i < styles.Count(); ++i) {
    EXPECT_EQ(styles.At(i)->Key, "REPORT" + std::to_string(i + 1));
    EXPECT_EQ(styles.At(i)->ReportType, i < 16 ? kReportRtf : kReportHtml);
  }
  EXPECT_EQ(styles.At(0)->Title, "ClassicBlack");
  EXPECT_EQ(styles.At(31)->Title, "SimpleGreen");
}

}  // namespace
}  // namespace orlix
