// Writes one sample report per built-in style and one CSV report, from a grid whose cells hold
// what each output format must escape, accented letters and an empty cell, as report files hold
// them (Windows-1252 bytes). Real consumers (a word processor, an HTML checker, a browser, a CSV
// reader) then open them: see tests/consumers/.
//
//   render_samples <folder>
// writes <folder>/NN-Title.rtf|html (NN the job number), <folder>/comma.csv and
// <folder>/expected.json (the title, the headers and the rows as UTF-8 text).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/file_system.h"
#include "report/report.h"
#include "report/report_param.h"
#include "report/report_styles.h"
#include "reportview/memory_grid.h"

namespace {

using namespace orlix;

const char* const kTitle = "Sample Report";
const char* const kSubTitle = "Rendered on {||Date||}";
const char* const kDate = "Monday, May 4 2026";
const std::vector<std::string> kHeaders = {"Item", "Detail", "Note"};
const std::vector<std::vector<std::string>> kRows = {
    {"a < b & c", "back\\slash {x}", "say \"hi\""},
    {"caf\xC3\xA9", "", "Zo\xC3\xAB"},
    {"plain", "100%", "last"},
};

std::string JsonString(const std::string& text) { return "\"" + ReplaceExact(ReplaceExact(text, "\\", "\\\\"), "\"", "\\\"") + "\""; }

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: render_samples <folder>\n";
    return 2;
  }
  const std::string folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);

  MemoryGrid grid;
  for (const auto& header : kHeaders) grid.AddColumn("", header);
  for (const auto& [column, width] : {std::pair{0, 120}, std::pair{1, 200}, std::pair{2, 120}})
    grid.SetColumnWidth(column, width);
  for (const auto& row : kRows) grid.AddRow(row);

  auto params = std::make_shared<ReportParameters>();
  for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
           {"{||ReportTitle||}", kTitle}, {"{||ReportSubTitle||}", kSubTitle}, {"{||Date||}", kDate}})
    params->Add(std::make_shared<cReportParam>(cReportParam{key, value}), key);

  ReportStyles styles;
  LoadReportStyles(styles, &grid, params);
  int written = 0;
  for (const auto& job : styles) {
    job->Generate();
    char name[128];
    std::snprintf(name, sizeof name, "%02d-%s.%s", job->ID, job->Title.c_str(), job->FileExtension().c_str());
    if (!WriteBytes(folder + "/" + name, TextToFileBytes(job->ReportContents))) {
      std::cerr << "cannot write " << folder << "/" << name << "\n";
      return 1;
    }
    ++written;
  }

  cReport csv;
  csv.ReportType = kReportCsv;
  csv.ListView(&grid);
  csv.ExtraParameters(params);
  csv.Generate();
  if (!WriteBytes(folder + "/comma.csv", TextToFileBytes(csv.ReportContents))) return 1;

  std::string json = "{\"title\": " + JsonString(kTitle) + ", \"subtitle\": " +
                     JsonString(std::string("Rendered on ") + kDate) + ", \"headers\": [";
  for (std::size_t c = 0; c < kHeaders.size(); ++c) json += (c ? ", " : "") + JsonString(kHeaders[c]);
  json += "], \"rows\": [";
  for (std::size_t r = 0; r < kRows.size(); ++r) {
    json += r ? ", [" : "[";
    for (std::size_t c = 0; c < kRows[r].size(); ++c) json += (c ? ", " : "") + JsonString(kRows[r][c]);
    json += "]";
  }
  json += "], \"styles\": " + std::to_string(written) + "}\n";
  if (!WriteBytes(folder + "/expected.json", json)) return 1;
  std::cout << written << " styled reports and one CSV report in " << folder << "\n";
  return 0;
}
