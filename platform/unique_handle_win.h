// Ownership of Win32 handles: one move-only template that releases exactly once, with a named
// instance per handle kind, and guards for paired calls (window locks, selections, window DCs).
// Other paired calls use ScopeExit (base/scope_exit.h).
// Interface pointers are owned by Microsoft::WRL::ComPtr (<wrl/client.h>).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>

#include <utility>

namespace orlix {

// Traits: Handle, Invalid() (the empty value), IsValid(h) and Close(h).
template <typename Traits>
class BasicUniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  BasicUniqueHandle() noexcept = default;
  explicit BasicUniqueHandle(Handle h) noexcept : handle_(h) {}
  BasicUniqueHandle(const BasicUniqueHandle&) = delete;
  BasicUniqueHandle& operator=(const BasicUniqueHandle&) = delete;
  BasicUniqueHandle(BasicUniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  BasicUniqueHandle& operator=(BasicUniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, Traits::Invalid()));
    return *this;
  }
  ~BasicUniqueHandle() { reset(); }

  [[nodiscard]] Handle get() const noexcept { return handle_; }
  // For functions that return a handle through an out-parameter; releases the current one.
  [[nodiscard]] Handle* put() noexcept {
    reset();
    return &handle_;
  }
  [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle h = Traits::Invalid()) noexcept {
    if (Traits::IsValid(handle_)) Traits::Close(handle_);
    handle_ = h;
  }
  explicit operator bool() const noexcept { return Traits::IsValid(handle_); }

 private:
  Handle handle_ = Traits::Invalid();
};

// Handles released by one function (given as a template value, whatever its return type and
// however its parameter is typed: DeleteObject takes any GDI handle), with one empty value.
template <typename H, auto CloseFunction, H Empty = H()>
struct ClosedBy {
  using Handle = H;
  static Handle Invalid() noexcept { return Empty; }
  static bool IsValid(Handle h) noexcept { return h != Empty; }
  static void Close(Handle h) noexcept { CloseFunction(h); }
};

template <typename Handle, auto CloseFunction, Handle Invalid = Handle()>
using UniqueHandle = BasicUniqueHandle<ClosedBy<Handle, CloseFunction, Invalid>>;

// File handles: CreateFile reports failure as INVALID_HANDLE_VALUE, other calls as null.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

// FindFirstFile searches: failure is INVALID_HANDLE_VALUE, and FindClose ends them.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) noexcept { ::FindClose(h); }
};

using UniqueHkey = UniqueHandle<HKEY, ::RegCloseKey>;
using UniqueFile = BasicUniqueHandle<FileHandleTraits>;
using UniqueFindHandle = BasicUniqueHandle<FindHandleTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, ::CloseHandle>;  // processes, threads, events
using UniqueHicon = UniqueHandle<HICON, ::DestroyIcon>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, ::DeleteObject>;
using UniqueHfont = UniqueHandle<HFONT, ::DeleteObject>;
using UniqueHbitmap = UniqueHandle<HBITMAP, ::DeleteObject>;
using UniqueHmodule = UniqueHandle<HMODULE, ::FreeLibrary>;
using UniqueHimagelist = UniqueHandle<HIMAGELIST, ::ImageList_Destroy>;
using UniqueHdc = UniqueHandle<HDC, ::DeleteDC>;  // memory device contexts (window DCs: WindowDc)
using UniqueHwnd = UniqueHandle<HWND, ::DestroyWindow>;
using UniqueHlocal = UniqueHandle<HLOCAL, ::LocalFree>;  // buffers the system allocates for the caller
using UniqueHglobal = UniqueHandle<HGLOBAL, ::GlobalFree>;  // clipboard data until the clipboard takes it
using UniqueHmenu = UniqueHandle<HMENU, ::DestroyMenu>;
using UniqueBstr = UniqueHandle<BSTR, ::SysFreeString>;
using UniqueSafeArray = UniqueHandle<SAFEARRAY*, ::SafeArrayDestroy>;

// A window's device context (GetDC), given back to that window (ReleaseDC).
class [[nodiscard]] WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  [[nodiscard]] HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// LockWindowUpdate for a scope. Only one window can be locked at a time: locked() is false when
// another window holds the lock, and then nothing is undone.
class [[nodiscard]] WindowUpdateLock {
 public:
  explicit WindowUpdateLock(HWND hwnd) noexcept : locked_(hwnd != nullptr && ::LockWindowUpdate(hwnd) != FALSE) {}
  WindowUpdateLock(const WindowUpdateLock&) = delete;
  WindowUpdateLock& operator=(const WindowUpdateLock&) = delete;
  ~WindowUpdateLock() {
    if (locked_) ::LockWindowUpdate(nullptr);
  }
  [[nodiscard]] bool locked() const noexcept { return locked_; }

 private:
  bool locked_;
};

// WM_SETREDRAW off for a scope; on again (and the window repainted) at its end.
class [[nodiscard]] WindowRedrawLock {
 public:
  explicit WindowRedrawLock(HWND hwnd) noexcept : hwnd_(hwnd) {
    if (hwnd_) ::SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  }
  WindowRedrawLock(const WindowRedrawLock&) = delete;
  WindowRedrawLock& operator=(const WindowRedrawLock&) = delete;
  ~WindowRedrawLock() {
    if (!hwnd_) return;
    ::SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
  }

 private:
  HWND hwnd_;
};

// SelectObject into a device context for a scope; the previous object is selected back.
class [[nodiscard]] SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace orlix
