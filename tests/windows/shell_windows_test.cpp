// The About and main windows in this process (this test program carries the program's resources):
// what a user sees and gets from each button, the grid against the live component scan, the
// caption file, the resize limits and the keyboard; and the real program's start-up.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/captions.h"
#include "app/component_scan.h"
#include "app/options.h"
#include "app/ui/frm_about.h"
#include "app/ui/frm_main.h"
#include "platform/ansi_win.h"
#include "platform/registry_win.h"
#include "platform/unique_handle_win.h"
#include "reportview/memory_grid.h"
#include "reportview/report_view_data.h"

namespace orlix {
namespace {

// Runs the thread's messages as the program's loop does; true when WM_QUIT came by.
bool Pump(int milliseconds = 50) {
  bool quit = false;
  const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
  do {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        continue;
      }
      if (Form::PreTranslateMessage(&message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    ::Sleep(5);
  } while (::GetTickCount() < end);
  return quit;
}

struct ClassSearch {
  const char* className;
  std::vector<HWND> found;
};

BOOL CALLBACK NoteWindowOfClass(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<ClassSearch*>(data);
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, search->className) == 0) search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> ThreadWindowsOfClass(const char* className) {
  ClassSearch search{className, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), NoteWindowOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND OnlyWindowOfClass(const char* className) {
  const std::vector<HWND> windows = ThreadWindowsOfClass(className);
  return windows.size() == 1 ? windows[0] : nullptr;
}

std::string Text(HWND window) {
  char text[512] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return AnsiToUtf8(text);
}

void Click(HWND window, int id) {
  const HWND button = ::GetDlgItem(window, id);
  ASSERT_NE(button, nullptr) << id;
  ::SendMessageA(button, BM_CLICK, 0, 0);
}

HWND GridList(HWND mainWindow) {
  return ::FindWindowExA(::GetDlgItem(mainWindow, kMainGrid), nullptr, WC_LISTVIEWA, nullptr);
}

int RowCount(HWND mainWindow) {
  return static_cast<int>(::SendMessageA(GridList(mainWindow), LVM_GETITEMCOUNT, 0, 0));
}

std::string Cell(HWND list, int row, int column) {
  char text[1024] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return AnsiToUtf8(text);
}

RECT ClientRectOf(HWND control) {
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string ProgramFolderFile(const char* name) { return ProgramDirectory() + "\\" + name; }

class ShellWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ::DeleteFileA(ProgramFolderFile(kCaptionFileName).c_str());
    LoadCaptions();
  }
  void TearDown() override {
    for (const char* className : {kAboutWindowClass, kMainWindowClass})
      for (HWND window : ThreadWindowsOfClass(className)) ::DestroyWindow(window);
    Pump(10);
    ::DeleteFileA(ProgramFolderFile(kCaptionFileName).c_str());
    LoadCaptions();
  }

  // The About window's OK: the main window that it opens.
  HWND OpenMainWindow() {
    const HWND about = frmAbout::Show();
    if (!about) return nullptr;
    Pump();
    Click(about, kAboutOk);
    Pump();
    return OnlyWindowOfClass(kMainWindowClass);
  }
};

TEST_F(ShellWindows, AboutWindowShowsTheCaptionsAndTheProgramsOwnVersion) {
  const HWND about = frmAbout::Show();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(Text(about), Captions()[100]);
  EXPECT_EQ(Text(::GetDlgItem(about, kAboutVersion)), "Application Version: " ORLIX_EXPECTED_VERSION);
  EXPECT_EQ(Text(::GetDlgItem(about, kAboutAppName)), "Ravelin");
  EXPECT_EQ(Text(::GetDlgItem(about, kAboutOk)), "OK");
  // The picture and the client area keep the design size in twips at this window's DPI.
  RECT client{};
  ::GetClientRect(about, &client);
  EXPECT_EQ(client.right, TwipsToPixels(6855, WindowDpi(about)));
  EXPECT_EQ(client.bottom, TwipsToPixels(4080, WindowDpi(about)));
}

// Height that `label`'s text needs in its own font, wrapped at the label's width.
int NeededHeight(HWND label) {
  char text[512] = {};
  ::GetWindowTextA(label, text, sizeof text);
  RECT r{};
  ::GetClientRect(label, &r);
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageA(label, WM_GETFONT, 0, 0)));
  ::DrawTextA(dc.get(), text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
  return r.bottom - r.top;
}

TEST_F(ShellWindows, AboutLabelsShowTheirWholeTextAndNoneOverlapsAnotherAt96And144Dpi) {
  const HWND about = frmAbout::Show();
  ASSERT_NE(about, nullptr);
  const int labels[] = {kAboutCompanyName, kAboutAppName, kAboutNote,    kAboutUrl,
                        kAboutVersion,     kAboutNotice,  kAboutCompany, kAboutRights};
  for (const int dpi : {96, 144}) {
    // As when the window moves to a monitor of that DPI.
    RECT outer{};
    ::GetWindowRect(about, &outer);
    ::SendMessageA(about, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&outer));
    std::vector<RECT> placed;
    for (const int id : labels) {
      const HWND label = ::GetDlgItem(about, id);
      const RECT r = ClientRectOf(label);
      EXPECT_LE(NeededHeight(label), r.bottom - r.top) << "label " << id << " at " << dpi << " DPI: " << Text(label);
      EXPECT_EQ(r.left, TwipsToPixels(4200, dpi)) << id;
      for (std::size_t other = 0; other < placed.size(); ++other) {
        RECT common{};
        EXPECT_FALSE(::IntersectRect(&common, &r, &placed[other]))
            << "labels " << labels[other] << " and " << id << " at " << dpi << " DPI";
      }
      placed.push_back(r);
    }
  }
}

TEST_F(ShellWindows, OkOpensAnEmptyMainWindowWithReportDisabled) {
  const HWND main = OpenMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(ThreadWindowsOfClass(kAboutWindowClass).empty()) << "the About window is destroyed, not hidden";
  EXPECT_EQ(Form::OpenCount(), 1);
  EXPECT_EQ(Text(main), "Orlix Ravelin");
  ASSERT_NE(GridList(main), nullptr);
  EXPECT_EQ(RowCount(main), 0);
  EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(GridList(main))), 5) << "the field mask is set at load";
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main, kMainReport)));
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main, kMainGenerateList)));
}

// A registration made for the test in the class root (Wine shows HKLM\Software\Classes there):
// the ProgID's Clsid entry and, when `file` is given, the class with that in-process server.
class TestRegistration {
 public:
  explicit TestRegistration(const std::string& progId, const std::string& clsid = "{6F1D3A52-8C0B-4E27-9A4D-3B2C1E0F5A6D}",
                            const std::string& file = "")
      : progId_(progId), clsid_(clsid), withClass_(!file.empty()) {
    SetDefault("Software\\Classes\\" + progId + "\\Clsid", clsid);
    if (withClass_) SetDefault("Software\\Classes\\CLSID\\" + clsid + "\\InprocServer32", file);
  }
  ~TestRegistration() {
    ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, ("Software\\Classes\\" + progId_).c_str());
    if (withClass_) ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, ("Software\\Classes\\CLSID\\" + clsid_).c_str());
  }
  TestRegistration(const TestRegistration&) = delete;
  TestRegistration& operator=(const TestRegistration&) = delete;

 private:
  static void SetDefault(const std::string& path, const std::string& value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return;
    UniqueHkey owned(key);
    ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
  }

  std::string progId_;
  std::string clsid_;
  bool withClass_;
};

// The grid holds one row per row of a fresh scan, in scan order, each cell as the grid's intake
// shows that scan value (numbers such as versions come padded and centred).
void ExpectGridShowsTheScan(HWND main) {
  Win32Registry classRoot(HKEY_CLASSES_ROOT);
  const auto scan = std::make_shared<const VariantArray>(BuildComponentList(classRoot));
  const int rows = scan->UpperBound(1) + 1;
  ASSERT_GT(rows, 0);
  MemoryGrid expected;
  ReportViewData intake(expected);
  intake.ApplyFieldMask(kComponentFieldMask);
  intake.StoreDataToShow(Variant::FromArray(scan));
  intake.Generate();
  ASSERT_EQ(expected.ItemCount(), rows);

  ASSERT_EQ(RowCount(main), rows);
  const HWND list = GridList(main);
  for (int row = 0; row < rows; ++row) {
    ASSERT_EQ(Cell(list, row, component_field::kProgId), scan->At(component_field::kProgId, row).Text()) << row;
    ASSERT_EQ(Cell(list, row, component_field::kClsid), scan->At(component_field::kClsid, row).Text()) << row;
    for (int field = 0; field < component_field::kCount; ++field)
      ASSERT_EQ(Cell(list, row, field), expected.ItemText(row, field)) << "row " << row << " field " << field;
  }
}

TEST_F(ShellWindows, GenerateListShowsExactlyTheScanAndASecondRunReplacesIt) {
  const HWND main = OpenMainWindow();
  ASSERT_NE(main, nullptr);
  Click(main, kMainGenerateList);
  ExpectGridShowsTheScan(main);
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main, kMainReport)));
  const int before = RowCount(main);

  const std::string progId = "OrlixShellTest" + std::to_string(::GetCurrentProcessId()) + ".Widget";
  {
    TestRegistration added(progId);
    Click(main, kMainGenerateList);
    ExpectGridShowsTheScan(main);
    EXPECT_EQ(RowCount(main), before + 1);
  }
  Click(main, kMainGenerateList);
  EXPECT_EQ(RowCount(main), before);
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main, kMainReport)));
}

// Closes the Create Report dialog from inside its modal loop and notes its title.
std::string g_dialogTitle;
HWND g_dialogOwner = nullptr;
BOOL CALLBACK CloseOwnedDialog(HWND window, LPARAM) {
  if (::IsWindowVisible(window) && ::GetWindow(window, GW_OWNER) == g_dialogOwner) {
    g_dialogTitle = Text(window);
    ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  }
  return TRUE;
}
void CALLBACK CloseReportDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  ::EnumThreadWindows(::GetCurrentThreadId(), CloseOwnedDialog, 0);
  if (!g_dialogTitle.empty()) ::KillTimer(nullptr, timer);
}

TEST_F(ShellWindows, ReportOpensTheCreateReportDialogOwnedByTheMainWindow) {
  const HWND main = OpenMainWindow();
  ASSERT_NE(main, nullptr);
  Click(main, kMainGenerateList);
  g_dialogTitle.clear();
  g_dialogOwner = main;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, CloseReportDialog);
  Click(main, kMainReport);  // returns when the dialog has closed
  ::KillTimer(nullptr, timer);
  EXPECT_EQ(g_dialogTitle, "Create Report");
  EXPECT_TRUE(::IsWindow(main));
}

TEST_F(ShellWindows, AboutThenOkBringsBackAnEmptyMainWindow) {
  HWND main = OpenMainWindow();
  ASSERT_NE(main, nullptr);
  Click(main, kMainGenerateList);
  ASSERT_GT(RowCount(main), 0);
  Click(main, kMainAbout);
  Pump();
  EXPECT_TRUE(ThreadWindowsOfClass(kMainWindowClass).empty());
  const HWND about = OnlyWindowOfClass(kAboutWindowClass);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(Form::OpenCount(), 1);
  Click(about, kAboutOk);
  EXPECT_FALSE(Pump()) << "the program goes on";
  main = OnlyWindowOfClass(kMainWindowClass);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(RowCount(main), 0);
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main, kMainReport)));
}

TEST_F(ShellWindows, CaptionFileRenamesTheButtonsNotWhatTheyDo) {
  std::ofstream(ProgramFolderFile(kCaptionFileName), std::ios::binary)
      << "[General]\r\n3=List components\r\n4=&Print\r\n5=Quit\r\n6=About this tool\r\n";
  LoadCaptions();
  const HWND main = OpenMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Text(::GetDlgItem(main, kMainGenerateList)), "List components");
  EXPECT_EQ(Text(::GetDlgItem(main, kMainReport)), "&Print");
  EXPECT_EQ(Text(::GetDlgItem(main, kMainClose)), "Quit");
  Click(main, kMainGenerateList);
  EXPECT_GT(RowCount(main), 0);
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main, kMainReport)));
}

TEST_F(ShellWindows, ResizeFollowsTheWindowAndBelowTheLimitsMovesNothing) {
  const HWND main = OpenMainWindow();
  ASSERT_NE(main, nullptr);
  const int dpi = WindowDpi(main);
  const HWND close = ::GetDlgItem(main, kMainClose);
  const HWND grid = ::GetDlgItem(main, kMainGrid);

  ::SetWindowPos(main, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{};
  ::GetClientRect(main, &client);
  const RECT closeAt = ClientRectOf(close);
  EXPECT_EQ(closeAt.left, TwipsToPixels(PixelsToTwips(client.right, dpi) - 1400, dpi));
  EXPECT_EQ(closeAt.top, TwipsToPixels(PixelsToTwips(client.bottom, dpi) - 400, dpi));
  const RECT gridAt = ClientRectOf(grid);
  EXPECT_EQ(gridAt.right - gridAt.left, TwipsToPixels(PixelsToTwips(client.right, dpi) - 100, dpi));

  // An outer height of 1500 twips or less: nothing moves.
  const std::vector<int> ids{kMainGenerateList, kMainReport, kMainClose, kMainAbout, kMainGrid, kMainLabel};
  std::vector<RECT> before;
  for (int id : ids) before.push_back(ClientRectOf(::GetDlgItem(main, id)));
  ::SetWindowPos(main, nullptr, 0, 0, 700, TwipsToPixels(1500, dpi), SWP_NOMOVE | SWP_NOZORDER);
  RECT outer{};
  ::GetWindowRect(main, &outer);
  ASSERT_LE(PixelsToTwips(outer.bottom - outer.top, dpi), 1500);
  for (std::size_t i = 0; i < ids.size(); ++i)
    EXPECT_TRUE(SameRect(ClientRectOf(::GetDlgItem(main, ids[i])), before[i])) << "control " << ids[i];
  // Minimised: nothing moves either.
  ::ShowWindow(main, SW_MINIMIZE);
  for (std::size_t i = 0; i < ids.size(); ++i)
    EXPECT_TRUE(SameRect(ClientRectOf(::GetDlgItem(main, ids[i])), before[i])) << "control " << ids[i];
}

// Keys go to the focused control as the message loop hands them out.
void PressKey(HWND window, WPARAM key) {
  ::PostMessageA(window, WM_KEYDOWN, key, 1);
  ::PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

TEST_F(ShellWindows, KeyboardEnterGeneratesTabMovesOnEscClosesAndTheProgramEnds) {
  const HWND main = OpenMainWindow();
  ASSERT_NE(main, nullptr);
  const HWND generate = ::GetDlgItem(main, kMainGenerateList);
  ASSERT_EQ(::GetFocus(), generate) << "the first control of the tab order";
  PressKey(generate, VK_TAB);
  Pump();
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(main, kMainClose)) << "tab index 1";
  PressKey(::GetFocus(), VK_TAB);
  Pump();
  EXPECT_EQ(::GetAncestor(::GetFocus(), GA_PARENT), ::GetDlgItem(main, kMainGrid)) << "Report is disabled: the grid";

  ::SetFocus(::GetDlgItem(main, kMainAbout));
  PressKey(::GetFocus(), VK_RETURN);
  Pump();
  // Enter pressed the focused button (About) only when the default would not: here the About
  // button has the focus, so the About window came up.
  EXPECT_TRUE(ThreadWindowsOfClass(kMainWindowClass).empty());
  const HWND about = OnlyWindowOfClass(kAboutWindowClass);
  ASSERT_NE(about, nullptr);
  PressKey(::GetFocus(), VK_RETURN);  // OK is the About window's default button
  Pump();
  const HWND again = OnlyWindowOfClass(kMainWindowClass);
  ASSERT_NE(again, nullptr);
  PressKey(::GetFocus(), VK_RETURN);  // the default button: Generate List
  Pump();
  EXPECT_GT(RowCount(again), 0);
  PressKey(::GetFocus(), VK_ESCAPE);  // the cancel button: Close
  EXPECT_TRUE(Pump()) << "the last window closed: WM_QUIT";
  EXPECT_EQ(Form::OpenCount(), 0);
}

// --- the grid's diagnosis: missing files, the context menu, Copy, Open File Location ---

// Records the command lines the window would start.
class RecordingLauncher : public ProcessLauncher {
 public:
  bool StartCommandLine(const std::string& commandLine, std::string*) override {
    started.push_back(commandLine);
    return true;
  }
  bool OpenDocument(const std::string&, std::string*, std::string*) override { return false; }
  std::vector<std::string> started;
};

void SelectOnly(HWND list, const std::vector<int>& items) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED;
  ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  state.state = LVIS_SELECTED;
  for (int item : items) ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
}

std::string ClipboardText() {
  std::string text;
  if (!::OpenClipboard(nullptr)) return text;
  if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = WideToUtf8(wide);
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

// The share of `item`'s visible row, as the list draws it, that is of `colour`.
double ShareOfColour(HWND list, int item, COLORREF colour) {
  RECT client{};
  ::GetClientRect(list, &client);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  UniqueHbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  if (!bitmap || !dc) return -1;
  SelectedObject drawing(dc.get(), bitmap.get());
  ::SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
  ::GdiFlush();
  RECT row{};
  row.left = LVIR_BOUNDS;
  ::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row));
  RECT visible{};
  if (!::IntersectRect(&visible, &row, &client)) return -1;
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  const std::uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  int count = 0;
  for (int y = visible.top; y < visible.bottom; ++y)
    for (int x = visible.left; x < visible.right; ++x)
      if ((pixels[y * client.right + x] & 0xFFFFFF) == wanted) ++count;
  return static_cast<double>(count) / ((visible.right - visible.left) * (visible.bottom - visible.top));
}

double Luminance(COLORREF colour) {
  const auto linear = [](int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(GetRValue(colour)) + 0.7152 * linear(GetGValue(colour)) + 0.0722 * linear(GetBValue(colour));
}

double ContrastRatio(COLORREF a, COLORREF b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The enabled state of each item of the context menu, read while the menu is open.
std::vector<int> g_menuIds;
std::vector<bool> g_menuEnabled;
BOOL CALLBACK ReadOpenMenu(HWND window, LPARAM) {
  char name[16] = {};
  ::GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32768") != 0) return TRUE;
  const auto menu = reinterpret_cast<HMENU>(::SendMessageA(window, 0x01E1 /* MN_GETHMENU */, 0, 0));
  if (!menu) return TRUE;
  g_menuEnabled.clear();
  for (int id : g_menuIds) {
    const UINT state = ::GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
    g_menuEnabled.push_back(state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0);
  }
  return FALSE;
}
void CALLBACK ReadAndCloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  ::EnumThreadWindows(::GetCurrentThreadId(), ReadOpenMenu, 0);
  if (g_menuEnabled.empty()) return;
  ::KillTimer(nullptr, timer);
  ::EndMenu();
}

class GridDiagnosis : public ShellWindows {
 protected:
  void SetUp() override {
    ShellWindows::SetUp();
    const std::string tag = std::to_string(::GetCurrentProcessId());
    missingProgId_ = "OrlixMissing" + tag + ".Widget";
    presentProgId_ = "OrlixPresent" + tag + ".Widget";
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    presentFile_ = AnsiToUtf8(self);
    missing_ = std::make_unique<TestRegistration>(missingProgId_, kMissingClsid, kMissingFile);
    present_ = std::make_unique<TestRegistration>(presentProgId_, kPresentClsid, presentFile_);
    main_ = frmMain::Show(launcher_);
    ASSERT_NE(main_, nullptr);
    Click(main_, kMainGenerateList);
    list_ = GridList(main_);
    missingItem_ = Find(missingProgId_);
    presentItem_ = Find(presentProgId_);
    ASSERT_GE(missingItem_, 0);
    ASSERT_GE(presentItem_, 0);
  }

  int Find(const std::string& progId) {
    LVFINDINFOA find{};
    find.flags = LVFI_STRING;
    find.psz = progId.c_str();
    const int item = static_cast<int>(::SendMessageA(list_, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    ::SendMessageA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
    return item;
  }

  static constexpr char kMissingClsid[] = "{0B7E5A21-6C3D-4F80-9E12-7A5B3C4D2E11}";
  static constexpr char kPresentClsid[] = "{0B7E5A21-6C3D-4F80-9E12-7A5B3C4D2E12}";
  static constexpr char kMissingFile[] = "C:\\orlix-nowhere\\widget.dll";
  RecordingLauncher launcher_;
  std::string missingProgId_, presentProgId_, presentFile_;
  std::unique_ptr<TestRegistration> missing_, present_;
  HWND main_ = nullptr, list_ = nullptr;
  int missingItem_ = -1, presentItem_ = -1;
};

TEST_F(GridDiagnosis, AMissingFileRowIsDrawnInTheAttentionColoursAlsoWhenSelected) {
  const AttentionColours colours = CurrentAttentionColours();
  EXPECT_GE(ContrastRatio(colours.text, colours.background), 4.5);
  EXPECT_GE(ContrastRatio(colours.selectedText, colours.selectedBackground), 4.5);
  SelectOnly(list_, {});
  EXPECT_GT(ShareOfColour(list_, missingItem_, colours.text), 0);
  EXPECT_EQ(ShareOfColour(list_, presentItem_, colours.text), 0);

  SelectOnly(list_, {missingItem_, presentItem_});
  EXPECT_GT(ShareOfColour(list_, missingItem_, colours.selectedBackground), 0.5)
      << "the selected missing row is a bar of the attention colour";
  EXPECT_EQ(ShareOfColour(list_, presentItem_, colours.selectedBackground), 0) << "other rows select as usual";
}

TEST_F(GridDiagnosis, TheContextMenuEnablesWhatTheSelectionAllows) {
  struct Case {
    std::vector<int> selected;
    bool copy, copyClsid, openLocation;
  } const cases[] = {
      {{}, false, false, false},
      {{missingItem_}, true, true, false},
      {{presentItem_}, true, true, true},
      {{missingItem_, presentItem_}, true, true, false},
  };
  g_menuIds = {kMainCopy, kMainCopyClsid, kMainOpenFileLocation};
  for (const Case& c : cases) {
    SelectOnly(list_, c.selected);
    g_menuEnabled.clear();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, ReadAndCloseMenu);
    RECT at{};
    ::GetWindowRect(list_, &at);
    // As the list view raises it after a right click: it travels up to the main window.
    ::SendMessageA(list_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list_), MAKELPARAM(at.left + 20, at.top + 40));
    ::KillTimer(nullptr, timer);
    ASSERT_EQ(g_menuEnabled.size(), 3u) << "the menu did not open";
    EXPECT_EQ(g_menuEnabled, (std::vector<bool>{c.copy, c.copyClsid, c.openLocation})) << c.selected.size() << " rows";
  }
}

TEST_F(GridDiagnosis, CtrlCCopiesTheSelectedRowsWithTheHeaderAndCopyClsidTheirClsids) {
  SelectOnly(list_, {missingItem_, presentItem_});
  const std::vector<std::string> lines = {
      "ProgID\tFile Path\tVersion\tAttribute\tCLSID",
      missingProgId_ + "\t" + kMissingFile + "\t\t\t" + kMissingClsid,
      presentProgId_ + "\t" + presentFile_ + "\t\t\t" + kPresentClsid,
  };
  // The rows come in list order.
  const bool missingFirst = missingItem_ < presentItem_;
  const std::string expected = lines[0] + "\r\n" + lines[missingFirst ? 1 : 2] + "\r\n" + lines[missingFirst ? 2 : 1] + "\r\n";

  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  const BYTE control = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  ::SetKeyboardState(keys);
  PressKey(list_, 'C');
  Pump();
  keys[VK_CONTROL] = control;
  ::SetKeyboardState(keys);
  EXPECT_EQ(ClipboardText(), expected);

  ::SendMessageA(main_, WM_COMMAND, kMainCopyClsid, 0);
  EXPECT_EQ(ClipboardText(), missingFirst ? std::string(kMissingClsid) + "\r\n" + kPresentClsid
                                          : std::string(kPresentClsid) + "\r\n" + kMissingClsid);
}

TEST_F(GridDiagnosis, OpenFileLocationStartsExplorerWithThePresentFileSelected) {
  SelectOnly(list_, {missingItem_});
  ::SendMessageA(main_, WM_COMMAND, kMainOpenFileLocation, 0);
  EXPECT_TRUE(launcher_.started.empty()) << "a missing file has no location to show";

  SelectOnly(list_, {presentItem_});
  ::SendMessageA(main_, WM_COMMAND, kMainOpenFileLocation, 0);
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  ASSERT_EQ(launcher_.started.size(), 1u);
  EXPECT_EQ(launcher_.started[0], "\"" + AnsiToUtf8(windows) + "\\explorer.exe\" /select,\"" + presentFile_ + "\"");
}

// --- the real program ---

struct ProcessWindows {
  DWORD processId;
  std::vector<HWND> visible;
};

BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM data) {
  auto* p = reinterpret_cast<ProcessWindows*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == p->processId && ::IsWindowVisible(window)) p->visible.push_back(window);
  return TRUE;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

TEST(OrlixObjectProgram, StartsWithOnlyTheAboutWindowAndClosingItEndsTheProgram) {
  std::string exe = std::string(ORLIX_BINARY_DIR) + "/app/OrlixObject.exe";
  for (char& ch : exe) ch = ch == '/' ? '\\' : ch;
  if (exe[1] != ':') exe = "Z:" + exe;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + exe + "\"";
  ASSERT_TRUE(::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process))
      << exe;
  UniqueFile processHandle(process.hProcess), threadHandle(process.hThread);

  ProcessWindows windows{process.dwProcessId, {}};
  for (int i = 0; i < 200 && windows.visible.empty(); ++i) {
    ::Sleep(50);
    windows.visible.clear();
    ::EnumWindows(NoteVisibleWindow, reinterpret_cast<LPARAM>(&windows));
  }
  ::Sleep(300);  // anything else the program might open
  windows.visible.clear();
  ::EnumWindows(NoteVisibleWindow, reinterpret_cast<LPARAM>(&windows));
  ASSERT_EQ(windows.visible.size(), 1u);
  const HWND about = windows.visible[0];
  EXPECT_EQ(ClassOf(about), kAboutWindowClass);
  EXPECT_EQ(Text(about), "Orlix Ravelin");

  ::PostMessageA(about, WM_CLOSE, 0, 0);
  ASSERT_EQ(::WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0) << "the program did not end";
  DWORD code = 1;
  ::GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace orlix
