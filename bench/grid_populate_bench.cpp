// Field mask reading and grid population without a window: a 1,000-entry mask, and 200,000
// rows of five text fields into the in-memory grid, beside a bare loop that puts the same
// texts into the same grid.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "reportview/memory_grid.h"
#include "reportview/report_view_data.h"

using namespace orlix;

int main() {
  std::string mask;
  for (int i = 0; i < 1000; ++i) {
    if (i) mask += ",";
    mask += std::to_string(i % 5) + "=\"Column " + std::to_string(i) + "\"";
    if (i % 10 == 0) mask += "{0=\"No\",1=\"Yes\"}";
    if (i % 25 == 0) mask += "[yyyy]";
  }
  MemoryGrid maskGrid;
  ReportViewData maskView(maskGrid, &EnglishUnitedStates());
  maskView.StoreFieldMask(mask);
  const double parse = bench::MedianSeconds(9, [&] { maskView.ParseFieldMask(); });
  std::printf("field mask of 1,000 entries (%zu characters): %.3f ms per read, %zu entries\n", mask.size(),
              parse * 1e3, maskView.Fields()->Count());

  constexpr std::int32_t kRows = 200000;
  auto array = std::make_shared<VariantArray>(VariantArray::TwoDimensional(5, kRows));
  for (std::int32_t r = 0; r < kRows; ++r) {
    array->At(0, r) = Variant::FromText("Component.Name." + std::to_string(r));
    array->At(1, r) = Variant::FromText("C:\\Windows\\System32\\component" + std::to_string(r) + ".dll");
    array->At(2, r) = Variant::FromText(std::to_string(r % 7) + "." + std::to_string(r % 13));
    array->At(3, r) = Variant::FromText(r % 2 ? "Control" : "");
    array->At(4, r) = Variant::FromText("{00000000-0000-0000-C000-" + std::to_string(100000000000LL + r) + "}");
  }

  MemoryGrid grid;
  ReportViewData view(grid, &EnglishUnitedStates());
  view.ApplyFieldMask("0=\"ProgID\",1=\"File Path\",2=\"Version\",3=\"Attribute\",4=\"CLSID\"");
  view.StoreDataToShow(Variant::FromArray(array));
  const double populate = bench::MedianSeconds(3, [&] { view.Generate(); });

  // The bare calls copy each text once into the grid, from texts made beforehand.
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(kRows) * 5);
  for (std::int32_t r = 0; r < kRows; ++r)
    for (int c = 0; c < 5; ++c) texts.emplace_back(array->At(c, r).Text());
  MemoryGrid bare;
  for (int c = 0; c < 5; ++c) bare.AddColumn("", "c");
  const double floor = bench::MedianSeconds(3, [&] {
    bare.RemoveAllItems();
    for (std::int32_t r = 0; r < kRows; ++r) {
      const std::string* row = &texts[static_cast<std::size_t>(r) * 5];
      const int item = bare.AddItem(row[0]);
      for (int c = 1; c < 5; ++c) bare.SetSubItem(item, c, row[c]);
    }
    for (int c = 0; c < 5; ++c) bare.AutoSizeColumn(c);
  });
  bench::PrintRatio("PopulateRows 200,000 x 5 (vs bare grid calls)", populate, floor);
  std::printf("PopulateRows: %.0f rows/s; bare grid calls: %.0f rows/s\n", kRows / populate, kRows / floor);
  return grid.ItemCount() == kRows ? 0 : 1;
}
