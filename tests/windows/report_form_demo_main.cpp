// Opens the Create Report dialog on a sample grid, for screenshots (docs/make-dialog-screenshots.sh).
// Usage: report_form_demo ROWS FORMAT STYLE [save]
//   ROWS    rows of the sample grid (five columns)
//   FORMAT  entry of the format list to choose (0 RTF, 1 HTML, 2 CSV)
//   STYLE   row of the style list to select
//   save    then press Save, so that the report renders with its progress bar
// The process is DPI aware, so the dialog takes the screen's DPI. It ends when the dialog closes.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "base/variant.h"
#include "report/ui/report_form.h"
#include "report/ui/report_view_window.h"
#include "tests/support/window_driver_win.h"

int main(int argc, char** argv) {
  SetProcessDPIAware();
  const int rows = argc > 1 ? std::atoi(argv[1]) : 40;
  const int format = argc > 2 ? std::atoi(argv[2]) : 0;
  const int style = argc > 3 ? std::atoi(argv[3]) : 0;
  const bool save = argc > 4 && std::string(argv[4]) == "save";

  orlix::ReportView view;
  view.FieldMask("0=\"ProgID\",1=\"File Path\",2=\"Version\",3=\"Attribute\",4=\"CLSID\"");
  auto cells = std::make_shared<orlix::VariantArray>(orlix::VariantArray::TwoDimensional(5, rows));
  for (int row = 0; row < rows; ++row) {
    const std::string n = std::to_string(row + 1);
    cells->At(0, row) = orlix::Variant::FromText("Sample.Component." + n);
    cells->At(1, row) = orlix::Variant::FromText("C:\\windows\\system32\\sample" + n + ".dll");
    cells->At(2, row) = orlix::Variant::FromText("1.0." + n);
    cells->At(3, row) = orlix::Variant::FromText("InprocServer32");
    cells->At(4, row) = orlix::Variant::FromText("{00000000-0000-0000-0000-" + std::string(12 - n.size(), '0') + n + "}");
  }
  view.DataToShow(orlix::Variant::FromArray(cells));
  view.Generate();

  const DWORD uiThread = GetCurrentThreadId();
  std::thread driver([=] {
    const HWND dialog = orlix::testing_support::WaitForThreadWindow(uiThread, "Create Report", nullptr, 10);
    if (!dialog) return;
    HWND combo = GetDlgItem(dialog, orlix::ReportForm::kCboFormat);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(format), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(orlix::ReportForm::kCboFormat, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    HWND list = GetDlgItem(dialog, orlix::ReportForm::kLvwStyle);
    orlix::testing_support::SelectListRows(list, {style});
    PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
    if (save) {
      Sleep(1500);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(orlix::ReportForm::kCmdSave, BN_CLICKED), 0);
    }
  });
  int status = 0;
  try {
    view.Export(nullptr);
  } catch (const std::exception&) {
    status = 1;
  }
  driver.join();
  return status;
}
