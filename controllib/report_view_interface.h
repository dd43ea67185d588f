// _ReportView as a C++ interface: the vtable of rvxReportView.idl's dual interface, slot for
// slot (IDispatch's seven slots, then the twelve members in the library's order).
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace orlix {

struct IReportView : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE put_ReportTitle(BSTR strReportTitle) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ReportTitle(BSTR* strReportTitle) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ReportSubTitle(BSTR strReportSubTitle) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ReportSubTitle(BSTR* strReportSubTitle) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DataToShow(VARIANT* vntData) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DataToShow(VARIANT* vntData) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ViewIsEmpty(VARIANT_BOOL* blnViewIsEmpty) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FieldMask(BSTR* strFieldMask) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_FieldMask(BSTR strFieldMask) = 0;
  virtual HRESULT STDMETHODCALLTYPE Clear() = 0;
  virtual HRESULT STDMETHODCALLTYPE Generate() = 0;
  virtual HRESULT STDMETHODCALLTYPE Export() = 0;
};

// DISPIDs of the members, as in the type library.
constexpr DISPID kDispidReportTitle = 0x68030004;
constexpr DISPID kDispidReportSubTitle = 0x68030003;
constexpr DISPID kDispidDataToShow = 0x68030002;
constexpr DISPID kDispidViewIsEmpty = 0x68030001;
constexpr DISPID kDispidFieldMask = 0x68030000;
constexpr DISPID kDispidClear = 0x60030005;
constexpr DISPID kDispidGenerate = 0x60030006;
constexpr DISPID kDispidExport = 0x60030012;

}  // namespace orlix
