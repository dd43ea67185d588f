// Ownership of Win32 handles: one move-only template that releases exactly once, with a named
// instance per handle kind, and scope guards for paired calls (window locks, selections).
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

  BasicUniqueHandle() = default;
  explicit BasicUniqueHandle(Handle h) : handle_(h) {}
  BasicUniqueHandle(const BasicUniqueHandle&) = delete;
  BasicUniqueHandle& operator=(const BasicUniqueHandle&) = delete;
  BasicUniqueHandle(BasicUniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  BasicUniqueHandle& operator=(BasicUniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, Traits::Invalid()));
    return *this;
  }
  ~BasicUniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  // For functions that return a handle through an out-parameter; releases the current one.
  Handle* put() {
    reset();
    return &handle_;
  }
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle h = Traits::Invalid()) {
    if (Traits::IsValid(handle_)) Traits::Close(handle_);
    handle_ = h;
  }
  explicit operator bool() const { return Traits::IsValid(handle_); }

 private:
  Handle handle_ = Traits::Invalid();
};

// Handles released by one function, with one empty value (null unless given).
template <typename H, typename Result, Result(WINAPI* Release)(H), H Empty = H()>
struct ReleasedBy {
  using Handle = H;
  static Handle Invalid() { return Empty; }
  static bool IsValid(Handle h) { return h != Empty; }
  static void Close(Handle h) { Release(h); }
};

template <typename Handle, typename Result, Result(WINAPI* Release)(Handle), Handle Invalid = Handle()>
using UniqueHandle = BasicUniqueHandle<ReleasedBy<Handle, Result, Release, Invalid>>;

// File handles: CreateFile reports failure as INVALID_HANDLE_VALUE, other calls as null.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { ::CloseHandle(h); }
};

// FindFirstFile searches: failure is INVALID_HANDLE_VALUE, and FindClose ends them.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { ::FindClose(h); }
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object) { return ::DeleteObject(object); }
inline BOOL WINAPI DeleteFontObject(HFONT font) { return ::DeleteObject(font); }
inline BOOL WINAPI DestroyImageList(HIMAGELIST list) { return ::ImageList_Destroy(list); }
inline void WINAPI FreeBstr(BSTR text) { ::SysFreeString(text); }

using UniqueHkey = UniqueHandle<HKEY, LSTATUS, ::RegCloseKey>;
using UniqueFile = BasicUniqueHandle<FileHandleTraits>;
using UniqueFindHandle = BasicUniqueHandle<FindHandleTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, BOOL, ::CloseHandle>;  // processes, threads, events
using UniqueHicon = UniqueHandle<HICON, BOOL, ::DestroyIcon>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, BOOL, DeleteGdiObject>;
using UniqueHfont = UniqueHandle<HFONT, BOOL, DeleteFontObject>;
using UniqueHmodule = UniqueHandle<HMODULE, BOOL, ::FreeLibrary>;
using UniqueHimagelist = UniqueHandle<HIMAGELIST, BOOL, DestroyImageList>;
using UniqueHdc = UniqueHandle<HDC, BOOL, ::DeleteDC>;  // memory device contexts
using UniqueHwnd = UniqueHandle<HWND, BOOL, ::DestroyWindow>;
using UniqueBstr = UniqueHandle<BSTR, void, FreeBstr>;
using UniqueSafeArray = UniqueHandle<SAFEARRAY*, HRESULT, ::SafeArrayDestroy>;
inline BOOL WINAPI DeleteBitmapObject(HBITMAP bitmap) { return ::DeleteObject(bitmap); }
using UniqueHbitmap = UniqueHandle<HBITMAP, BOOL, DeleteBitmapObject>;
using UniqueHdc = UniqueHandle<HDC, BOOL, ::DeleteDC>;  // memory device contexts
using UniqueHwnd = UniqueHandle<HWND, BOOL, ::DestroyWindow>;
using UniqueImageList = UniqueHimagelist;

// Runs `undo` when the scope ends, unless dismissed.
template <typename Undo>
class ScopeGuard {
 public:
  explicit ScopeGuard(Undo undo) : undo_(std::move(undo)) {}
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;
  ~ScopeGuard() {
    if (active_) undo_();
  }
  void Dismiss() { active_ = false; }

 private:
  Undo undo_;
  bool active_ = true;
};

// LockWindowUpdate for a scope. Only one window can be locked at a time: locked() is false when
// another window holds the lock, and then nothing is undone.
class WindowUpdateLock {
 public:
  explicit WindowUpdateLock(HWND hwnd) : locked_(hwnd != nullptr && ::LockWindowUpdate(hwnd) != FALSE) {}
  WindowUpdateLock(const WindowUpdateLock&) = delete;
  WindowUpdateLock& operator=(const WindowUpdateLock&) = delete;
  ~WindowUpdateLock() {
    if (locked_) ::LockWindowUpdate(nullptr);
  }
  bool locked() const { return locked_; }

 private:
  bool locked_;
};

// WM_SETREDRAW off for a scope; on again (and the window repainted) at its end.
class WindowRedrawLock {
 public:
  explicit WindowRedrawLock(HWND hwnd) : hwnd_(hwnd) {
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
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
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
