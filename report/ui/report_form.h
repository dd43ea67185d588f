// ReportForm: the modal "Create Report" dialog. It owns one report job per style of the style
// store plus the comma-delimited one; the user picks a format and a style, then saves the report
// to a file or views it in the program registered for its type. The dialog and its window classes
// belong to the module holding this code, so a library can show it as well as the program.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "report/report.h"
#include "report/report_param.h"

namespace orlix {

class Grid;

class ReportForm {
 public:
  // The dialog's controls, for hosts and tests that look at its windows.
  enum ControlId : int {
    kLblFormat = 1001,
    kCboFormat,
    kLblStyle,
    kLvwStyle,
    kCmdSave,
    kPicIcon,
    kPrgReportStatus,
    kCmdView = IDOK,      // the default button: Enter
    kCmdClose = IDCANCEL  // the cancel button: Esc and the close box
  };

  ReportForm();
  ~ReportForm();  // deletes what CleanUp has not
  ReportForm(const ReportForm&) = delete;
  ReportForm& operator=(const ReportForm&) = delete;

  // Set before Show: the jobs take them when the dialog loads.
  void ListView(Grid* objListView);  // lent; must outlive the dialog's jobs
  void ExtraParameters(std::shared_ptr<ReportParameters> objParameters);
  void ExternalFormatFile(const std::string& strFile);  // a style store text; empty: the built-in one
  void MessageBoxCaption(const std::string& strMessageBoxCaption);
  // What the jobs use of the machine. Members left null take the machine's own: the live class
  // root, message boxes owned by the dialog, the local file system and process launcher, the
  // user's locale and clock.
  void Services(const ReportServices& services);

  // Shows the dialog modally, owned by `owner` (may be null); returns when it has been closed.
  // Throws when the dialog cannot be made or its jobs cannot be loaded.
  void Show(HWND owner);

  // Deletes the temporary files of viewed reports and releases the jobs; may be called again.
  void CleanUp();

  // The dialog window while it is shown; null otherwise.
  HWND Window() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orlix
