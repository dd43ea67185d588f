// What the control library's tests share: the library under test, loaded by path, and its
// exports; COM for one test; data and host objects as hosts make them.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "controllib/guids.h"
#include "controllib/report_view_interface.h"
#include "platform/variant_com_win.h"

namespace orlix::test {

using Microsoft::WRL::ComPtr;

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
  ~OcxLibrary() { if (module_) ::FreeLibrary(module_); }
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
  ComPtr<IReportView> NewControl() const {
    ComPtr<IClassFactory> factory;
    ComPtr<IReportView> control;
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
  OleApartment() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
  ~OleApartment() { if (ok_) ::OleUninitialize(); }
  OleApartment(const OleApartment&) = delete;
  OleApartment& operator=(const OleApartment&) = delete;

 private:
  const bool ok_;
};

inline std::wstring Bstr(BSTR text) { return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring(); }

inline std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, 40);
  return text;
}

inline std::wstring Get(IReportView* control, HRESULT (STDMETHODCALLTYPE IReportView::*getter)(BSTR*)) {
  UniqueBstr text;
  EXPECT_EQ((control->*getter)(text.put()), S_OK);
  return Bstr(text.get());
}

inline void Put(IReportView* control, HRESULT (STDMETHODCALLTYPE IReportView::*setter)(BSTR), const wchar_t* value) {
  UniqueBstr text(::SysAllocString(value));
  EXPECT_EQ((control->*setter)(text.get()), S_OK);
}

// A 2-D array of VARIANT as a script makes it, field by row; `cell` fills each cell.
inline UniqueSafeArray MakeData(LONG fields, LONG rows, const std::function<void(LONG field, LONG row, VARIANT*)>& cell) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(fields), 0}, {static_cast<ULONG>(rows), 0}};
  UniqueSafeArray array(::SafeArrayCreate(VT_VARIANT, 2, bounds));
  for (LONG row = 0; row < rows; ++row)
    for (LONG field = 0; field < fields; ++field) {
      UniqueVariant value;
      cell(field, row, value.get());
      LONG index[2] = {field, row};
      EXPECT_EQ(::SafeArrayPutElement(array.get(), index, value.get()), S_OK);
    }
  return array;
}

// Names "item<row>" and sizes row * 10.
inline UniqueSafeArray MakeData(LONG rows) {
  return MakeData(2, rows, [](LONG field, LONG row, VARIANT* v) {
    if (field == 0) {
      V_VT(v) = VT_BSTR;
      V_BSTR(v) = ::SysAllocString((L"item" + std::to_wstring(row)).c_str());
    } else {
      V_VT(v) = VT_I4;
      V_I4(v) = row * 10;
    }
  });
}

// A VARIANT that holds `array` without owning it.
inline VARIANT Holding(SAFEARRAY* array) {
  VARIANT holder;
  V_VT(&holder) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&holder) = array;
  return holder;
}

// Gives the control a mask and `rows` rows of MakeData and generates its grid.
inline void ShowData(IReportView* control, LONG rows, const wchar_t* mask = L"0=\"Name\",1=\"Size\"") {
  Put(control, &IReportView::put_FieldMask, mask);
  UniqueSafeArray data = MakeData(rows);
  VARIANT holder = Holding(data.get());
  EXPECT_EQ(control->put_DataToShow(&holder), S_OK);
  EXPECT_EQ(control->Generate(), S_OK);
}

// The control still takes a mask and data and shows them.
inline void ExpectUsable(IReportView* control) {
  ShowData(control, 3);
  VARIANT_BOOL empty = VARIANT_TRUE;
  ASSERT_EQ(control->get_ViewIsEmpty(&empty), S_OK);
  EXPECT_EQ(empty, VARIANT_FALSE);
}

// Host objects of the tests count their references for the test, which owns their memory; a
// call after the last reference is gone is counted as a use after release.
class CountedHostObject {
 public:
  LONG references = 1;  // the test's own
  int usedAfterRelease = 0;

 protected:
  ULONG Count(LONG delta) { return static_cast<ULONG>(references += delta); }
  void Use() {
    if (references <= 0) ++usedAfterRelease;
  }
};

// A property-change sink that notes the DISPIDs it is told about.
class NotifySink final : public CountedHostObject, public IPropertyNotifySink {
 public:
  std::vector<DISPID> changed;
  std::function<void()> onChanged;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPropertyNotifySink)) return E_NOINTERFACE;
    *ppv = static_cast<IPropertyNotifySink*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Count(1); }
  ULONG STDMETHODCALLTYPE Release() override { return Count(-1); }
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
    Use();
    changed.push_back(id);
    if (onChanged) onChanged();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
};

// A host's property bag: names to texts. A name it lacks fails without storing a value, leaving
// the BSTR pointer as garbage, as a VariantInit that sets only the type leaves it on Windows.
class MemoryPropertyBag final : public IPropertyBag {
 public:
  std::map<std::wstring, std::wstring> values;
  static inline wchar_t* const kGarbage = reinterpret_cast<wchar_t*>(static_cast<ULONG_PTR>(0xBAD0BAD0u));

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyBag) ? this : nullptr;
    return *ppv ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    const auto found = values.find(name);
    if (found == values.end()) return V_BSTR(value) = kGarbage, E_INVALIDARG;
    V_VT(value) = VT_BSTR;
    V_BSTR(value) = ::SysAllocString(found->second.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
    if (V_VT(value) != VT_BSTR) return E_INVALIDARG;
    values[name] = Bstr(V_BSTR(value));
    return S_OK;
  }
};

// Advises `sink` of the control's property changes; the connection point, or null.
inline ComPtr<IConnectionPoint> AdviseChanges(IReportView* control, IPropertyNotifySink* sink, DWORD* cookie) {
  ComPtr<IConnectionPointContainer> points;
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(points.GetAddressOf())), S_OK);
  if (!points || points->FindConnectionPoint(IID_IPropertyNotifySink, &point) != S_OK || point->Advise(sink, cookie) != S_OK) {
    ADD_FAILURE() << "no property notifications";
    point.Reset();
  }
  return point;
}

}  // namespace orlix::test
