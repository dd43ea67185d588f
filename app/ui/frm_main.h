// frmMain: the component browser. A label, the ReportView grid and four buttons: Generate List
// scans the class root into the grid, Report opens the report dialog on it, Close closes the
// window, and the picture button goes back to the About window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/component_details.h"
#include "app/ui/form_win.h"
#include "base/variant.h"
#include "platform/process_launcher.h"
#include "report/ui/report_view_window.h"

namespace orlix {

constexpr char kMainWindowClass[] = "OrlixMainWindow";

// Control identifiers, for tests and tools that find the controls.
enum MainControlId : int {
  kMainClose = IDCANCEL,  // the cancel button: Esc presses it
  kMainGenerateList = 100,
  kMainReport,
  kMainAbout,
  kMainLabel,
  kMainGrid,
  // The grid's context menu.
  kMainCopy = 110,
  kMainCopyClsid,
  kMainOpenFileLocation,
};

class frmMain : public Form {
 public:
  // Creates and shows a new main window (non-modal), its grid empty and Report disabled; null
  // when it cannot be created. Open File Location starts Explorer through `launcher`.
  static HWND Show(ProcessLauncher& launcher = LocalProcessLauncher());

 private:
  class Hourglass;
  explicit frmMain(ProcessLauncher& launcher);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void Form_Load();
  void ApplyCaptions();
  void Form_Resize();
  void Form_DpiChanged(int dpi, const RECT& suggested);
  void CreateFonts();
  void LayOutDesign();
  void cmdGenerateList_Click();
  void cmdReport_Click();
  void cmdAbout_Click();
  void cmdClose_Click();
  void rvxReport_ContextMenu(POINT screen);
  void rvxReport_KeyDown(unsigned key);
  void mnuCopy_Click();
  void mnuCopyClsid_Click();
  void mnuOpenFileLocation_Click();
  bool CanCopyClsid() const;
  // The file of the one selected row, when it is there; empty otherwise.
  std::string SelectedPresentFile() const;

  ProcessLauncher& launcher_;
  std::shared_ptr<const VariantArray> mComponentData;
  std::vector<ComponentDetails> mComponentDetails;  // one per row of mComponentData
  ReportView rvxReport;
  HWND lblReport = nullptr, cmdAbout = nullptr, cmdGenerateList = nullptr, cmdReport = nullptr, cmdClose = nullptr;
  HWND tooltip_ = nullptr;  // owned by this window: destroyed with it
  bool busy_ = false;       // the hourglass shows over the whole window
  UniqueHfont font_;
  UniqueHicon aboutImage_;
};

}  // namespace orlix
