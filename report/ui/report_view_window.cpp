#include "report/ui/report_view_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <vector>

#include "base/format.h"
#include "base/locale_info.h"
#include "platform/current_locale.h"
#include "base/text.h"
#include "platform/ansi_win.h"
#include "platform/com_boundary_win.h"
#include "platform/unique_handle_win.h"
#include "platform/window_win.h"
#include "report/report_files.h"
#include "report/report_jobs.h"
#include "report/ui/report_form.h"
#include "reportview/listview_grid_win.h"
#include "reportview/report_view_data.h"

namespace orlix {

namespace {

constexpr char kWindowClass[] = "OrlixReportView";
constexpr int kListViewId = 1;
constexpr char kDefaultTitle[] = "Report";
constexpr char kDefaultSubTitle[] = "{||Date||}";
constexpr char kDefaultFieldMask[] = "";

void RegisterWindowClass(WNDPROC procedure) {
  const HINSTANCE module = CodeModule();
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExA(module, kWindowClass, &existing)) return;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = module;
  windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!::RegisterClassExA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::runtime_error("the report view window class cannot be registered");
}

// Text of one cell (column 0 is the item's own text) set without touching the item's lParam.
void SetCellText(HWND listView, int item, int column, const std::string& text) {
  std::string ansi = Utf8ToAnsi(text);
  LVITEMA change{};
  change.iSubItem = column;
  change.pszText = &ansi[0];
  ::SendMessageA(listView, LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&change));
}

LPARAM ItemParam(HWND listView, int item) {
  LVITEMA request{};
  request.mask = LVIF_PARAM;
  request.iItem = item;
  ::SendMessageA(listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request));
  return request.lParam;
}

void SetItemParam(HWND listView, int item, LPARAM param) {
  LVITEMA change{};
  change.mask = LVIF_PARAM;
  change.iItem = item;
  change.lParam = param;
  ::SendMessageA(listView, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

// The sort of the list view: keys by the item's position before the sort, compared as Windows
// lists compare texts (locale order, letter case ignored).
struct SortContext {
  std::vector<std::string> keys;  // ANSI
  bool descending = false;
};

int CALLBACK CompareItems(LPARAM first, LPARAM second, LPARAM context) {
  const auto& sort = *reinterpret_cast<const SortContext*>(context);
  const std::string& a = sort.keys[static_cast<std::size_t>(first)];
  const std::string& b = sort.keys[static_cast<std::size_t>(second)];
  int result = ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size())) -
               CSTR_EQUAL;
  if (sort.descending) result = -result;
  if (result == 0) result = first < second ? -1 : (first > second ? 1 : 0);  // keeps equal rows in order
  return result;
}

// Relative luminance and contrast ratio as the accessibility guidelines define them.
double Luminance(COLORREF colour) {
  const auto channel = [](int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(GetRValue(colour)) + 0.7152 * channel(GetGValue(colour)) + 0.0722 * channel(GetBValue(colour));
}

double Contrast(COLORREF a, COLORREF b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool HighContrast() {
  HIGHCONTRASTA settings{};
  settings.cbSize = sizeof settings;
  return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof settings, &settings, 0) &&
         (settings.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

AttentionColours CurrentAttentionColours() {
  const COLORREF window = ::GetSysColor(COLOR_WINDOW);
  COLORREF attention = ::GetSysColor(COLOR_GRAYTEXT);
  if (!HighContrast()) {
    // A dark red on light backgrounds, a light one on dark backgrounds.
    const COLORREF darkRed = RGB(176, 0, 0), lightRed = RGB(255, 140, 140);
    attention = Contrast(darkRed, window) >= Contrast(lightRed, window) ? darkRed : lightRed;
  }
  return AttentionColours{attention, window, window, attention};
}

struct ReportView::State {
  ReportView* owner = nullptr;
  std::string title = kDefaultTitle;
  std::string subTitle = kDefaultSubTitle;
  PropertyChangedHandler changed;

  HWND window = nullptr;
  HWND listView = nullptr;
  bool ownWindow = false;  // the hidden window of an unsited control
  std::unique_ptr<ListViewGrid> grid;
  std::unique_ptr<ReportViewData> data;
  // Mask and data kept while no window exists (before the first one, or after Destroy).
  std::string keptMask;
  Variant keptData;

  // The list view's sort state.
  int sortKey = 0;
  int sortOrder = 0;  // 0 ascending, 1 descending
  bool sorted = false;
  // Per-cell tags, by row in list order and column; they follow their rows through every sort.
  std::vector<std::map<int, std::string>> tags;
  // The data row of each item, in list order; follows the rows through every sort like the tags.
  std::vector<int> dataRows;

  ReportView::RowAttention attention;
  std::function<void(unsigned)> keyHandler;
  UniqueHwnd tipWindow;      // its owner, the top-level window, may have destroyed it first
  int tipItem = -1;          // the item the tool tip last spoke of
  std::string tipText;       // ANSI; read by the tool tip after the notification returns

  void Notify(const char* name) {
    if (changed) changed(name);
  }

  void EnsureWindow() {
    if (window) return;
    MakeWindow(nullptr, RECT{0, 0, 0, 0}, 0, false);
  }

  void MakeWindow(HWND parent, const RECT& bounds, int controlId, bool visible) {
    RegisterWindowClass(&State::WindowProc);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const DWORD style = (parent ? WS_CHILD : WS_POPUP) | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0);
    HWND created = ::CreateWindowExA(0, kWindowClass, "", style, bounds.left, bounds.top, bounds.right - bounds.left,
                                     bounds.bottom - bounds.top, parent,
                                     parent ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)) : nullptr,
                                     CodeModule(), this);
    if (!created) throw std::runtime_error("the report view window cannot be created");
    UniqueHwnd guard(created);
    listView = ::CreateWindowExA(0, WC_LISTVIEWA, "",
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                                 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top, created,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListViewId)), CodeModule(), nullptr);
    if (!listView) throw std::runtime_error("the report view's list view cannot be created");
    ::SendMessageA(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP,
                   LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    ::SendMessageA(listView, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    grid = std::make_unique<ListViewGrid>(BorrowedWindow{listView});
    data = std::make_unique<ReportViewData>(*grid);
    data->SetLayoutHandler([this] { Layout(); });
    data->StoreFieldMask(keptMask);
    data->StoreDataToShow(keptData);
    keptMask.clear();
    keptData = Variant();
    ownWindow = parent == nullptr;
    window = guard.release();
    if (attention.tip) MakeTipWindow();
  }

  void Layout() {
    if (!window || !listView) return;
    RECT client{};
    if (!::GetClientRect(window, &client)) return;
    ::MoveWindow(listView, 0, 0, client.right - client.left, client.bottom - client.top, TRUE);
  }

  void ResetRows() {
    tags.clear();
    dataRows.clear();
  }

  // Orders the items by the text of column sortKey in sortOrder. Each item's lParam (the count
  // of its sub-items) is swapped for its position during the sort and put back after it.
  void SortItems() {
    const int count = static_cast<int>(::SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    if (count <= 0) return;
    tags.resize(static_cast<std::size_t>(count));
    SortContext context;
    context.descending = sortOrder == 1;
    context.keys.reserve(static_cast<std::size_t>(count));
    std::vector<LPARAM> params(static_cast<std::size_t>(count));
    for (int item = 0; item < count; ++item) {
      std::string key;
      if (sortKey < grid->ColumnCount()) {
        try {
          key = Utf8ToAnsi(grid->ItemText(item, sortKey));
        } catch (const std::exception&) {
          key.clear();
        }
      }
      context.keys.push_back(std::move(key));
      params[static_cast<std::size_t>(item)] = ItemParam(listView, item);
      SetItemParam(listView, item, static_cast<LPARAM>(item));
    }
    ::SendMessageA(listView, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context), reinterpret_cast<LPARAM>(&CompareItems));
    std::vector<std::map<int, std::string>> sortedTags(static_cast<std::size_t>(count));
    const bool rowsKnown = dataRows.size() == static_cast<std::size_t>(count);
    std::vector<int> sortedRows(static_cast<std::size_t>(count), -1);
    for (int item = 0; item < count; ++item) {
      const LPARAM before = ItemParam(listView, item);
      if (before < 0 || before >= count) continue;
      SetItemParam(listView, item, params[static_cast<std::size_t>(before)]);
      sortedTags[static_cast<std::size_t>(item)] = std::move(tags[static_cast<std::size_t>(before)]);
      if (rowsKnown) sortedRows[static_cast<std::size_t>(item)] = dataRows[static_cast<std::size_t>(before)];
    }
    tags = std::move(sortedTags);
    if (rowsKnown) dataRows = std::move(sortedRows);
  }

  // Sorts by a column of dates written as text: each cell's text goes into its tag (in front of
  // the old tag), the cell shows a 14-digit key while the list sorts, then texts and tags return.
  void SortDateColumn(int index) {
    const int column = index - 1;
    WindowUpdateLock lock(listView);
    const int count = static_cast<int>(::SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    tags.resize(static_cast<std::size_t>(std::max(count, 0)));
    const LocaleInfo& locale = CurrentLocale();
    for (int item = 0; item < count; ++item) {
      try {
        if (column > 0 && grid->SubItemCount(item) < column) continue;
        const std::string text = grid->ItemText(item, column);
        std::string& tag = tags[static_cast<std::size_t>(item)][column];
        tag = text + std::string(1, '\0') + tag;
        double date = 0;
        SetCellText(listView, item, column,
                    ParseDateText(text, locale, &date) ? FormatVariant(Variant::FromDate(date), "YYYYMMDDHhNnSs", locale)
                                                       : std::string());
      } catch (const std::exception&) {
        // a cell that cannot be read keeps its text
      }
    }
    sortOrder = (sortOrder + 1) % 2;
    sortKey = column;
    sorted = true;
    try {
      SortItems();
    } catch (const std::exception&) {
      // the texts are restored below whatever the sort did
    }
    for (int item = 0; item < count && static_cast<std::size_t>(item) < tags.size(); ++item) {
      auto& row = tags[static_cast<std::size_t>(item)];
      const auto found = row.find(column);
      if (found == row.end()) continue;
      const std::size_t separator = found->second.find('\0');
      if (separator == std::string::npos) continue;
      const std::size_t next = found->second.find('\0', separator + 1);
      SetCellText(listView, item, column, found->second.substr(0, separator));
      found->second = found->second.substr(separator + 1, next == std::string::npos ? std::string::npos : next - separator - 1);
    }
  }

  int DataRowOfItem(int item) const {
    return item >= 0 && static_cast<std::size_t>(item) < dataRows.size() ? dataRows[static_cast<std::size_t>(item)] : -1;
  }

  bool Marked(int item) const {
    const int row = DataRowOfItem(item);
    return row >= 0 && attention.marked && attention.marked(row);
  }

  // A marked row keeps its colour when selected: its selection bar takes the attention colour.
  LRESULT lvwChildObjects_CustomDraw(NMLVCUSTOMDRAW& draw) {
    if (!attention.marked) return CDRF_DODEFAULT;
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const int item = static_cast<int>(draw.nmcd.dwItemSpec);
    if (!Marked(item)) return CDRF_DODEFAULT;
    const AttentionColours colours = CurrentAttentionColours();
    if (::SendMessageA(listView, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_SELECTED) & LVIS_SELECTED) {
      draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
      draw.clrText = colours.selectedText;
      draw.clrTextBk = colours.selectedBackground;
    } else {
      draw.clrText = colours.text;
      draw.clrTextBk = colours.background;
    }
    return CDRF_NEWFONT;
  }

  // The tool tip over the list: the tip of the marked row under the mouse, none elsewhere.
  void MakeTipWindow() {
    if (tipWindow || !listView) return;
    tipWindow.reset(::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                      CodeModule(), nullptr));
    if (!tipWindow) return;
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(listView);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    ::SendMessageA(tipWindow.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageA(tipWindow.get(), TTM_SETMAXTIPWIDTH, 0, 600);
    ::SetWindowSubclass(listView, &State::ListViewSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
  }

  int ItemAt(POINT client) const {
    LVHITTESTINFO hit{};
    hit.pt = client;
    return static_cast<int>(::SendMessageA(listView, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  }

  void TipText(NMTTDISPINFOA& info) {
    tipText.clear();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(listView, &cursor);
    tipItem = ItemAt(cursor);
    const int row = DataRowOfItem(tipItem);
    if (row >= 0 && attention.tip && Marked(tipItem)) tipText = Utf8ToAnsi(attention.tip(row));
    info.lpszText = &tipText[0];
  }

  // A new row under the mouse takes down the tip of the last one, so that the next is asked for.
  static LRESULT CALLBACK ListViewSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    auto* self = reinterpret_cast<State*>(data);
    if (message == WM_MOUSEMOVE && self->tipWindow) {
      const int item = self->ItemAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (item != self->tipItem) {
        self->tipItem = item;
        ::SendMessageA(self->tipWindow.get(), TTM_POP, 0, 0);
      }
    } else if (message == WM_NCDESTROY) {
      ::RemoveWindowSubclass(hwnd, &State::ListViewSubclass, 1);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
  }

  void lvwChildObjects_ColumnClick(int column) {
    const std::string header = grid->ColumnHeader(column);
    if (ToUpperAscii(header).find("DATE") != std::string::npos) {
      SortDateColumn(column + 1);
      return;
    }
    sortKey = column;
    sortOrder = sortOrder == 0 ? 1 : 0;
    sorted = true;
    SortItems();
  }

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_SIZE:
        try {
          Layout();
        } catch (...) {
        }
        return 0;
      case WM_SETFONT:
        if (listView) ::SendMessageA(listView, WM_SETFONT, wParam, lParam);
        return 0;
      case WM_SETFOCUS:
        if (listView) ::SetFocus(listView);
        return 0;
      case WM_CONTEXTMENU:
        // On its way to the host's menu: a row's tip would lie over it.
        if (tipWindow) ::SendMessageA(tipWindow.get(), TTM_POP, 0, 0);
        break;
      case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == listView && header->code == NM_CUSTOMDRAW)
          return lvwChildObjects_CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        if (header->hwndFrom == listView && header->code == LVN_KEYDOWN) {
          if (keyHandler) keyHandler(reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey);
          return 0;
        }
        if (tipWindow && header->hwndFrom == tipWindow.get() && header->code == TTN_GETDISPINFOA) {
          TipText(*reinterpret_cast<NMTTDISPINFOA*>(lParam));
          return 0;
        }
        if (header->hwndFrom == listView && header->code == LVN_COLUMNCLICK) {
          try {
            lvwChildObjects_ColumnClick(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
          } catch (...) {
            // a sort that cannot be done leaves the list as it is
          }
          return 0;
        }
        break;
      }
      case WM_NCDESTROY:
        // The window went with its parent: keep what the host gave, drop the window's parts.
        if (data) {
          keptMask = data->FieldMask();
          keptData = data->DataToShow();
        }
        data.reset();
        grid.reset();
        tags.clear();
        dataRows.clear();
        if (!::IsWindow(tipWindow.get())) static_cast<void>(tipWindow.release());
        tipWindow.reset();
        window = nullptr;
        listView = nullptr;
        break;
      default:
        break;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* created = static_cast<State*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      created->window = hwnd;
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* state = reinterpret_cast<State*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!state) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    const LRESULT result =
        WindowBoundary(LRESULT{0}, [&] { return state->HandleMessage(hwnd, message, wParam, lParam); });
    if (message == WM_NCDESTROY && state->window == hwnd) {
      // Keeping the host's values failed: the window's parts go with it all the same.
      state->data.reset();
      state->grid.reset();
      state->window = nullptr;
      state->listView = nullptr;
    }
    return result;
  }
};

ReportView::ReportView() : state_(std::make_unique<State>()) { state_->owner = this; }

ReportView::~ReportView() { Destroy(); }

void ReportView::Create(HWND parent, const RECT& bounds, int controlId, bool visible) {
  State& s = *state_;
  if (!parent) throw std::invalid_argument("a report view needs a parent window");
  if (s.window && s.ownWindow) {
    // The hidden window of an unsited control becomes the child of its new parent.
    LONG_PTR style = ::GetWindowLongPtrA(s.window, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(WS_POPUP | WS_VISIBLE)) | WS_CHILD;
    ::SetWindowLongPtrA(s.window, GWL_STYLE, style);
    if (!::SetParent(s.window, parent)) throw std::runtime_error("the report view window cannot be moved to its host");
    ::SetWindowLongPtrA(s.window, GWLP_ID, controlId);
    ::SetWindowPos(s.window, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   SWP_NOZORDER | SWP_FRAMECHANGED | (visible ? SWP_SHOWWINDOW : 0));
    s.ownWindow = false;
    s.Layout();
    return;
  }
  if (s.window) throw std::logic_error("the report view window exists already");
  s.MakeWindow(parent, bounds, controlId, visible);
}

HWND ReportView::Window() const { return state_->window; }
HWND ReportView::ListView() const { return state_->listView; }

void ReportView::Destroy() {
  if (state_->window) ::DestroyWindow(state_->window);
}

std::string ReportView::ReportTitle() const { return state_->title; }

void ReportView::ReportTitle(const std::string& strReportTitle) {
  state_->title = strReportTitle;
  state_->Notify("ReportTitle");
}

std::string ReportView::ReportSubTitle() const { return state_->subTitle; }

void ReportView::ReportSubTitle(const std::string& strReportSubTitle) {
  state_->subTitle = strReportSubTitle;
  state_->Notify("ReportSubTitle");
}

Variant ReportView::DataToShow() const {
  return state_->data ? state_->data->DataToShow() : state_->keptData;
}

void ReportView::DataToShow(const Variant& vntData) {
  state_->EnsureWindow();
  state_->data->StoreDataToShow(vntData);
  state_->Notify("DataToShow");
}

bool ReportView::ViewIsEmpty() const { return state_->data && state_->data->ViewIsEmpty(); }

std::string ReportView::FieldMask() const {
  return state_->data ? state_->data->FieldMask() : state_->keptMask;
}

void ReportView::FieldMask(const std::string& strFieldMask) {
  State& s = *state_;
  s.EnsureWindow();
  s.data->StoreFieldMask(strFieldMask);
  s.Notify("FieldMask");
  s.ResetRows();
  s.data->ParseFieldMask();
  s.data->BuildColumns();
}

void ReportView::Clear() {
  State& s = *state_;
  s.EnsureWindow();
  s.ResetRows();
  s.data->ClearView();
}

void ReportView::Generate() {
  State& s = *state_;
  s.EnsureWindow();
  s.ResetRows();
  s.data->Generate();
  s.dataRows.resize(static_cast<std::size_t>(std::max(0, s.grid->ItemCount())));
  for (std::size_t item = 0; item < s.dataRows.size(); ++item) s.dataRows[item] = static_cast<int>(item);
  // A sorted list keeps its order for new rows, as the list view's own sorting does.
  if (s.sorted) {
    WindowUpdateLock lock(s.listView);
    s.SortItems();
  }
}

void ReportView::Export(HWND owner) {
  State& s = *state_;
  s.EnsureWindow();
  if (!owner && !s.ownWindow) owner = ::GetAncestor(s.window, GA_ROOT);
  // The clock is read once for the date and once more for the time.
  const double date = LocalNowAsOleDate();
  const double time = LocalNowAsOleDate();
  ReportForm form;
  form.ListView(s.grid.get());
  form.ExtraParameters(MakeExportParameters(s.title, s.subTitle, date, time, CurrentLocale()));
  form.MessageBoxCaption("");
  form.Show(owner);
  form.CleanUp();
}

void ReportView::InitProperties() {
  State& s = *state_;
  s.title = kDefaultTitle;
  s.subTitle = kDefaultSubTitle;
  if (s.data)
    s.data->StoreFieldMask(kDefaultFieldMask);
  else
    s.keptMask = kDefaultFieldMask;
}

void ReportView::ReadProperties(PropertyStore& store) {
  State& s = *state_;
  const std::string mask = store.ReadProperty("FieldMask", kDefaultFieldMask);
  s.title = store.ReadProperty("ReportTitle", kDefaultTitle);
  s.subTitle = store.ReadProperty("ReportSubTitle", kDefaultSubTitle);
  // The mask is only stored: the first Generate reads it.
  if (s.data)
    s.data->StoreFieldMask(mask);
  else
    s.keptMask = mask;
}

void ReportView::WriteProperties(PropertyStore& store) const {
  store.WriteProperty("FieldMask", FieldMask(), kDefaultFieldMask);
  store.WriteProperty("ReportTitle", state_->title, kDefaultTitle);
  store.WriteProperty("ReportSubTitle", state_->subTitle, kDefaultSubTitle);
}

void ReportView::SetPropertyChangedHandler(PropertyChangedHandler handler) { state_->changed = std::move(handler); }

int ReportView::DataRowOfItem(int item) const { return state_->DataRowOfItem(item); }

std::vector<int> ReportView::SelectedDataRows() const {
  std::vector<int> rows;
  const HWND list = state_->listView;
  if (!list) return rows;
  for (int item = static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
       item >= 0; item = static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED))) {
    const int row = state_->DataRowOfItem(item);
    if (row >= 0) rows.push_back(row);
  }
  return rows;
}

void ReportView::SetRowAttention(RowAttention attention) {
  State& s = *state_;
  s.EnsureWindow();
  s.attention = std::move(attention);
  if (s.attention.tip) s.MakeTipWindow();
  ::InvalidateRect(s.listView, nullptr, TRUE);
}

void ReportView::SetKeyHandler(std::function<void(unsigned key)> handler) { state_->keyHandler = std::move(handler); }

}  // namespace orlix
