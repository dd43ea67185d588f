// Filling the real ListView: PopulateRows with 50,000 rows of five text fields, beside a bare
// loop of the same LVM_INSERTITEMA / LVM_SETITEMTEXTA calls under the same redraw lock.
// PopulateRows also sizes the five columns to their contents (LVSCW_AUTOSIZE), so the bare loop
// is measured with and without that step. The grid suspends drawing with LockWindowUpdate and the
// control's WM_SETREDRAW; a last pair of figures, on fewer rows, shows the bare loop under
// LockWindowUpdate alone.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "reportview/listview_grid_win.h"
#include "reportview/report_view_data.h"

using namespace orlix;

namespace {

// Rows: 50,000 unless the first argument says otherwise.
int kRows = 50000;
constexpr int kFields = 5;

std::string Cell(int field, int row) {
  switch (field) {
    case 0:
      return "Component.Name." + std::to_string(row);
    case 1:
      return "C:\\Windows\\System32\\component" + std::to_string(row) + ".dll";
    case 2:
      return "Version " + std::to_string(row % 7) + "." + std::to_string(row % 13);
    case 3:
      return row % 2 ? "Control" : "Insertable";
    default:
      return "{00000000-0000-0000-C000-" + std::to_string(100000000000LL + row) + "}";
  }
}

void BareLoop(HWND list, const std::vector<std::vector<std::string>>& texts, int rows, bool autoSize, bool redrawSwitch) {
  ::LockWindowUpdate(list);
  if (redrawSwitch) ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  for (int r = 0; r < rows; ++r) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = r;
    item.pszText = const_cast<char*>(texts[0][r].c_str());
    const auto index = ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (int f = 1; f < kFields; ++f) {
      LVITEMA cell{};
      cell.iSubItem = f;
      cell.pszText = const_cast<char*>(texts[f][r].c_str());
      ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&cell));
    }
  }
  if (autoSize) {
    for (int f = 0; f < kFields; ++f) ::SendMessageA(list, LVM_SETCOLUMNWIDTH, f, MAKELPARAM(LVSCW_AUTOSIZE, 0));
  }
  if (redrawSwitch) ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  ::LockWindowUpdate(nullptr);
  ::InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) kRows = std::max(1, std::atoi(argv[1]));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA host{};
  host.lpfnWndProc = ::DefWindowProcA;
  host.hInstance = instance;
  host.lpszClassName = "OrlixPopulateBench";
  ::RegisterClassA(&host);
  const HWND top = ::CreateWindowExA(0, "OrlixPopulateBench", "Populate", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                                     nullptr, instance, nullptr);
  const HWND list = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 780, 560, top,
                                      nullptr, instance, nullptr);
  if (!top || !list) {
    std::fprintf(stderr, "no window\n");
    return 1;
  }
  ::ShowWindow(top, SW_SHOWNOACTIVATE);

  auto array = std::make_shared<VariantArray>(VariantArray::TwoDimensional(kFields, kRows));
  std::vector<std::vector<std::string>> texts(kFields, std::vector<std::string>(kRows));
  for (int r = 0; r < kRows; ++r) {
    for (int f = 0; f < kFields; ++f) {
      texts[f][r] = Cell(f, r);
      array->At(f, r) = Variant::FromText(texts[f][r]);
    }
  }

  std::printf("%d rows x %d text fields\n", kRows, kFields);
  int items = 0;
  {
    ListViewGrid grid{BorrowedWindow{list}};
    ReportViewData view(grid, &EnglishUnitedStates());
    view.ApplyFieldMask("0=\"ProgID\",1=\"File Path\",2=\"Version\",3=\"Attribute\",4=\"CLSID\"");
    view.StoreDataToShow(Variant::FromArray(array));
    const double populate = bench::MedianSeconds(3, [&] { view.Generate(); });
    items = grid.ItemCount();
    const double bare = bench::MedianSeconds(3, [&] { BareLoop(list, texts, kRows, false, true); });
    const double bareSized = bench::MedianSeconds(3, [&] { BareLoop(list, texts, kRows, true, true); });
    bench::PrintRatio("PopulateRows vs bare insert loop", populate, bare);
    bench::PrintRatio("PopulateRows vs bare loop + auto-size", populate, bareSized);
    std::printf("rows per second: PopulateRows %.0f, bare loop %.0f, bare loop + auto-size %.0f\n", kRows / populate,
                kRows / bare, kRows / bareSized);

    // Under LockWindowUpdate alone every insert still updates the scroll bars: a few rows show it.
    const int kFewRows = std::min(kRows, 1000);
    auto few = std::make_shared<VariantArray>(VariantArray::TwoDimensional(kFields, kFewRows));
    for (int r = 0; r < kFewRows; ++r)
      for (int f = 0; f < kFields; ++f) few->At(f, r) = Variant::FromText(texts[f][r]);
    view.StoreDataToShow(Variant::FromArray(few));
    const double populateFew = bench::MedianSeconds(3, [&] { view.Generate(); });
    const double lockOnly = bench::MedianSeconds(1, [&] { BareLoop(list, texts, kFewRows, true, false); });
    bench::PrintRatio("1,000 rows: PopulateRows vs bare loop, window lock only", populateFew, lockOnly);
  }
  ::DestroyWindow(top);
  return items == kRows ? 0 : 1;
}
