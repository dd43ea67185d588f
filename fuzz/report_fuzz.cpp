// Report styles from hostile text: one section read by cReport::Initialise, then rendered over a
// small grid whose cells hold placeholder text of their own. The output must stay bounded.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "report/report.h"
#include "report/report_param.h"
#include "reportview/memory_grid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orlix;
  if (size < 1) return 0;
  const std::string section(reinterpret_cast<const char*>(data + 1), size - 1);

  MemoryGrid grid;
  grid.AddColumn("a", "Name");
  grid.AddColumn("b", "{||BodyRow||}");
  grid.AddColumn("c", "");
  grid.SetColumnWidth(1, 0);
  const char* cells[][3] = {{"one", "{||Body||}", "x"},
                            {"", "{||HeaderCellData||}", ""},
                            {"\\par", "<b>", "\"q\",r"},
                            {"{||BodyCellData||}", "", "{"}};
  for (const auto& row : cells) {
    const int item = grid.AddItem(row[0]);
    grid.SetSubItem(item, 1, row[1]);
    grid.SetSubItem(item, 2, row[2]);
  }
  if (data[0] & 8) grid.SetColumnOrder({2, 0, 1});

  auto params = std::make_shared<ReportParameters>();
  auto add = [&](const std::string& key, const std::string& value) {
    params->Add(std::make_shared<cReportParam>(cReportParam{key, value}), key);
  };
  add("{||ReportTitle||}", "Title {||Date||}");
  add("{||ReportSubTitle||}", "{||BodyRow||} sub");
  add("{||Date||}", "{||Time||}");

  cReport job;
  job.Initialise(section);
  if ((data[0] & 3) == 2) job.ReportType = kReportCsv;
  if (data[0] & 4) job.ExtraParameters(params);
  job.ListView(&grid);
  try {
    job.Generate();
  } catch (const std::length_error&) {
    return 0;  // a style that multiplies its own slots is refused
  }
  // The renderer's own cap on a document; anything beyond it got past the check.
  if (job.ReportContents.size() > (std::size_t{1} << 25)) __builtin_trap();
  return 0;
}
