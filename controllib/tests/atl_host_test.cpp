// Wine's ATL as the container: an AtlAxWin window made with the control's ProgID activates the
// control in place, visibly; resizing the host moves the grid with it; closing takes it down.
// With ORLIX_OCX_HOLD_MS set, the hosted grid stays on screen that long (for a screenshot).
#include "controllib/tests/ocx_support.h"

#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "tests/support/window_driver_win.h"

namespace orlix::test {
namespace {

using testing_support::ListText;
using testing_support::PumpMessages;

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// The frame, the AtlAxWin host and the hosted control with a five-row grid.
struct HostedGrid {
  HWND frame = nullptr;
  HWND host = nullptr;
  HWND window = nullptr;  // the control's
  HWND list = nullptr;
  ComPtr<IUnknown> unknown;
  ComPtr<IReportView> control;
  ComPtr<IOleInPlaceObject> inPlace;
};

void HostGrid(HostedGrid* out) {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  ASSERT_NE(atl, nullptr);
  auto init = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
  auto getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
  ASSERT_TRUE(init && getControl);
  ASSERT_TRUE(init());

  WNDCLASSW frameClass{};
  frameClass.lpfnWndProc = DefWindowProcW;
  frameClass.hInstance = GetModuleHandleW(nullptr);
  frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  frameClass.lpszClassName = L"OrlixOcxHostFrame";
  RegisterClassW(&frameClass);
  out->frame = CreateWindowExW(0, L"OrlixOcxHostFrame", L"rvxReportView in an ATL container",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 660, 440, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(out->frame, nullptr);
  out->host = CreateWindowExW(0, L"AtlAxWin", L"rvxReportView.ReportView", WS_CHILD | WS_VISIBLE, 12, 12, 620, 370,
                              out->frame, nullptr, nullptr, nullptr);
  ASSERT_NE(out->host, nullptr);
  PumpMessages(200);

  ASSERT_EQ(getControl(out->host, &out->unknown), S_OK);
  ASSERT_EQ(out->unknown->QueryInterface(kIidReportView, reinterpret_cast<void**>(out->control.GetAddressOf())), S_OK);
  ASSERT_EQ(out->unknown.As(&out->inPlace), S_OK);
  ASSERT_EQ(out->inPlace->GetWindow(&out->window), S_OK) << "in-place active";
  EXPECT_EQ(GetParent(out->window), out->host);
  EXPECT_TRUE(IsWindowVisible(out->window));
  EXPECT_EQ(ClientSize(out->window).cx, 620);
  EXPECT_EQ(ClientSize(out->window).cy, 370);

  // The host drives it as any program would.
  Put(out->control.Get(), &IReportView::put_FieldMask,
      L"0=\"ProgID\",1=\"File Path\",2=\"Version\"[0.00],3=\"In use\"{True=\"Yes\",False=\"No\"}");
  const wchar_t* const names[] = {L"Orlix.Grid", L"Orlix.Report", L"Orlix.Style", L"Orlix.Viewer", L"Orlix.Store"};
  UniqueSafeArray data = MakeData(4, 5, [&names](LONG field, LONG row, VARIANT* v) {
    V_VT(v) = field == 2 ? VT_R8 : field == 3 ? VT_BOOL : VT_BSTR;
    if (field == 0) V_BSTR(v) = SysAllocString(names[row]);
    if (field == 1) V_BSTR(v) = SysAllocString((std::wstring(L"C:\\Program Files\\Orlix\\") + (names[row] + 6) + L".dll").c_str());
    if (field == 2) V_R8(v) = 1.0 + row / 10.0;
    if (field == 3) V_BOOL(v) = row % 2 ? VARIANT_TRUE : VARIANT_FALSE;
  });
  VARIANT holder = Holding(data.get());
  ASSERT_EQ(out->control->put_DataToShow(&holder), S_OK);
  ASSERT_EQ(out->control->Generate(), S_OK);
  out->list = FindWindowExW(out->window, nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_NE(out->list, nullptr);
  EXPECT_EQ(SendMessageW(out->list, LVM_GETITEMCOUNT, 0, 0), 5);
  PumpMessages(200);
}

void CloseAndCheck(HostedGrid& hosted, const OcxLibrary& ocx) {
  HWND window = hosted.window;
  hosted.inPlace.Reset();
  hosted.control.Reset();
  hosted.unknown.Reset();
  DestroyWindow(hosted.frame);
  PumpMessages(200);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(ocx.CanUnloadNow(), S_OK);
}

TEST(AtlContainer, HostsTheControlVisiblyResizesAndCloses) {
  OleApartment com;
  OcxLibrary ocx;
  ASSERT_EQ(ocx.Register(), S_OK);
  HostedGrid hosted;
  HostGrid(&hosted);
  ASSERT_TRUE(hosted.list);
  if (const char* hold = std::getenv("ORLIX_OCX_HOLD_MS")) PumpMessages(static_cast<DWORD>(std::atoi(hold)));

  // Resizing the host resizes the control and its grid.
  MoveWindow(hosted.host, 12, 12, 400, 220, TRUE);
  PumpMessages(200);
  EXPECT_EQ(ClientSize(hosted.window).cx, 400);
  EXPECT_EQ(ClientSize(hosted.window).cy, 220);
  EXPECT_EQ(ClientSize(hosted.list).cx, 400);

  // Closing the container closes the control and takes its window down.
  CloseAndCheck(hosted, ocx);
}

// A person clicks the ProgID header of the hosted grid (xdotool, from run_header_click.sh, which
// sets ORLIX_OCX_CLICK_FILE): the grid sorts by it, descending on the first click. Run alone,
// without the driver, there is nobody to click.
TEST(AtlContainer, PersonClicksAColumnHeader) {
  const char* clickFile = std::getenv("ORLIX_OCX_CLICK_FILE");
  if (clickFile == nullptr) GTEST_SKIP() << "needs the xdotool driver (run_header_click.sh)";
  OleApartment com;
  OcxLibrary ocx;
  ASSERT_EQ(ocx.Register(), S_OK);
  HostedGrid hosted;
  HostGrid(&hosted);
  ASSERT_TRUE(hosted.list);
  EXPECT_EQ(ListText(hosted.list, 0, 0), "Orlix.Grid");

  // Where to click, in screen pixels: the middle of the first header item.
  HWND header = reinterpret_cast<HWND>(SendMessageW(hosted.list, LVM_GETHEADER, 0, 0));
  RECT first{};
  ASSERT_TRUE(SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first)));
  POINT middle{(first.left + first.right) / 2, (first.top + first.bottom) / 2};
  ClientToScreen(header, &middle);
  testing_support::WriteFileBytes(clickFile, std::to_string(middle.x) + " " + std::to_string(middle.y) + "\n");

  for (int i = 0; i < 200 && ListText(hosted.list, 0, 0) == "Orlix.Grid"; ++i) PumpMessages(100);
  EXPECT_EQ(ListText(hosted.list, 0, 0), "Orlix.Viewer") << "sorted by ProgID, descending";
  CloseAndCheck(hosted, ocx);
}

}  // namespace
}  // namespace orlix::test
