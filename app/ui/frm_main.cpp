#include "app/ui/frm_main.h"

#include <commctrl.h>
#include <windowsx.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/captions.h"
#include "app/component_scan.h"
#include "app/ui/app_resources.h"
#include "app/ui/frm_about.h"
#include "base/text.h"
#include "platform/ansi_win.h"
#include "platform/clipboard_win.h"
#include "platform/unique_handle_win.h"

namespace orlix {
namespace {

constexpr int kClientWidth = 7425;
constexpr int kClientHeight = 5310;
constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// Design geometry, in tab order.
constexpr Placement kGenerateListDesign{kMainGenerateList, 3120, 4800, 1335, 375};
constexpr Placement kCloseDesign{kMainClose, 6000, 4800, 1335, 375};
constexpr Placement kLabelDesign{kMainLabel, 120, 120, 7215, 255};
constexpr Placement kReportDesign{kMainReport, 4560, 4800, 1335, 375};
constexpr Placement kGridDesign{kMainGrid, 120, 480, 7215, 4215};
constexpr Placement kAboutDesign{kMainAbout, 120, 4800, 375, 375};
constexpr int kAboutImagePixels = 20;  // at 96 DPI

// Copied text: lines end as the clipboard's text does on Windows.
constexpr char kCopiedLineEnd[] = "\r\n";

std::string ColumnHeader(HWND listView, int column) {
  char text[256] = {};
  LVCOLUMNA request{};
  request.mask = LVCF_TEXT;
  request.pszText = text;
  request.cchTextMax = sizeof text;
  if (!::SendMessageA(listView, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&request)))
    return std::string();
  return AnsiToUtf8(text);
}

}  // namespace

// The wait pointer over the whole window and its controls for one scope.
class frmMain::Hourglass {
 public:
  explicit Hourglass(frmMain& form) : form_(form) { form_.busy_ = true; }
  ~Hourglass() { form_.busy_ = false; }
  Hourglass(const Hourglass&) = delete;
  Hourglass& operator=(const Hourglass&) = delete;

 private:
  frmMain& form_;
  WaitCursor cursor_;
};

frmMain::frmMain(ProcessLauncher& launcher)
    : launcher_(launcher),
      mComponentData(std::make_shared<const VariantArray>(VariantArray::TwoDimensional(component_field::kCount, 0))) {}

HWND frmMain::Show(ProcessLauncher& launcher) {
  return Open(std::unique_ptr<Form>(new frmMain(launcher)), kMainWindowClass, kMainStyle, kClientWidth, kClientHeight);
}

LRESULT frmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      Form_Load();
      return 0;
    case WM_SIZE:
      Form_Resize();
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      switch (LOWORD(wParam)) {
        case kMainGenerateList:
          cmdGenerateList_Click();
          return 0;
        case kMainReport:
          if (::IsWindowEnabled(cmdReport)) cmdReport_Click();
          return 0;
        case kMainAbout:
          cmdAbout_Click();
          return 0;
        case kMainClose:
          cmdClose_Click();
          return 0;
        case kMainCopy:
          mnuCopy_Click();
          return 0;
        case kMainCopyClsid:
          mnuCopyClsid_Click();
          return 0;
        case kMainOpenFileLocation:
          mnuOpenFileLocation_Click();
          return 0;
        default:
          break;
      }
      break;
    case WM_CONTEXTMENU:
      // Passed up from the list view; some systems name the grid window as its source by then.
      if (reinterpret_cast<HWND>(wParam) == rvxReport.ListView() || reinterpret_cast<HWND>(wParam) == rvxReport.Window()) {
        rvxReport_ContextMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      }
      break;
    case DM_GETDEFID:
      return MAKELRESULT(kMainGenerateList, DC_HASDEFID);
    case WM_SETCURSOR:
      if (busy_) {
        ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));
        return TRUE;
      }
      break;
    case 0x02E0: {  // WM_DPICHANGED
      Form_DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

void frmMain::Form_Load() {
  // Creation order is the tab order.
  cmdGenerateList = CreateControl("BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, kGenerateListDesign);
  cmdClose = CreateControl("BUTTON", WS_TABSTOP | BS_PUSHBUTTON, kCloseDesign);
  lblReport = CreateControl("STATIC", SS_LEFT, kLabelDesign);
  cmdReport = CreateControl("BUTTON", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, kReportDesign);
  const RECT grid{Px(kGridDesign.left), Px(kGridDesign.top), Px(kGridDesign.left + kGridDesign.width),
                  Px(kGridDesign.top + kGridDesign.height)};
  rvxReport.Create(hwnd_, grid, kMainGrid);
  if (const HWND gridWindow = rvxReport.Window()) {
    // Tab moves into the grid's list view.
    const LONG_PTR exStyle = ::GetWindowLongPtrA(gridWindow, GWL_EXSTYLE);
    ::SetWindowLongPtrA(gridWindow, GWL_EXSTYLE, exStyle | WS_EX_CONTROLPARENT);
  }
  cmdAbout = CreateControl("BUTTON", WS_TABSTOP | BS_PUSHBUTTON | BS_ICON, kAboutDesign);

  tooltip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
  CreateFonts();
  focus_ = cmdGenerateList;

  rvxReport.FieldMask(kComponentFieldMask);
  // A row whose file is missing stands out, and says so with the path it looked for.
  rvxReport.SetRowAttention(ReportView::RowAttention{
      [this](int row) {
        return static_cast<std::size_t>(row) < mComponentDetails.size() &&
               mComponentDetails[static_cast<std::size_t>(row)].file == FileState::kMissing;
      },
      [this](int row) { return "File missing: " + mComponentDetails[static_cast<std::size_t>(row)].resolvedPath; }});
  rvxReport.SetKeyHandler([this](unsigned key) { rvxReport_KeyDown(key); });
  ApplyCaptions();
}

void frmMain::ApplyCaptions() {
  const CaptionTable& captions = Captions();
  SetControlText(hwnd_, captions[1]);
  SetControlText(lblReport, captions[2]);
  SetControlText(cmdGenerateList, captions[3]);
  SetControlText(cmdReport, captions[4]);
  SetControlText(cmdClose, captions[5]);
  if (tooltip_) {
    const std::string tip = Utf8ToAnsi(captions[6]);
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(cmdAbout);
    tool.lpszText = const_cast<char*>(tip.c_str());  // copied by the tool tip control
    ::SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void frmMain::CreateFonts() {
  font_ = CreateShellFont(dpi_, 80);
  for (HWND control : {cmdGenerateList, cmdClose, lblReport, cmdReport, cmdAbout})
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  if (tooltip_) ::SendMessageA(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  const int size = ::MulDiv(kAboutImagePixels, dpi_, 96);
  aboutImage_.reset(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ABOUT_BUTTON),
                                                    IMAGE_ICON, size, size, 0)));
  ::SendMessageA(cmdAbout, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(aboutImage_.get()));
}

void frmMain::LayOutDesign() {
  for (const Placement& p : {kGenerateListDesign, kCloseDesign, kLabelDesign, kReportDesign, kAboutDesign})
    MoveControl(::GetDlgItem(hwnd_, p.id), p.left, p.top, p.width, p.height);
  MoveControl(rvxReport.Window(), kGridDesign.left, kGridDesign.top, kGridDesign.width, kGridDesign.height);
}

void frmMain::Form_Resize() {
  RECT outer{}, client{};
  if (!::GetWindowRect(hwnd_, &outer) || !::GetClientRect(hwnd_, &client)) return;
  const int width = Tw(outer.right - outer.left);
  const int height = Tw(outer.bottom - outer.top);
  // Too small (minimised included): everything stays where it was.
  if (width <= 550 || height <= 1500) return;
  const int scaleWidth = Tw(client.right);
  const int scaleHeight = Tw(client.bottom);
  // Each step stands alone: one that cannot be done is skipped, the next still runs.
  MoveControl(rvxReport.Window(), 50, 400, scaleWidth - 100, scaleHeight - 900);
  MoveControlTo(cmdGenerateList, scaleWidth - 4300, scaleHeight - 400);
  MoveControlTo(cmdReport, scaleWidth - 2850, scaleHeight - 400);
  MoveControlTo(cmdClose, scaleWidth - 1400, scaleHeight - 400);
  MoveControlTo(cmdAbout, 90, scaleHeight - 400);
}

void frmMain::Form_DpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  CreateFonts();
  LayOutDesign();
  ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Form_Resize();
}

void frmMain::cmdGenerateList_Click() {
  Hourglass wait(*this);
  ComponentScan scan = ScanComponentsWithDetails(ClassRootChoice{}, ViewChoice::kOwn);
  mComponentData = std::make_shared<const VariantArray>(std::move(scan.data));
  mComponentDetails = std::move(scan.details);
  rvxReport.FieldMask(kComponentFieldMask);
  rvxReport.DataToShow(Variant::FromArray(mComponentData));
  rvxReport.Generate();
  // From now on for the life of this window, also after a list that comes out empty.
  ::EnableWindow(cmdReport, TRUE);
}

void frmMain::cmdReport_Click() { rvxReport.Export(hwnd_); }

void frmMain::cmdAbout_Click() {
  frmAbout::Show();
  ::DestroyWindow(hwnd_);  // deletes this object
}

void frmMain::cmdClose_Click() { ::DestroyWindow(hwnd_); }

void frmMain::rvxReport_ContextMenu(POINT screen) {
  const HWND list = rvxReport.ListView();
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: at the focused row, else at the list's corner.
    RECT at{};
    at.left = LVIR_LABEL;
    const auto focused = ::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    if (focused < 0 || !::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&at)))
      at = RECT{0, 0, 0, 0};
    screen = POINT{at.left, at.bottom};
    ::ClientToScreen(list, &screen);
  }
  const bool anySelected = !rvxReport.SelectedDataRows().empty();
  UniqueHmenu menu(::CreatePopupMenu());
  if (!menu) return;
  const auto add = [&menu](int id, const char* text, bool enabled) {
    ::AppendMenuA(menu.get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), static_cast<UINT_PTR>(id), text);
  };
  add(kMainCopy, "&Copy\tCtrl+C", anySelected);
  add(kMainCopyClsid, "Copy C&LSID", CanCopyClsid());
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  add(kMainOpenFileLocation, "Open File &Location", !SelectedPresentFile().empty());
  // The chosen command arrives as WM_COMMAND.
  ::TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd_, nullptr);
}

// Called from the grid's window procedure, which no exception may leave.
void frmMain::rvxReport_KeyDown(unsigned key) {
  if (key != 'C' || (::GetKeyState(VK_CONTROL) & 0x8000) == 0) return;
  try {
    mnuCopy_Click();
  } catch (const std::exception& error) {
    ReportError(error);
  }
}

// The selected rows as a spreadsheet takes them: a header line, then the scan's texts of each row
// in the fields' order, whatever order the columns are dragged into.
void frmMain::mnuCopy_Click() {
  const std::vector<int> rows = rvxReport.SelectedDataRows();
  if (rows.empty()) return;
  std::vector<std::string> cells;
  for (int field = 0; field < component_field::kCount; ++field)
    cells.push_back(ColumnHeader(rvxReport.ListView(), field));
  std::string text = SpreadsheetTsvLine(cells, kCopiedLineEnd);
  for (const int row : rows) {
    cells.clear();
    for (int field = 0; field < component_field::kCount; ++field)
      cells.emplace_back(mComponentData->At(field, row).Text());
    text += SpreadsheetTsvLine(cells, kCopiedLineEnd);
  }
  if (!SetClipboardText(hwnd_, text)) throw std::runtime_error("The rows cannot be put on the clipboard.");
}

bool frmMain::CanCopyClsid() const {
  for (const int row : rvxReport.SelectedDataRows())
    if (!mComponentData->At(component_field::kClsid, row).Text().empty()) return true;
  return false;
}

// One CLSID per line, for each selected row that has one.
void frmMain::mnuCopyClsid_Click() {
  std::string text;
  for (const int row : rvxReport.SelectedDataRows()) {
    const std::string clsid(mComponentData->At(component_field::kClsid, row).Text());
    if (clsid.empty()) continue;
    if (!text.empty()) text += kCopiedLineEnd;
    text += clsid;
  }
  if (text.empty()) return;
  if (!SetClipboardText(hwnd_, text)) throw std::runtime_error("The CLSID cannot be put on the clipboard.");
}

std::string frmMain::SelectedPresentFile() const {
  const std::vector<int> rows = rvxReport.SelectedDataRows();
  if (rows.size() != 1 || static_cast<std::size_t>(rows[0]) >= mComponentDetails.size()) return std::string();
  const ComponentDetails& details = mComponentDetails[static_cast<std::size_t>(rows[0])];
  // A quote would end the argument early: such a name is no file Windows could have made.
  if (details.file != FileState::kPresent || details.resolvedPath.find('"') != std::string::npos) return std::string();
  return details.resolvedPath;
}

// Explorer from the Windows folder (not whatever the search path finds first), the file selected.
void frmMain::mnuOpenFileLocation_Click() {
  const std::string file = SelectedPresentFile();
  if (file.empty()) return;
  char windows[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) throw std::runtime_error("The Windows folder cannot be found.");
  const std::string explorer = AnsiToUtf8(windows) + "\\explorer.exe";
  std::string error;
  if (!launcher_.StartCommandLine("\"" + explorer + "\" /select,\"" + file + "\"", &error))
    throw std::runtime_error("Explorer cannot be started: " + error);
}

}  // namespace orlix
