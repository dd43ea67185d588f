#include "report/ui/report_form.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <map>
#include <stdexcept>
#include <vector>

#include "base/locale_info.h"
#include "base/scope_exit.h"
#include "platform/current_locale.h"
#include "base/text.h"
#include "platform/ansi_win.h"
#include "platform/com_boundary_win.h"
#include "platform/file_system.h"
#include "platform/message_box_prompt_win.h"
#include "platform/process_launcher.h"
#include "platform/registry_source.h"
#include "platform/unique_handle_win.h"
#include "platform/window_win.h"
#include "report/report_files.h"
#include "report/report_jobs.h"
#include "report/report_styles.h"

namespace orlix {

namespace {

constexpr char kCaption[] = "Create Report";
constexpr char kNoViewerMessage[] =
    "There are no applications on your system available for viewing this kind of report.";
// The dialog's own message box when the host gives no caption: the report engine's caption.
constexpr char kDefaultMessageCaption[] = "Talvern";
constexpr char kFallbackIconKey[] = "DOC_CL";

constexpr int kLblFormat = ReportForm::kLblFormat;
constexpr int kCboFormat = ReportForm::kCboFormat;
constexpr int kLblStyle = ReportForm::kLblStyle;
constexpr int kLvwStyle = ReportForm::kLvwStyle;
constexpr int kCmdView = ReportForm::kCmdView;
constexpr int kCmdSave = ReportForm::kCmdSave;
constexpr int kCmdClose = ReportForm::kCmdClose;
constexpr int kPicIcon = ReportForm::kPicIcon;
constexpr int kPrgReportStatus = ReportForm::kPrgReportStatus;

// Client area and controls in twips, in tab order.
constexpr int kClientWidth = 5625;
constexpr int kClientHeight = 4995;

struct ControlGeometry {
  int id;
  const char* windowClass;
  const char* text;
  DWORD style;
  DWORD exStyle;
  int left, top, width, height;
};

const ControlGeometry kControls[] = {
    {kLblFormat, "STATIC", "Select an &output format:", WS_VISIBLE | WS_GROUP | SS_LEFT, 0, 120, 120, 1815, 255},
    {kCboFormat, "COMBOBOX", "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 120, 360, 5415, 315},
    {kLblStyle, "STATIC", "&Choose a style for the report:", WS_VISIBLE | WS_GROUP | SS_LEFT, 0, 120, 720, 2295, 255},
    {kLvwStyle, WC_LISTVIEWA, "",
     WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, WS_EX_CLIENTEDGE,
     120, 960, 5415, 3015},
    {kCmdView, "BUTTON", "&View", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 0, 2400, 4440, 975, 375},
    {kCmdSave, "BUTTON", "&Save", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 3480, 4440, 975, 375},
    {kCmdClose, "BUTTON", "Close", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 4560, 4440, 975, 375},
    {kPicIcon, "STATIC", "", SS_LEFT, 0, 840, 4440, 495, 495},
    {kPrgReportStatus, PROGRESS_CLASSA, "", 0, 0, 120, 4080, 5415, 255},
};

struct FormatEntry {
  const char* text;
  std::int32_t type;
};
const FormatEntry kFormats[] = {
    {"Rich Text Format (RTF) for Word Processors", kReportRtf},
    {"Hypertext Markup (HTML) for Web Browsers", kReportHtml},
    {"Comma-separated (CSV) for Spreadsheets", kReportCsv},
};

// A dialog template with no controls: caption, frame and the shell dialog font. The controls
// are made and placed in code, in twips at the window's DPI.
std::vector<WORD> MakeDialogTemplate() {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* head = reinterpret_cast<DLGTEMPLATE*>(words.data());
  head->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK;
  auto appendText = [&words](const char* text) {
    for (; *text; ++text) words.push_back(static_cast<WORD>(static_cast<unsigned char>(*text)));
    words.push_back(0);
  };
  words.push_back(0);  // no menu
  words.push_back(0);  // the standard dialog class
  appendText(kCaption);
  words.push_back(8);  // point size
  appendText("MS Shell Dlg");
  return words;
}

std::string FilterFor(std::int32_t type) {
  std::string filter;
  switch (type) {
    case kReportRtf:
      filter = std::string("Rich Text Format (RTF) for Word Processors") + '\0' + "*.rtf";
      break;
    case kReportHtml:
      filter = std::string("Hypertext Markup (HTML) for Web Browsers") + '\0' + "*.htm";
      break;
    case kReportCsv:
      filter = std::string("Comma-separated (CSV) for Spreadsheets") + '\0' + "*.csv";
      break;
    default:
      return std::string(2, '\0');
  }
  return filter + std::string(2, '\0');
}

}  // namespace

struct ReportForm::State {
  // Set by the host.
  Grid* listView = nullptr;
  std::shared_ptr<ReportParameters> parameters;
  std::string externalFormatFile;
  std::string messageBoxCaption;
  ReportServices services;

  // The jobs: created when the dialog first loads, released by CleanUp.
  std::unique_ptr<ReportStyles> styles;
  std::unique_ptr<RegistrySource> classRoot;
  MessageBoxPrompt prompt;
  ReportServices jobServices;
  cReport* mobjCurrentReport = nullptr;
  // Every temporary file a View wrote, so that none is left behind when a job's file name has
  // moved on (a later Save, or a later View under another name).
  std::vector<std::string> temporaryFiles;

  // The window and its parts while it is shown.
  HWND dialog = nullptr;
  int dpi = 96;
  std::map<int, HWND> controls;
  UniqueHimagelist images;
  std::map<std::string, int> imageIndex;
  int imageSize = 16;
  std::vector<std::string> rowKeys;  // a row's lParam indexes this table
  std::exception_ptr loadError;
  int lastProgressPercent = -1;
  int progressMaximum = -1;
  DWORD lastProgressPaint = 0;

  HWND Control(int id) const {
    const auto found = controls.find(id);
    return found == controls.end() ? nullptr : found->second;
  }
  HWND Styles() const { return Control(kLvwStyle); }
  int Px(int twips) const { return TwipsToPixels(twips, dpi); }

  ReportStyles& StyleCollection() {
    if (!styles) styles = std::make_unique<ReportStyles>();
    return *styles;
  }

  // --- load ---------------------------------------------------------------------------------

  void Form_Load() {
    dpi = WindowDpi(dialog);
    LayOut();

    jobServices = services;
    if (!jobServices.registry) {
      if (!classRoot) classRoot = OpenViewerClassRoot();
      jobServices.registry = classRoot.get();
    }
    prompt.SetOwner(dialog);
    if (!jobServices.prompt) jobServices.prompt = &prompt;
    if (!jobServices.files) jobServices.files = &LocalFileSystem();
    if (!jobServices.launcher) jobServices.launcher = &LocalProcessLauncher();
    if (!jobServices.locale) jobServices.locale = &CurrentLocale();
    if (!jobServices.now) jobServices.now = LocalNowAsOleDate;

    ReportStyles& jobs = StyleCollection();
    if (jobs.Empty()) {
      LoadReportStyles(jobs, listView, parameters, externalFormatFile);
      AddCommaDelimitedReport(jobs, listView, parameters);
    }
    for (const auto& job : jobs) job->SetServices(jobServices);

    MakeImageList();
    HWND list = Styles();
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = Px(2000);
    column.pszText = const_cast<LPSTR>("Style");
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = Px(3000);
    column.iSubItem = 1;
    column.pszText = const_cast<LPSTR>("Description");
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);

    HWND combo = Control(kCboFormat);
    for (const FormatEntry& format : kFormats) {
      const auto at = ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(format.text));
      ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(format.type));
    }
    ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
    cboFormat_Click();
  }

  // One line per control of the geometry table; the client area takes its size in twips too.
  void LayOut() {
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
    const HINSTANCE module = CodeModule();
    for (const ControlGeometry& c : kControls) {
      HWND control = ::CreateWindowExA(c.exStyle, c.windowClass, c.text, WS_CHILD | c.style, Px(c.left), Px(c.top),
                                       Px(c.width), Px(c.height), dialog,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), module, nullptr);
      if (!control) throw std::runtime_error(std::string("the control '") + c.windowClass + "' cannot be created");
      if (font) ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      controls[c.id] = control;
    }
    // A label whose text is wider in the system's font than in the table grows to the right,
    // where nothing stands, rather than clip its text.
    for (int label : {kLblFormat, kLblStyle}) {
      HWND control = Control(label);
      RECT bounds{};
      ::GetWindowRect(control, &bounds);
      const int needed = TextWidth(control, font);
      if (needed > bounds.right - bounds.left)
        ::SetWindowPos(control, nullptr, 0, 0, needed, bounds.bottom - bounds.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // A drop-down list takes its height from its font: bring the closed box to the table's
    // height, and give the open list room for every entry.
    HWND combo = Control(kCboFormat);
    RECT box{};
    ::GetWindowRect(combo, &box);
    const int wanted = Px(315);
    const auto itemHeight = static_cast<int>(::SendMessageA(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    if (itemHeight > 0 && box.bottom - box.top != wanted)
      ::SendMessageA(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemHeight + wanted - (box.bottom - box.top));
    ::SetWindowPos(combo, nullptr, 0, 0, Px(5415), wanted * 6, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageA(dialog, DM_SETDEFID, kCmdView, 0);

    const LONG_PTR style = ::GetWindowLongPtrA(dialog, GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrA(dialog, GWL_EXSTYLE);
    RECT frame{0, 0, Px(kClientWidth), Px(kClientHeight)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(exStyle));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Centred on the owner, or on the screen, and kept inside the work area.
    RECT area{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT centreOn = area;
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    if (owner && ::IsWindowVisible(owner)) ::GetWindowRect(owner, &centreOn);
    int x = centreOn.left + (centreOn.right - centreOn.left - width) / 2;
    int y = centreOn.top + (centreOn.bottom - centreOn.top - height) / 2;
    x = std::max(static_cast<int>(area.left), std::min(x, static_cast<int>(area.right) - width));
    y = std::max(static_cast<int>(area.top), std::min(y, static_cast<int>(area.bottom) - height));
    ::SetWindowPos(dialog, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // Width of a control's text drawn in `font`, mnemonic marks left out.
  static int TextWidth(HWND control, HFONT font) {
    char text[256] = {};
    ::GetWindowTextA(control, text, sizeof text);
    const WindowDc dc(control);
    if (!dc) return 0;
    RECT measured{0, 0, 0, 0};
    {
      SelectedObject withFont(dc.get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
      ::DrawTextA(dc.get(), text, -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
    }
    return measured.right - measured.left + 1;
  }

  void MakeImageList() {
    imageSize = ::MulDiv(16, dpi, 96);
    images.reset(::ImageList_Create(imageSize, imageSize, ILC_COLOR32, 4, 4));
    if (!images) throw std::runtime_error("the style icons' image list cannot be created");
    imageIndex.clear();
    // The generic document icon: the fallback of every row whose type has no icon.
    UniqueHicon document(static_cast<HICON>(
        ::LoadImageA(CodeModule(), kFallbackIconKey, IMAGE_ICON, imageSize, imageSize, LR_DEFAULTCOLOR)));
    imageIndex[kFallbackIconKey] = AddIconImage(document.get());
    ::SendMessageA(Styles(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.get()));
  }

  // Draws an icon on the window colour at the image size, as the picture surface does, and adds
  // the drawing to the image list. A null icon leaves a plain page. Returns the image's index.
  int AddIconImage(HICON icon) {
    UniqueHdc surface;
    UniqueGdiObject bitmap;
    {
      const WindowDc screen(dialog);
      if (!screen) throw std::runtime_error("no device context for the style icon");
      surface.reset(::CreateCompatibleDC(screen.get()));
      bitmap.reset(::CreateCompatibleBitmap(screen.get(), imageSize, imageSize));
    }
    if (!surface || !bitmap) throw std::runtime_error("no drawing surface for the style icon");
    {
      SelectedObject drawing(surface.get(), bitmap.get());
      RECT all{0, 0, imageSize, imageSize};
      ::FillRect(surface.get(), &all, ::GetSysColorBrush(COLOR_WINDOW));
      if (icon) {
        ::DrawIconEx(surface.get(), 0, 0, icon, imageSize, imageSize, 0, nullptr, DI_NORMAL);
      } else {
        const int inset = imageSize / 8;
        SelectedObject pen(surface.get(), ::GetStockObject(BLACK_PEN));
        SelectedObject brush(surface.get(), ::GetStockObject(WHITE_BRUSH));
        ::Rectangle(surface.get(), inset * 2, inset, imageSize - inset * 2, imageSize - inset + 1);
      }
    }
    const int index = ::ImageList_Add(images.get(), static_cast<HBITMAP>(bitmap.get()), nullptr);
    if (index < 0) throw std::runtime_error("the style icon cannot be added to the image list");
    return index;
  }

  // --- the style list -----------------------------------------------------------------------

  void cboFormat_Click() {
    HWND combo = Control(kCboFormat);
    const auto selected = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return;
    ListStyles(static_cast<std::int32_t>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0)));
  }

  void ListStyles(std::int32_t type) {
    WindowUpdateLock lock(Styles());
    ::SendMessageA(Styles(), LVM_DELETEALLITEMS, 0, 0);
    for (const auto& job : StyleCollection())
      if (job->ReportType == type) ShowStyleItem(*job);
    // Save and View act on the selected row: a freshly filled list offers its first style.
    if (::SendMessageA(Styles(), LVM_GETITEMCOUNT, 0, 0) > 0) {
      LVITEMA first{};
      first.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      first.state = LVIS_SELECTED | LVIS_FOCUSED;
      ::SendMessageA(Styles(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
      ::SendMessageA(Styles(), LVM_ENSUREVISIBLE, 0, FALSE);
    }
  }

  LPARAM RowKeyParam(const std::string& key) {
    for (std::size_t i = 0; i < rowKeys.size(); ++i)
      if (EqualsNoCase(rowKeys[i], key)) return static_cast<LPARAM>(i);
    rowKeys.push_back(key);
    return static_cast<LPARAM>(rowKeys.size() - 1);
  }

  std::string RowKey(int row) const {
    LVITEMA request{};
    request.mask = LVIF_PARAM;
    request.iItem = row;
    if (!::SendMessageA(Styles(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request))) return std::string();
    const auto at = static_cast<std::size_t>(request.lParam);
    return at < rowKeys.size() ? rowKeys[at] : std::string();
  }

  int StyleItemExists(const std::string& key) {
    LVFINDINFOA find{};
    find.flags = LVFI_PARAM;
    find.lParam = RowKeyParam(key);
    return static_cast<int>(::SendMessageA(Styles(), LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
  }

  std::string CellText(int row, int column) const {
    char buffer[1024] = {};
    LVITEMA request{};
    request.iSubItem = column;
    request.pszText = buffer;
    request.cchTextMax = sizeof buffer;
    ::SendMessageA(Styles(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&request));
    return AnsiToUtf8(buffer);
  }

  void SetCellText(int row, int column, const std::string& text) {
    std::string ansi = Utf8ToAnsi(text);
    LVITEMA change{};
    change.iSubItem = column;
    change.pszText = &ansi[0];
    ::SendMessageA(Styles(), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&change));
  }

  void ShowStyleItem(cReport& job) {
    HWND list = Styles();
    int row = StyleItemExists(job.Key);
    if (row < 0) {
      LVITEMA item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
      item.pszText = const_cast<LPSTR>("");
      item.lParam = RowKeyParam(job.Key);
      row = static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
      if (row < 0) throw std::runtime_error("the style list refused a row");
    }
    if (CellText(row, 0) != job.Title) SetCellText(row, 0, job.Title);
    if (CellText(row, 1) != job.Description) SetCellText(row, 1, job.Description);
    const int image = imageIndex[GetStyleIconKey(job)];
    LVITEMA current{};
    current.mask = LVIF_IMAGE;
    current.iItem = row;
    ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&current));
    if (current.iImage != image) {
      current.iImage = image;
      ::SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&current));
    }
    const LONG_PTR style = ::GetWindowLongPtrA(list, GWL_STYLE);
    if ((style & LVS_TYPEMASK) != LVS_REPORT)
      ::SetWindowLongPtrA(list, GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | LVS_REPORT);
  }

  // The icon of the job's file type, taken once per type from the registered icon file (its
  // second icon) and kept in the image list; the generic document when there is none.
  std::string GetStyleIconKey(cReport& job) {
    try {
      const std::string key = "REP" + job.FileExtension();
      if (imageIndex.count(key)) return key;
      const std::string path = job.GetIconPath();
      if (path.empty()) return kFallbackIconKey;
      HICON large = nullptr;
      HICON small = nullptr;
      const UINT extracted = ::ExtractIconExA(Utf8ToAnsi(path).c_str(), 1, &large, &small, 1);
      UniqueHicon ownedLarge(large);
      UniqueHicon ownedSmall(small);
      if (extracted < 1 || extracted == UINT_MAX || !small) return kFallbackIconKey;
      imageIndex[key] = AddIconImage(small);
      return key;
    } catch (const std::exception&) {
      return kFallbackIconKey;
    }
  }

  // --- producing a report -------------------------------------------------------------------

  void ProduceReport(bool blnSave) {
    WaitCursor hourglass;
    HWND list = Styles();
    const int row = static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) return;
    const std::shared_ptr<cReport> job = StyleCollection().Find(RowKey(row));
    if (!job) return;

    // Progress reaches the dialog only while this job is produced.
    cReport& current = *job;
    const ScopeExit stopProgress([this, &current]() noexcept {
      current.CurrentStatus = nullptr;
      mobjCurrentReport = nullptr;
    });
    mobjCurrentReport = &current;
    lastProgressPercent = -1;
    progressMaximum = -1;
    current.CurrentStatus = [this](std::int32_t lngCurrent, std::int32_t lngTotal) {
      mobjCurrentReport_CurrentStatus(lngCurrent, lngTotal);
    };

    job->Generate();
    if (blnSave) {
      const std::string filter = FilterFor(job->ReportType);
      std::vector<char> fileName(32768, '\0');
      OPENFILENAMEA save{};
      save.lStructSize = sizeof save;
      save.hwndOwner = dialog;
      save.lpstrFilter = filter.c_str();
      save.nFilterIndex = 1;
      save.lpstrFile = fileName.data();
      save.nMaxFile = static_cast<DWORD>(fileName.size());
      save.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
      if (!::GetSaveFileNameA(&save)) return;
      const std::string chosen = AnsiToUtf8(fileName.data());
      job->StoreReportContent(false, chosen);
      // A file the user saved is theirs, even where a view once left a temporary one.
      temporaryFiles.erase(std::remove_if(temporaryFiles.begin(), temporaryFiles.end(),
                                          [&chosen](const std::string& path) { return EqualsNoCase(path, chosen); }),
                           temporaryFiles.end());
    } else {
      job->StoreReportContent(true, "");
      if (job->LocalFileIsTemporary && !job->LocalFileName.empty()) RememberTemporaryFile(job->LocalFileName);
      ViewReport(*job);
    }
  }

  void RememberTemporaryFile(const std::string& path) {
    for (const std::string& known : temporaryFiles)
      if (EqualsNoCase(known, path)) return;
    temporaryFiles.push_back(path);
  }

  void ViewReport(cReport& job) {
    if (!job.ShellToApp())
      jobServices.prompt->Warn(messageBoxCaption.empty() ? kDefaultMessageCaption : messageBoxCaption, kNoViewerMessage);
  }

  void mobjCurrentReport_CurrentStatus(std::int32_t lngCurrent, std::int32_t lngTotal) {
    HWND bar = Control(kPrgReportStatus);
    if (!bar) return;
    if (!::IsWindowVisible(bar)) {
      ::ShowWindow(bar, SW_SHOW);
    } else if (lngCurrent >= lngTotal) {
      ::ShowWindow(bar, SW_HIDE);
    }
    // The bar takes any numbers: no total counts as one step, a position beyond it as full.
    // Rendering holds the thread, so the bar is moved and painted only when it moves by a whole
    // percent: every range or position message costs a repaint request.
    const int maximum = std::max<std::int32_t>(lngTotal, 1);
    const int position = std::max<std::int32_t>(0, std::min<std::int32_t>(lngCurrent, maximum));
    const int percent = static_cast<int>(static_cast<long long>(position) * 100 / maximum);
    if (maximum != progressMaximum) {
      progressMaximum = maximum;
      lastProgressPercent = -1;
      ::SendMessageA(bar, PBM_SETRANGE32, 0, maximum);
    }
    if (percent != lastProgressPercent) {
      lastProgressPercent = percent;
      ::SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
      // A paint reaches the screen at once; some twenty a second are plenty for the eye.
      const DWORD now = ::GetTickCount();
      if (now - lastProgressPaint >= 50 || position == maximum) {
        lastProgressPaint = now;
        ::UpdateWindow(bar);
      }
    }
  }

  // --- closing ------------------------------------------------------------------------------

  void DeleteTemporaryReports() {
    if (styles) {
      for (const auto& job : *styles)
        if (job->LocalFileIsTemporary) job->DeleteLocalFile();
    }
    FileSystem* files = jobServices.files ? jobServices.files : services.files;
    if (!files) files = &LocalFileSystem();
    for (const std::string& path : temporaryFiles) {
      try {
        if (files->StatePath(path) != PathState::Missing && files->StatePath(path) != PathState::Directory)
          files->RemoveFile(path);
      } catch (const std::exception&) {
        // a file that cannot go stays; clean-up goes on with the next
      }
    }
    temporaryFiles.clear();
    styles.reset();
  }

  // --- messages -----------------------------------------------------------------------------

  void Guarded(void (State::*handler)(bool), bool argument) {
    try {
      (this->*handler)(argument);
    } catch (const std::exception& error) {
      prompt.Warn(messageBoxCaption.empty() ? kDefaultMessageCaption : messageBoxCaption, error.what());
    }
  }

  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND:
        switch (LOWORD(wParam)) {
          case kCmdView:
            Guarded(&State::ProduceReport, false);
            return TRUE;
          case kCmdSave:
            Guarded(&State::ProduceReport, true);
            return TRUE;
          case kCmdClose:
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
          case kCboFormat:
            if (HIWORD(wParam) == CBN_SELCHANGE) {
              try {
                cboFormat_Click();
              } catch (const std::exception&) {
                // the list keeps the rows it could show
              }
            }
            return TRUE;
          default:
            break;
        }
        break;
      case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == kLvwStyle && header->code == NM_DBLCLK) {
          Guarded(&State::ProduceReport, false);
          return TRUE;
        }
        break;
      }
      case WM_DESTROY:
        ::SendMessageA(Styles(), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        break;
      case WM_NCDESTROY:
        controls.clear();
        images.reset();
        imageIndex.clear();
        rowKeys.clear();
        dialog = nullptr;
        break;
      default:
        break;
    }
    return FALSE;
  }

  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      auto* state = reinterpret_cast<State*>(lParam);
      ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
      state->dialog = window;
      try {
        state->Form_Load();
      } catch (...) {
        state->loadError = std::current_exception();
        ::EndDialog(window, -1);
      }
      return TRUE;
    }
    auto* state = reinterpret_cast<State*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (!state) return FALSE;
    return WindowBoundary(INT_PTR{FALSE}, [&] { return state->HandleMessage(message, wParam, lParam); });
  }
};

ReportForm::ReportForm() : state_(std::make_unique<State>()) {}

ReportForm::~ReportForm() {
  try {
    state_->DeleteTemporaryReports();
  } catch (...) {
  }
}

void ReportForm::ListView(Grid* objListView) { state_->listView = objListView; }
void ReportForm::ExtraParameters(std::shared_ptr<ReportParameters> objParameters) {
  state_->parameters = std::move(objParameters);
}
void ReportForm::ExternalFormatFile(const std::string& strFile) { state_->externalFormatFile = strFile; }
void ReportForm::MessageBoxCaption(const std::string& strMessageBoxCaption) {
  state_->messageBoxCaption = strMessageBoxCaption;
}
void ReportForm::Services(const ReportServices& services) { state_->services = services; }

void ReportForm::Show(HWND owner) {
  State& s = *state_;
  if (s.dialog) throw std::logic_error("the Create Report dialog is shown already");
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  const std::vector<WORD> dialogTemplate = MakeDialogTemplate();
  s.loadError = nullptr;
  const INT_PTR result =
      ::DialogBoxIndirectParamA(CodeModule(), reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()), owner,
                                &State::DialogProc, reinterpret_cast<LPARAM>(&s));
  if (s.loadError) std::rethrow_exception(std::exchange(s.loadError, nullptr));
  if (result == -1) throw std::runtime_error("the Create Report dialog cannot be shown");
}

void ReportForm::CleanUp() { state_->DeleteTemporaryReports(); }

HWND ReportForm::Window() const { return state_->dialog; }

}  // namespace orlix
