// A real top-level window holding a SysListView32 in report view, for tests under Wine and
// Xvfb, and a second top-level window that tells whether the redraw lock is free.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "platform/unique_handle_win.h"

namespace orlix {

class TestListViewWindow {
 public:
  TestListViewWindow() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    if (!::InitCommonControlsEx(&controls)) throw std::runtime_error("InitCommonControlsEx failed");
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA host{};
    host.lpfnWndProc = ::DefWindowProcA;
    host.hInstance = instance;
    host.lpszClassName = "OrlixGridTestHost";
    host.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    ::RegisterClassA(&host);  // fails harmlessly when a previous window registered it
    top_ = UniqueHwnd(::CreateWindowExA(0, "OrlixGridTestHost", "Grid test", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                        nullptr, nullptr, instance, nullptr));
    other_ = UniqueHwnd(::CreateWindowExA(0, "OrlixGridTestHost", "Other window", WS_OVERLAPPEDWINDOW, 50, 50, 200,
                                          100, nullptr, nullptr, instance, nullptr));
    if (!top_ || !other_) throw std::runtime_error("no test window");
    list_ = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 620, 440, top_.get(),
                              reinterpret_cast<HMENU>(1), instance, nullptr);
    if (!list_) throw std::runtime_error("no list view");
    ::ShowWindow(top_.get(), SW_SHOWNOACTIVATE);
    ::ShowWindow(other_.get(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(top_.get());
  }

  HWND List() const { return list_; }
  HWND Top() const { return top_.get(); }
  HWND Other() const { return other_.get(); }

  // Only one window can be locked at a time: taking the lock for another window succeeds
  // only when nobody holds it.
  bool RedrawReleased() const {
    if (!::LockWindowUpdate(other_.get())) return false;
    ::LockWindowUpdate(nullptr);
    return true;
  }

  // Raw reads, past the wrapper.
  std::string RawItemText(int item, int column) const {
    char buffer[512] = {};
    LVITEMA request{};
    request.iSubItem = column;
    request.pszText = buffer;
    request.cchTextMax = sizeof buffer;
    ::SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
    return buffer;
  }
  std::string RawHeader(int column) const {
    char buffer[512] = {};
    LVCOLUMNA request{};
    request.mask = LVCF_TEXT;
    request.pszText = buffer;
    request.cchTextMax = sizeof buffer;
    ::SendMessageA(list_, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&request));
    return request.pszText ? request.pszText : "";
  }
  int RawFormat(int column) const {
    LVCOLUMNA request{};
    request.mask = LVCF_FMT;
    ::SendMessageA(list_, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&request));
    return request.fmt & LVCFMT_JUSTIFYMASK;
  }
  int RawItemCount() const { return static_cast<int>(::SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }
  int RawColumnCount() const {
    const auto header = reinterpret_cast<HWND>(::SendMessageA(list_, LVM_GETHEADER, 0, 0));
    return static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  }

 private:
  UniqueHwnd top_;
  UniqueHwnd other_;
  HWND list_ = nullptr;  // a child of top_, destroyed with it
};

}  // namespace orlix
