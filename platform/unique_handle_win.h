// One small owning template per Win32 handle kind: move-only, releases exactly once.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace orlix {

template <typename Handle, typename Result, Result(WINAPI* Release)(Handle), Handle Invalid = Handle()>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : handle_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Invalid)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, Invalid));
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  Handle* put() {
    reset();
    return &handle_;
  }
  Handle release() { return std::exchange(handle_, Invalid); }
  void reset(Handle h = Invalid) {
    if (handle_ != Invalid) Release(handle_);
    handle_ = h;
  }
  explicit operator bool() const { return handle_ != Invalid; }

 private:
  Handle handle_ = Invalid;
};

using UniqueHkey = UniqueHandle<HKEY, LSTATUS, ::RegCloseKey>;
using UniqueHicon = UniqueHandle<HICON, BOOL, ::DestroyIcon>;
inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object) { return ::DeleteObject(object); }
using UniqueGdiObject = UniqueHandle<HGDIOBJ, BOOL, DeleteGdiObject>;
using UniqueHdc = UniqueHandle<HDC, BOOL, ::DeleteDC>;
using UniqueHwnd = UniqueHandle<HWND, BOOL, ::DestroyWindow>;
using UniqueImageList = UniqueHandle<HIMAGELIST, BOOL, ::ImageList_Destroy>;

// Kernel handles whose invalid value is INVALID_HANDLE_VALUE (files) or null (processes, threads).
class UniqueFile {
 public:
  UniqueFile() = default;
  explicit UniqueFile(HANDLE h) : handle_(h) {}
  UniqueFile(const UniqueFile&) = delete;
  UniqueFile& operator=(const UniqueFile&) = delete;
  UniqueFile(UniqueFile&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  UniqueFile& operator=(UniqueFile&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, INVALID_HANDLE_VALUE));
    return *this;
  }
  ~UniqueFile() { reset(); }
  HANDLE get() const { return handle_; }
  void reset(HANDLE h = INVALID_HANDLE_VALUE) {
    if (handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr) ::CloseHandle(handle_);
    handle_ = h;
  }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace orlix
