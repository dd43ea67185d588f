// The one behaviour difference of the library's build: a comma-separated report made through the
// control's Create Report dialog shows no progress bar; an RTF report through the same dialog
// does. A driver thread works the dialog while Export holds it modally; a stand-in viewer (cmd
// copying the report) stands for the two file types while the test runs.
#include "controllib/tests/ocx_support.h"

#include <commctrl.h>

#include <string>

#include "tests/support/window_driver_win.h"

namespace orlix::test {
namespace {

using namespace testing_support;

bool g_barShown = false;

LRESULT CALLBACK WatchShows(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == WM_SHOWWINDOW && message->wParam && ClassOf(message->hwnd) == PROGRESS_CLASSA)
    g_barShown = true;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Makes one report of `format` (a report type) through the control's dialog: the viewer's copy.
std::string ReportThroughDialog(IReportView* control, LRESULT format, const std::string& copyTo) {
  DeleteFileA(copyTo.c_str());
  g_barShown = false;
  const DWORD ui = GetCurrentThreadId();
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchShows, nullptr, ui);
  EXPECT_TRUE(DriveModal(
      "Create Report", [control] { EXPECT_EQ(control->Export(), S_OK); },
      [&](HWND dialog) {
        HWND combo = FindWindowExA(dialog, nullptr, "ComboBox", nullptr);
        for (LRESULT i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i)
          if (SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == format)
            SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        SelectListRows(FindWindowExA(dialog, nullptr, WC_LISTVIEWA, nullptr), {0});
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        // The dialog deletes its temporary report when it closes: first let the viewer copy it.
        const auto warnings = [&] { return ThreadWindows(ui, [&](HWND w) { return w != dialog && ClassOf(w) == "#32770"; }); };
        WaitUntil([&] { return !ReadFileBytes(copyTo).empty() || !warnings().empty(); });
        EXPECT_TRUE(warnings().empty()) << "a warning came up";
        Sleep(200);  // the copy may still be under way
      }));
  UnhookWindowsHookEx(hook);
  return ReadFileBytes(copyTo);
}

TEST(LibraryBuild, CommaSeparatedReportShowsNoProgressBarWhileRtfDoes) {
  OleApartment com;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  OcxLibrary ocx;
  ComPtr<IReportView> control = ocx.NewControl();
  ASSERT_TRUE(control);
  ShowData(control.Get(), 40);

  // The viewer: a cmd that copies the report where the test reads it.
  const std::string copyTo = TempFolder() + "\\orlix-ocx-viewed-report.txt";
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string command = std::string(system) + "\\cmd.exe /c copy %1 \"" + copyTo + "\"";
  PrivateClassRoot classes;
  ASSERT_TRUE(classes.Register(".csv", command) && classes.Register(".rtf", command));

  const std::string rtf = ReportThroughDialog(control.Get(), 0, copyTo);
  EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf.substr(0, 40);
  EXPECT_TRUE(g_barShown) << "an RTF report moves the progress bar";
  const std::string csv = ReportThroughDialog(control.Get(), 2, copyTo);
  EXPECT_EQ(csv.rfind("\"Name\",\"Size\"\r\n\"item0\",", 0), 0u) << csv.substr(0, 40);
  EXPECT_FALSE(g_barShown) << "a comma-separated report shows no progress bar";
  DeleteFileA(copyTo.c_str());
}

}  // namespace
}  // namespace orlix::test
