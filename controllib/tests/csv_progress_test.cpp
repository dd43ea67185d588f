// The one behaviour difference of the library's build: a comma-separated report made through the
// control's Create Report dialog shows no progress bar; an RTF report through the same dialog
// does. The dialog is driven from a timer on the test's thread (Export is modal); a stand-in
// viewer (cmd copying the report) stands for the two file types while the test runs.
#include "controllib/tests/ocx_support.h"

#include <commctrl.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/variant_com_win.h"

namespace orlix::test {
namespace {

using Microsoft::WRL::ComPtr;

struct Drive {
  int format = 0;        // report type to choose in the dialog
  int step = 0;
  bool barShown = false;
  bool unexpectedWindow = false;
  HWND dialog = nullptr;
  std::wstring copyTo;  // where the stand-in viewer copies the report
  int waited = 0;
} gDrive;

bool IsClass(HWND window, const wchar_t* name) {
  wchar_t found[64] = {};
  GetClassNameW(window, found, 64);
  return _wcsicmp(found, name) == 0;
}

LRESULT CALLBACK WatchShows(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == WM_SHOWWINDOW && message->wParam && IsClass(message->hwnd, PROGRESS_CLASSW)) {
    gDrive.barShown = true;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct DialogSearch {
  const wchar_t* caption;  // null: any dialog
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM search) {
  auto* s = reinterpret_cast<DialogSearch*>(search);
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  if (IsWindowVisible(window) && IsClass(window, L"#32770") && (s->caption == nullptr || wcscmp(text, s->caption) == 0)) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindOwnDialog(const wchar_t* caption) {
  DialogSearch search{caption, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR, DWORD) {
  if (gDrive.step == 0) {
    HWND dialog = FindOwnDialog(L"Create Report");
    if (!dialog) return;
    gDrive.dialog = dialog;
    HWND combo = FindWindowExW(dialog, nullptr, L"ComboBox", nullptr);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      if (SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == gDrive.format) {
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      }
    }
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    HWND styles = FindWindowExW(dialog, nullptr, WC_LISTVIEWW, nullptr);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(styles, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    gDrive.step = 1;
  } else if (gDrive.step == 1) {
    // Any other dialog (a warning) is a failure; it is dismissed so that the test goes on.
    HWND other = FindOwnDialog(nullptr);
    if (other && other != gDrive.dialog) {
      gDrive.unexpectedWindow = true;
      PostMessageW(other, WM_COMMAND, IDOK, 0);
      return;
    }
    // The dialog deletes its temporary report when it closes: first let the viewer copy it.
    if (GetFileAttributesW(gDrive.copyTo.c_str()) == INVALID_FILE_ATTRIBUTES && ++gDrive.waited < 100) return;
    Sleep(200);  // the copy may still be under way
    PostMessageW(gDrive.dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    gDrive.step = 2;
  }
}

// For this process only, the class root is a key of the test's own that knows one viewer, a
// cmd that copies the report where the test reads it.
class StandInViewer {
 public:
  explicit StandInViewer(const std::wstring& copyTo) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_, nullptr);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring command = std::wstring(system) + L"\\cmd.exe /c copy %1 \"" + copyTo + L"\"";
    Set(L".csv", L"OrlixOcxTest.Report");
    Set(L".rtf", L"OrlixOcxTest.Report");
    Set(L"OrlixOcxTest.Report\\Shell\\Open\\Command", command);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, root_);
  }
  ~StandInViewer() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(root_);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    RegDeleteKeyW(HKEY_CURRENT_USER, kRoot);
  }
  StandInViewer(const StandInViewer&) = delete;
  StandInViewer& operator=(const StandInViewer&) = delete;

 private:
  static constexpr const wchar_t* kRoot = L"Software\\OrlixOcxTestClassRoot";
  void Set(const wchar_t* key, const std::wstring& value) {
    RegSetKeyValueW(root_, key, nullptr, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  HKEY root_ = nullptr;
};

std::string ReadWhenThere(const std::wstring& path) {
  for (int i = 0; i < 100; ++i) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!text.str().empty()) return text.str();
    Sleep(100);
  }
  return {};
}

// Makes one report of `format` through the control's dialog; returns the viewer's copy of it.
std::string ReportThroughDialog(IReportView* control, int format, const std::wstring& copyTo) {
  DeleteFileW(copyTo.c_str());
  gDrive = Drive{};
  gDrive.format = format;
  gDrive.copyTo = copyTo;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchShows, nullptr, GetCurrentThreadId());
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, DriveDialog);
  const HRESULT hr = control->Export();
  KillTimer(nullptr, timer);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(gDrive.step, 2) << "the dialog was driven to its end";
  EXPECT_FALSE(gDrive.unexpectedWindow);
  return ReadWhenThere(copyTo);
}

TEST(LibraryBuild, CommaSeparatedReportShowsNoProgressBarWhileRtfDoes) {
  OleApartment com;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  OcxLibrary ocx;
  ComPtr<IReportView> control = ocx.NewControl();
  ASSERT_TRUE(control);
  UniqueBstr mask(SysAllocString(L"0=\"Name\",1=\"Size\""));
  ASSERT_EQ(control->put_FieldMask(mask.get()), S_OK);
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {40, 0}};
  UniqueSafeArray data(SafeArrayCreate(VT_VARIANT, 2, bounds));
  for (LONG row = 0; row < 40; ++row) {
    UniqueVariant name, size;
    V_VT(name.get()) = VT_BSTR;
    V_BSTR(name.get()) = SysAllocString((L"item" + std::to_wstring(row)).c_str());
    V_VT(size.get()) = VT_I4;
    V_I4(size.get()) = row;
    LONG index[2] = {0, row};
    SafeArrayPutElement(data.get(), index, name.get());
    index[0] = 1;
    SafeArrayPutElement(data.get(), index, size.get());
  }
  VARIANT holder;
  V_VT(&holder) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&holder) = data.get();
  ASSERT_EQ(control->put_DataToShow(&holder), S_OK);
  ASSERT_EQ(control->Generate(), S_OK);

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring copyTo = std::wstring(temp) + L"orlix-ocx-viewed-report.txt";
  StandInViewer viewer(copyTo);

  const std::string rtf = ReportThroughDialog(control.Get(), 0, copyTo);
  EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf.substr(0, 40);
  EXPECT_TRUE(gDrive.barShown) << "an RTF report moves the progress bar";

  const std::string csv = ReportThroughDialog(control.Get(), 2, copyTo);
  EXPECT_EQ(csv.rfind("\"Name\",\"Size\"\r\n\"item0\",", 0), 0u) << csv.substr(0, 40);
  EXPECT_FALSE(gDrive.barShown) << "a comma-separated report shows no progress bar";
  DeleteFileW(copyTo.c_str());
}

}  // namespace
}  // namespace orlix::test
