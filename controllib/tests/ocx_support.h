// What the control library's tests share: the library under test, loaded by path, and its
// exports.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>

#include "controllib/guids.h"
#include "controllib/report_view_interface.h"

namespace orlix::test {

// A path of the build machine as this process sees it.
inline std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH] = {};
  ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return full;
}

// The library built beside the tests (ORLIX_OCX_PATH).
inline std::wstring OcxPath() { return FullPath(ORLIX_OCX_PATH); }

class OcxLibrary {
 public:
  explicit OcxLibrary(const std::wstring& path = OcxPath()) : module_(::LoadLibraryW(path.c_str())) {}
  ~OcxLibrary() {
    if (module_) ::FreeLibrary(module_);
  }
  OcxLibrary(const OcxLibrary&) = delete;
  OcxLibrary& operator=(const OcxLibrary&) = delete;
  HMODULE get() const { return module_; }

  template <typename Function>
  Function Export(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
  }
  HRESULT CanUnloadNow() const { return Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow")(); }
  HRESULT Register() const { return Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer")(); }
  HRESULT Unregister() const { return Export<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer")(); }
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
    return Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, iid, out);
  }
  // A new control, straight from the library's class factory (no registration needed).
  Microsoft::WRL::ComPtr<IReportView> NewControl() const {
    Microsoft::WRL::ComPtr<IClassFactory> factory;
    Microsoft::WRL::ComPtr<IReportView> control;
    EXPECT_EQ(GetClassObject(kClsidReportView, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
    if (factory) {
      EXPECT_EQ(factory->CreateInstance(nullptr, kIidReportView, reinterpret_cast<void**>(control.GetAddressOf())), S_OK);
    }
    return control;
  }

 private:
  HMODULE module_;
};

// COM for one test: a single-threaded apartment with OLE.
class OleApartment {
 public:
  OleApartment() { ok_ = SUCCEEDED(::OleInitialize(nullptr)); }
  ~OleApartment() {
    if (ok_) ::OleUninitialize();
  }
  OleApartment(const OleApartment&) = delete;
  OleApartment& operator=(const OleApartment&) = delete;

 private:
  bool ok_;
};

inline std::wstring Bstr(BSTR text) { return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring(); }

}  // namespace orlix::test
