// Field masks from hostile text: one entry at a time, the whole-mask reader over a grid with a
// small data array, and the translation of cell values through what was read.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "base/locale_info.h"
#include "base/variant.h"
#include "reportview/field_mask_info.h"
#include "reportview/memory_grid.h"
#include "reportview/report_view_data.h"

namespace {

using namespace orlix;

Variant SampleData() {
  auto array = std::make_shared<VariantArray>(VariantArray::TwoDimensional(4, 3));
  array->At(0, 0) = Variant::FromText("1");
  array->At(1, 0) = Variant::FromInt32(-42);
  array->At(2, 0) = Variant::FromDate(45000.75);
  array->At(3, 0) = Variant::Null();
  array->At(0, 1) = Variant::FromDouble(1234.5678);
  array->At(1, 1) = Variant::FromBool(true);
  array->At(2, 1) = Variant::FromText("Yes");
  array->At(0, 2) = Variant::FromInt16(0);
  array->At(1, 2) = Variant::FromText("2024-02-29");
  return Variant::FromArray(array);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string mask(reinterpret_cast<const char*>(data), size);
  const LocaleInfo& locale = EnglishUnitedStates();

  // Entry by entry, as a host would loop; every step must shorten the text or stop.
  std::string rest = mask;
  for (int guard = 0; !rest.empty() && guard < 4096; ++guard) {
    cFieldMaskInfo info;
    const std::string next = info.SetProperties(rest);
    for (const Variant& cell : {Variant::FromText("0"), Variant::FromText("Null"), Variant::Null(),
                                Variant::FromDouble(-0.5), Variant::FromDate(1.5), Variant::FromInt32(7)}) {
      const Variant shown = info.TranslateValue(cell, locale);
      if (shown.IsText() && shown.Text().size() > (1u << 20)) __builtin_trap();
    }
    info.Key();
    if (info.ReadFailed() || next.size() >= rest.size()) break;
    rest = next;
  }

  MemoryGrid grid;
  ReportViewData view(grid, &locale);
  view.StoreDataToShow(SampleData());
  try {
    view.ApplyFieldMask(mask);
    view.Generate();
  } catch (const std::invalid_argument&) {
    // duplicate keys, or more entries than the grid has columns
  } catch (const std::out_of_range&) {
    // a field number outside the data
  }
  return 0;
}
