// The About and main windows in this process (this test program carries the program's resources),
// walked through as a user does: what each window shows and what each button does, the grid
// against the live component scan, the caption file, the resize limits, the keyboard, and the
// grid's diagnosis of missing files.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
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
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

using namespace testing_support;

// Runs the thread's messages as the program's loop does; true when WM_QUIT came by.
bool Pump(int milliseconds = 50) {
  bool quit = false;
  const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
  do {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
      } else if (!Form::PreTranslateMessage(&message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
      }
    }
    ::Sleep(5);
  } while (::GetTickCount() < end);
  return quit;
}

std::vector<HWND> WindowsOfClass(const char* className) {
  return ThreadWindows(::GetCurrentThreadId(), [&](HWND w) { return ClassOf(w) == className; });
}

HWND OnlyWindowOfClass(const char* className) {
  const std::vector<HWND> windows = WindowsOfClass(className);
  return windows.size() == 1 ? windows[0] : nullptr;
}

std::string Text(HWND window) { return AnsiToUtf8(WindowText(window)); }

void Click(HWND window, int id) { ::SendMessageA(::GetDlgItem(window, id), BM_CLICK, 0, 0); }

// Keys go to the focused control as the message loop hands them out; true when WM_QUIT came by.
bool PressKey(HWND window, WPARAM key) {
  ::PostMessageA(window, WM_KEYDOWN, key, 1);
  ::PostMessageA(window, WM_KEYUP, key, 0xC0000001);
  return Pump();
}

HWND GridList(HWND mainWindow) { return ::FindWindowExA(::GetDlgItem(mainWindow, kMainGrid), nullptr, WC_LISTVIEWA, nullptr); }

bool operator==(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

int RowCount(HWND mainWindow) { return ListRowCount(GridList(mainWindow)); }

bool Enabled(HWND window, int id) { return ::IsWindowEnabled(::GetDlgItem(window, id)) != FALSE; }

RECT ClientRectOf(HWND control) {
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// A class registered for the test in the class root (Wine shows HKLM\Software\Classes there):
// the ProgID and, when `file` is given, the class with that in-process server.
class TestRegistration {
 public:
  TestRegistration(const std::string& progId, const std::string& clsid, const std::string& file = "") {
    keys_.Own("Software\\Classes\\" + progId);
    keys_.Set("Software\\Classes\\" + progId + "\\Clsid", clsid);
    if (file.empty()) return;
    keys_.Own("Software\\Classes\\CLSID\\" + clsid);
    keys_.Set("Software\\Classes\\CLSID\\" + clsid + "\\InprocServer32", file);
  }

 private:
  TestKeys keys_{HKEY_LOCAL_MACHINE};
};

class ShellWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ::DeleteFileA(CaptionFile().c_str());
    LoadCaptions();
  }
  void TearDown() override {
    for (const char* className : {kAboutWindowClass, kMainWindowClass})
      for (HWND window : WindowsOfClass(className)) ::DestroyWindow(window);
    Pump(10);
    ::DeleteFileA(CaptionFile().c_str());
    LoadCaptions();
  }
  static std::string CaptionFile() { return ProgramDirectory() + "\\" + kCaptionFileName; }

  // The About window's OK: the main window that it opens.
  static HWND OpenMainWindow() {
    const HWND about = frmAbout::Show();
    Pump();
    Click(about, kAboutOk);
    Pump();
    return OnlyWindowOfClass(kMainWindowClass);
  }
};

// Height that `label`'s text needs in its own font, wrapped at the label's width.
int NeededHeight(HWND label) {
  const std::string text = WindowText(label);
  RECT r{};
  ::GetClientRect(label, &r);
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageA(label, WM_GETFONT, 0, 0)));
  ::DrawTextA(dc.get(), text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
  return r.bottom - r.top;
}

TEST_F(ShellWindows, AboutShowsTheCaptionsAndVersionWithEveryLabelWholeAt96And144Dpi) {
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
    ASSERT_EQ(AnsiToUtf8(ListText(list, row, component_field::kProgId)), scan->At(component_field::kProgId, row).Text());
    for (int field = 0; field < component_field::kCount; ++field)
      ASSERT_EQ(AnsiToUtf8(ListText(list, row, field)), expected.ItemText(row, field)) << "row " << row << " field " << field;
  }
}

// Closes the Create Report dialog from inside its modal loop and notes its title.
std::string g_dialogTitle;
HWND g_dialogOwner = nullptr;
void CALLBACK CloseReportDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  for (HWND dialog : ThreadWindows(::GetCurrentThreadId(), [](HWND w) { return ::GetWindow(w, GW_OWNER) == g_dialogOwner; })) {
    g_dialogTitle = Text(dialog);
    ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  }
  if (!g_dialogTitle.empty()) ::KillTimer(nullptr, timer);
}

// OK, Generate List (twice, with a class added between), Report, About and OK again, and then the
// keyboard until Esc closes the last window and the program ends.
TEST_F(ShellWindows, MainWindowWalkthrough) {
  HWND main = OpenMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WindowsOfClass(kAboutWindowClass).empty()) << "the About window is destroyed, not hidden";
  EXPECT_EQ(Form::OpenCount(), 1);
  EXPECT_EQ(Text(main), "Orlix Ravelin");
  ASSERT_NE(GridList(main), nullptr);
  EXPECT_EQ(RowCount(main), 0);
  EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(GridList(main))), 5) << "the field mask is set at load";
  EXPECT_FALSE(Enabled(main, kMainReport));
  EXPECT_TRUE(Enabled(main, kMainGenerateList));

  Click(main, kMainGenerateList);
  ExpectGridShowsTheScan(main);
  EXPECT_TRUE(Enabled(main, kMainReport));
  const int before = RowCount(main);
  {
    TestRegistration added("OrlixShellTest" + std::to_string(::GetCurrentProcessId()) + ".Widget",
                           "{6F1D3A52-8C0B-4E27-9A4D-3B2C1E0F5A6D}");
    Click(main, kMainGenerateList);
    ExpectGridShowsTheScan(main);
    EXPECT_EQ(RowCount(main), before + 1);
  }
  Click(main, kMainGenerateList);
  EXPECT_EQ(RowCount(main), before);

  g_dialogTitle.clear();
  g_dialogOwner = main;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, CloseReportDialog);
  Click(main, kMainReport);  // returns when the dialog has closed
  ::KillTimer(nullptr, timer);
  EXPECT_EQ(g_dialogTitle, "Create Report");
  ASSERT_TRUE(::IsWindow(main));

  Click(main, kMainAbout);
  Pump();
  EXPECT_TRUE(WindowsOfClass(kMainWindowClass).empty());
  const HWND about = OnlyWindowOfClass(kAboutWindowClass);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(Form::OpenCount(), 1);
  Click(about, kAboutOk);
  EXPECT_FALSE(Pump()) << "the program goes on";
  main = OnlyWindowOfClass(kMainWindowClass);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(RowCount(main), 0);
  EXPECT_FALSE(Enabled(main, kMainReport));

  // The keyboard: Tab moves on, Enter presses the default button or the focused one, Esc closes.
  ASSERT_EQ(::GetFocus(), ::GetDlgItem(main, kMainGenerateList)) << "the first control of the tab order";
  PressKey(::GetFocus(), VK_TAB);
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(main, kMainClose)) << "tab index 1";
  PressKey(::GetFocus(), VK_TAB);
  EXPECT_EQ(::GetAncestor(::GetFocus(), GA_PARENT), ::GetDlgItem(main, kMainGrid)) << "Report is disabled: the grid";

  // Enter presses the focused button (About) where the default would not.
  ::SetFocus(::GetDlgItem(main, kMainAbout));
  PressKey(::GetFocus(), VK_RETURN);
  EXPECT_TRUE(WindowsOfClass(kMainWindowClass).empty());
  ASSERT_NE(OnlyWindowOfClass(kAboutWindowClass), nullptr);
  PressKey(::GetFocus(), VK_RETURN);  // OK is the About window's default button
  const HWND again = OnlyWindowOfClass(kMainWindowClass);
  ASSERT_NE(again, nullptr);
  PressKey(::GetFocus(), VK_RETURN);  // the default button: Generate List
  EXPECT_GT(RowCount(again), 0);
  EXPECT_TRUE(PressKey(::GetFocus(), VK_ESCAPE)) << "the cancel button, Close, closed the last window: WM_QUIT";
  EXPECT_EQ(Form::OpenCount(), 0);
}

TEST_F(ShellWindows, CaptionFileRenamesTheButtonsNotWhatTheyDo) {
  WriteFileBytes(CaptionFile(), "[General]\r\n3=List components\r\n4=&Print\r\n5=Quit\r\n6=About this tool\r\n");
  LoadCaptions();
  const HWND main = OpenMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Text(::GetDlgItem(main, kMainGenerateList)), "List components");
  EXPECT_EQ(Text(::GetDlgItem(main, kMainReport)), "&Print");
  EXPECT_EQ(Text(::GetDlgItem(main, kMainClose)), "Quit");
  Click(main, kMainGenerateList);
  EXPECT_GT(RowCount(main), 0);
  EXPECT_TRUE(Enabled(main, kMainReport));
}

TEST_F(ShellWindows, ResizeFollowsTheWindowAndBelowTheLimitsMovesNothing) {
  const HWND main = OpenMainWindow();
  ASSERT_NE(main, nullptr);
  const int dpi = WindowDpi(main);
  ::SetWindowPos(main, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{};
  ::GetClientRect(main, &client);
  const RECT closeAt = ClientRectOf(::GetDlgItem(main, kMainClose));
  EXPECT_EQ(closeAt.left, TwipsToPixels(PixelsToTwips(client.right, dpi) - 1400, dpi));
  EXPECT_EQ(closeAt.top, TwipsToPixels(PixelsToTwips(client.bottom, dpi) - 400, dpi));
  const RECT gridAt = ClientRectOf(::GetDlgItem(main, kMainGrid));
  EXPECT_EQ(gridAt.right - gridAt.left, TwipsToPixels(PixelsToTwips(client.right, dpi) - 100, dpi));

  // An outer height of 1500 twips or less, and then minimised: nothing moves.
  const int ids[] = {kMainGenerateList, kMainReport, kMainClose, kMainAbout, kMainGrid, kMainLabel};
  std::vector<RECT> before;
  for (int id : ids) before.push_back(ClientRectOf(::GetDlgItem(main, id)));
  ::SetWindowPos(main, nullptr, 0, 0, 700, TwipsToPixels(1500, dpi), SWP_NOMOVE | SWP_NOZORDER);
  RECT outer{};
  ::GetWindowRect(main, &outer);
  ASSERT_LE(PixelsToTwips(outer.bottom - outer.top, dpi), 1500);
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_TRUE(ClientRectOf(::GetDlgItem(main, ids[i])) == before[i]) << ids[i];
  ::ShowWindow(main, SW_MINIMIZE);
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_TRUE(ClientRectOf(::GetDlgItem(main, ids[i])) == before[i]) << ids[i];
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

// The enabled state of each item of the context menu, read while the menu is open.
std::vector<int> g_menuIds;
std::vector<bool> g_menuEnabled;
void CALLBACK ReadAndCloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  for (HWND popup : ThreadWindows(::GetCurrentThreadId(), [](HWND w) { return ClassOf(w) == "#32768"; })) {
    const auto menu = reinterpret_cast<HMENU>(::SendMessageA(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
    if (!menu) continue;
    g_menuEnabled.clear();
    for (int id : g_menuIds) {
      const UINT state = ::GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
      g_menuEnabled.push_back(state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0);
    }
  }
  if (g_menuEnabled.empty()) return;
  ::KillTimer(nullptr, timer);
  ::EndMenu();
}

TEST_F(ShellWindows, GridDiagnosisOfMissingFiles) {
  const std::string tag = std::to_string(::GetCurrentProcessId());
  const std::string missingProgId = "OrlixMissing" + tag + ".Widget", presentProgId = "OrlixPresent" + tag + ".Widget";
  const std::string missingClsid = "{0B7E5A21-6C3D-4F80-9E12-7A5B3C4D2E11}", presentClsid = "{0B7E5A21-6C3D-4F80-9E12-7A5B3C4D2E12}";
  const std::string missingFile = "C:\\orlix-nowhere\\widget.dll";
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string presentFile = AnsiToUtf8(self);
  TestRegistration missing(missingProgId, missingClsid, missingFile), present(presentProgId, presentClsid, presentFile);
  RecordingLauncher launcher;
  const HWND main = frmMain::Show(launcher);
  ASSERT_NE(main, nullptr);
  Click(main, kMainGenerateList);
  const HWND list = GridList(main);
  const auto find = [list](const std::string& progId) {
    LVFINDINFOA request{};
    request.flags = LVFI_STRING;
    request.psz = progId.c_str();
    const int item =
        static_cast<int>(::SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&request)));
    ::SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
    return item;
  };
  const int missingItem = find(missingProgId), presentItem = find(presentProgId);
  ASSERT_GE(missingItem, 0);
  ASSERT_GE(presentItem, 0);

  // A missing file's row is drawn in the attention colours, also when selected.
  const AttentionColours colours = CurrentAttentionColours();
  SelectListRows(list, {});
  EXPECT_GT(ShareOfColour(list, missingItem, colours.text), 0);
  EXPECT_EQ(ShareOfColour(list, presentItem, colours.text), 0);
  SelectListRows(list, {missingItem, presentItem});
  EXPECT_GT(ShareOfColour(list, missingItem, colours.selectedBackground), 0.5)
      << "the selected missing row is a bar of the attention colour";
  EXPECT_EQ(ShareOfColour(list, presentItem, colours.selectedBackground), 0) << "other rows select as usual";

  // The context menu enables what the selection allows: Copy, Copy CLSID, Open File Location.
  const struct {
    std::vector<int> selected;
    std::vector<bool> enabled;
  } menus[] = {{{}, {false, false, false}},
               {{missingItem}, {true, true, false}},
               {{presentItem}, {true, true, true}},
               {{missingItem, presentItem}, {true, true, false}}};
  g_menuIds = {kMainCopy, kMainCopyClsid, kMainOpenFileLocation};
  for (const auto& c : menus) {
    SelectListRows(list, c.selected);
    g_menuEnabled.clear();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, ReadAndCloseMenu);
    RECT at{};
    ::GetWindowRect(list, &at);
    // As the list view raises it after a right click: it travels up to the main window.
    ::SendMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.left + 20, at.top + 40));
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_menuEnabled, c.enabled) << c.selected.size() << " rows";
  }

  // Ctrl+C copies the selected rows in list order with the header; Copy CLSID their CLSIDs.
  SelectListRows(list, {missingItem, presentItem});
  const bool missingFirst = missingItem < presentItem;
  const std::string rows[] = {missingProgId + "\t" + missingFile + "\t\t\t" + missingClsid + "\r\n",
                              presentProgId + "\t" + presentFile + "\t\t\t" + presentClsid + "\r\n"};
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  const BYTE control = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  ::SetKeyboardState(keys);
  PressKey(list, 'C');
  keys[VK_CONTROL] = control;
  ::SetKeyboardState(keys);
  EXPECT_EQ(ClipboardText(), "ProgID\tFile Path\tVersion\tAttribute\tCLSID\r\n" + rows[missingFirst ? 0 : 1] + rows[missingFirst ? 1 : 0]);
  ::SendMessageA(main, WM_COMMAND, kMainCopyClsid, 0);
  EXPECT_EQ(ClipboardText(), missingFirst ? missingClsid + "\r\n" + presentClsid : presentClsid + "\r\n" + missingClsid);

  // Open File Location starts Explorer with the file selected, only for a file that is there.
  SelectListRows(list, {missingItem});
  ::SendMessageA(main, WM_COMMAND, kMainOpenFileLocation, 0);
  EXPECT_TRUE(launcher.started.empty()) << "a missing file has no location to show";
  SelectListRows(list, {presentItem});
  ::SendMessageA(main, WM_COMMAND, kMainOpenFileLocation, 0);
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(launcher.started, std::vector<std::string>{"\"" + AnsiToUtf8(windows) + "\\explorer.exe\" /select,\"" + presentFile + "\""});
}

}  // namespace
}  // namespace orlix
