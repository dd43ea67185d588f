// The control's automation face (IDispatch over the type library, the _ReportView methods, class
// information) and its events; embedding and persistence are in report_view_control_ole.cpp and
// report_view_control_persist.cpp.
#include "controllib/report_view_control.h"

#include <olectl.h>

#include <iterator>
#include <stdexcept>

#include "base/scope_exit.h"
#include "controllib/guids.h"
#include "platform/ansi_win.h"
#include "platform/variant_com_win.h"

namespace orlix {
namespace {

using Microsoft::WRL::ComPtr;

std::string FromBstr(BSTR text) { return text ? WideToUtf8(std::wstring(text, ::SysStringLen(text))) : std::string(); }

BSTR ToBstr(const std::string& utf8) {
  const std::wstring wide = Utf8ToWide(utf8);
  BSTR out = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (out == nullptr) throw std::bad_alloc();
  return out;
}

// A host's DataToShow value as the grid takes it: a two-dimensional array of Variant values,
// by value or by reference, references to a Variant read through.
Variant DataArrayFromHost(const VARIANT* value) {
  const char* const kShape = "DataToShow takes a two-dimensional array of Variant values";
  Required(value);
  for (int depth = 0; V_VT(value) == (VT_BYREF | VT_VARIANT); ++depth) {
    value = V_VARIANTREF(value);
    if (value == nullptr || depth > 16) throw ComError(DISP_E_TYPEMISMATCH, kShape);
  }
  SAFEARRAY* array = nullptr;
  if (V_VT(value) == (VT_ARRAY | VT_VARIANT)) {
    array = V_ARRAY(value);
  } else if (V_VT(value) == (VT_BYREF | VT_ARRAY | VT_VARIANT) && V_ARRAYREF(value) != nullptr) {
    array = *V_ARRAYREF(value);
  }
  if (array == nullptr || ::SafeArrayGetDim(array) != 2) throw ComError(DISP_E_TYPEMISMATCH, kShape);
  Variant data;
  ThrowIfFailed(VariantFromCom(*value, &data), "DataToShow: a cell holds a value that is neither empty, null, text, a number, a date nor a boolean");
  return data;
}

DISPID DispidOfProperty(const std::string& name) {
  if (name == "ReportTitle") return kDispidReportTitle;
  if (name == "ReportSubTitle") return kDispidReportSubTitle;
  if (name == "DataToShow") return kDispidDataToShow;
  if (name == "FieldMask") return kDispidFieldMask;
  return DISPID_UNKNOWN;
}

}  // namespace

HRESULT CreateReportViewControl(REFIID riid, void** ppv) {
  return ComBoundary(ComErrorSource{kProgIdReportViewW, &IID_IClassFactory}, [&]() -> HRESULT {
    const ComPtr<ReportViewControl> control = MakeComObject<ReportViewControl>();
    control->LoadTypeInfo();
    return control->QueryInterface(riid, ppv);
  });
}

InterfaceTable<ReportViewControl> ReportViewControl::Interfaces() noexcept {
  using C = ReportViewControl;
  static const InterfaceEntry<C> entries[] = {
      {&kIidReportView, &AsInterface<IReportView, C>},
      {&IID_IDispatch, &AsInterface<IReportView, C>},
      {&IID_IProvideClassInfo, &AsInterface<IProvideClassInfo2, C>},
      {&IID_IProvideClassInfo2, &AsInterface<IProvideClassInfo2, C>},
      {&IID_ISupportErrorInfo, &AsInterface<ISupportErrorInfo, C>},
      {&IID_IOleObject, &AsInterface<IOleObject, C>},
      {&IID_IOleWindow, &AsInterface<IOleInPlaceObject, C>},
      {&IID_IOleInPlaceObject, &AsInterface<IOleInPlaceObject, C>},
      {&IID_IOleInPlaceActiveObject, &AsInterface<IOleInPlaceActiveObject, C>},
      {&IID_IOleControl, &AsInterface<IOleControl, C>},
      {&IID_IViewObject, &AsInterface<IViewObject2, C>},
      {&IID_IViewObject2, &AsInterface<IViewObject2, C>},
      {&IID_IPersist, &AsInterface<IPersistStreamInit, C>},
      {&IID_IPersistStreamInit, &AsInterface<IPersistStreamInit, C>},
      {&IID_IPersistPropertyBag, &AsInterface<IPersistPropertyBag, C>},
      {&IID_IPersistStorage, &AsInterface<IPersistStorage, C>},
      {&IID_IConnectionPointContainer, &AsInterface<IConnectionPointContainer, C>},
      {&IID_IQuickActivate, &AsInterface<IQuickActivate, C>},
  };
  return {entries, std::size(entries)};
}

ReportViewControl::ReportViewControl()
    : eventPoint_(this, kIidReportViewEvents), notifyPoint_(this, IID_IPropertyNotifySink), extent_{9525, 5080} {
  view_.SetPropertyChangedHandler([this](const std::string& name) { PropertyChanged(name); });
}

ReportViewControl::~ReportViewControl() {
  view_.SetPropertyChangedHandler(nullptr);
  view_.Destroy();
}

void ReportViewControl::LoadTypeInfo() {
  ComPtr<ITypeLib> library;
  ThrowIfFailed(::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library), "The control's type library cannot be loaded");
  ThrowIfFailed(library->GetTypeInfoOfGuid(kIidReportView, &dispatchInfo_), "The type library lacks _ReportView");
  ThrowIfFailed(library->GetTypeInfoOfGuid(kClsidReportView, &classInfo_), "The type library lacks ReportView");
  HREFTYPE vtable = 0;
  ThrowIfFailed(dispatchInfo_->GetRefTypeOfImplType(-1, &vtable), "_ReportView is not dual");
  ThrowIfFailed(dispatchInfo_->GetRefTypeInfo(vtable, &vtableInfo_), "_ReportView is not dual");
}

// --- IDispatch, answered by the type library ---

HRESULT ReportViewControl::GetTypeInfoCount(UINT* pctinfo) {
  return Boundary(IID_IDispatch, [&] { *Required(pctinfo) = 1; });
}

HRESULT ReportViewControl::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
  return Boundary(IID_IDispatch, [&]() -> HRESULT {
    *Required(ppTInfo) = nullptr;
    if (iTInfo != 0) return DISP_E_BADINDEX;
    return dispatchInfo_.CopyTo(ppTInfo);
  });
}

HRESULT ReportViewControl::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
  return Boundary(IID_IDispatch, [&]() -> HRESULT {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return vtableInfo_->GetIDsOfNames(rgszNames, cNames, rgDispId);
  });
}

HRESULT ReportViewControl::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                                  VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
  return Boundary(IID_IDispatch, [&]() -> HRESULT {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ::SetErrorInfo(0, nullptr);
    const HRESULT hr = vtableInfo_->Invoke(static_cast<IReportView*>(this), dispIdMember, wFlags, pDispParams, pVarResult,
                                           pExcepInfo, puArgErr);
    // A member's failure reaches late-bound callers as an exception with its description.
    if (FAILED(hr) && hr != DISP_E_EXCEPTION && pExcepInfo != nullptr) {
      ComPtr<IErrorInfo> info;
      if (::GetErrorInfo(0, &info) == S_OK) {
        *pExcepInfo = EXCEPINFO{};
        info->GetSource(&pExcepInfo->bstrSource);
        info->GetDescription(&pExcepInfo->bstrDescription);
        pExcepInfo->scode = hr;
        return DISP_E_EXCEPTION;
      }
    }
    return hr;
  });
}

// --- _ReportView ---

HRESULT ReportViewControl::put_ReportTitle(BSTR strReportTitle) {
  return Boundary(kIidReportView, [&] { view_.ReportTitle(FromBstr(strReportTitle)); });
}

HRESULT ReportViewControl::get_ReportTitle(BSTR* strReportTitle) {
  return Boundary(kIidReportView, [&] {
    *Required(strReportTitle) = nullptr;
    *strReportTitle = ToBstr(view_.ReportTitle());
  });
}

HRESULT ReportViewControl::put_ReportSubTitle(BSTR strReportSubTitle) {
  return Boundary(kIidReportView, [&] { view_.ReportSubTitle(FromBstr(strReportSubTitle)); });
}

HRESULT ReportViewControl::get_ReportSubTitle(BSTR* strReportSubTitle) {
  return Boundary(kIidReportView, [&] {
    *Required(strReportSubTitle) = nullptr;
    *strReportSubTitle = ToBstr(view_.ReportSubTitle());
  });
}

HRESULT ReportViewControl::put_DataToShow(VARIANT* vntData) {
  return Boundary(kIidReportView, [&] { view_.DataToShow(DataArrayFromHost(vntData)); });
}

HRESULT ReportViewControl::get_DataToShow(VARIANT* vntData) {
  return Boundary(kIidReportView, [&] {
    ::VariantInit(Required(vntData));
    UniqueVariant copy;
    ThrowIfFailed(VariantToCom(view_.DataToShow(), copy.get()), "DataToShow cannot be handed out");
    *vntData = copy.release();
  });
}

HRESULT ReportViewControl::get_ViewIsEmpty(VARIANT_BOOL* blnViewIsEmpty) {
  return Boundary(kIidReportView, [&] { *Required(blnViewIsEmpty) = view_.ViewIsEmpty() ? VARIANT_TRUE : VARIANT_FALSE; });
}

HRESULT ReportViewControl::get_FieldMask(BSTR* strFieldMask) {
  return Boundary(kIidReportView, [&] {
    *Required(strFieldMask) = nullptr;
    *strFieldMask = ToBstr(view_.FieldMask());
  });
}

HRESULT ReportViewControl::put_FieldMask(BSTR strFieldMask) {
  return Boundary(kIidReportView, [&] { view_.FieldMask(FromBstr(strFieldMask)); });
}

HRESULT ReportViewControl::Clear() {
  return Boundary(kIidReportView, [&] { view_.Clear(); });
}

HRESULT ReportViewControl::Generate() {
  return Boundary(kIidReportView, [&] { view_.Generate(); });
}

HRESULT ReportViewControl::Export() {
  return Boundary(kIidReportView, [&] {
    // The container's own modeless windows are off while the dialog runs. The frame is held
    // here: the container may deactivate the control while the dialog runs.
    const ComPtr<IOleInPlaceFrame> frame = frame_;
    if (frame) frame->EnableModeless(FALSE);
    const ScopeExit restore([&frame]() noexcept {
      if (frame) frame->EnableModeless(TRUE);
    });
    view_.Export(ContainerWindow());
  });
}

// --- IProvideClassInfo2, ISupportErrorInfo ---

HRESULT ReportViewControl::GetClassInfo(ITypeInfo** ppTI) {
  return Boundary(IID_IProvideClassInfo, [&] { ThrowIfFailed(classInfo_.CopyTo(Required(ppTI)), "GetClassInfo"); });
}

HRESULT ReportViewControl::GetGUID(DWORD dwGuidKind, GUID* pGUID) {
  return Boundary(IID_IProvideClassInfo2, [&]() -> HRESULT {
    *Required(pGUID) = GUID_NULL;
    if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *pGUID = kIidReportViewEvents;
    return S_OK;
  });
}

HRESULT ReportViewControl::InterfaceSupportsErrorInfo(REFIID riid) {
  return Boundary(IID_ISupportErrorInfo, [&]() -> HRESULT {
    return IsEqualIID(riid, kIidReportView) || IsEqualIID(riid, IID_IDispatch) ? S_OK : S_FALSE;
  });
}

// --- connection points ---

// Notifications are advisory: one that cannot be sent (no memory for the list of sinks) does not
// undo the change it reports.
void ReportViewControl::PropertyChanged(const std::string& name) noexcept {
  dirty_ = true;
  const DISPID dispid = DispidOfProperty(name);
  try {
    notifyPoint_.ForEachSink([dispid](IUnknown* sink) { static_cast<IPropertyNotifySink*>(sink)->OnChanged(dispid); });
  } catch (...) {
  }
  const ComPtr<IAdviseSink> viewSink = viewSink_;  // a sink may replace itself in the call
  if (viewSink && (viewAspects_ & DVASPECT_CONTENT)) viewSink->OnViewChange(DVASPECT_CONTENT, -1);
}

HRESULT ReportViewControl::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
  return Boundary(IID_IConnectionPointContainer, [&]() -> HRESULT {
    return CreateConnectionPointEnumerator({&eventPoint_, &notifyPoint_}, Required(ppEnum));
  });
}

HRESULT ReportViewControl::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  return Boundary(IID_IConnectionPointContainer, [&]() -> HRESULT {
    *Required(ppCP) = nullptr;
    ConnectionPoint* point = IsEqualIID(riid, eventPoint_.Iid())    ? &eventPoint_
                             : IsEqualIID(riid, notifyPoint_.Iid()) ? &notifyPoint_
                                                                    : nullptr;
    if (point == nullptr) return CONNECT_E_NOCONNECTION;
    point->AddRef();
    *ppCP = point;
    return S_OK;
  });
}

}  // namespace orlix
