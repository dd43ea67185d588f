#include "controllib/report_view_control.h"

#include <olectl.h>

#include <iterator>
#include <stdexcept>

#include "base/scope_exit.h"
#include "controllib/guids.h"
#include "controllib/property_stores.h"
#include "platform/ansi_win.h"
#include "platform/variant_com_win.h"

namespace orlix {
namespace {

using Microsoft::WRL::ComPtr;

constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;  // 0x20191
constexpr int kControlId = 1;
constexpr wchar_t kContentsStream[] = L"Contents";  // the properties inside a host's storage

std::string FromBstr(BSTR text) { return text ? WideToUtf8(std::wstring(text, ::SysStringLen(text))) : std::string(); }

BSTR ToBstr(const std::string& utf8) {
  const std::wstring wide = Utf8ToWide(utf8);
  BSTR out = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (out == nullptr) throw std::bad_alloc();
  return out;
}

template <typename T>
T* Required(T* pointer) {
  if (pointer == nullptr) throw ComError(E_POINTER, "A required pointer argument is null");
  return pointer;
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

// --- IOleObject ---

HRESULT ReportViewControl::SetClientSite(IOleClientSite* pClientSite) {
  return Boundary(IID_IOleObject, [&] {
    if (pClientSite == nullptr && inPlaceActive_) DeactivateInPlace();
    clientSite_ = pClientSite;
  });
}

HRESULT ReportViewControl::GetClientSite(IOleClientSite** ppClientSite) {
  return Boundary(IID_IOleObject, [&] { clientSite_.CopyTo(Required(ppClientSite)); });
}

HRESULT ReportViewControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
  return Boundary(IID_IOleObject, [] {});
}

HRESULT ReportViewControl::Close(DWORD dwSaveOption) {
  return Boundary(IID_IOleObject, [&] {
    if (dirty_ && clientSite_ && (dwSaveOption == OLECLOSE_SAVEIFDIRTY || dwSaveOption == OLECLOSE_PROMPTSAVE)) {
      clientSite_->SaveObject();
    }
    if (inPlaceActive_) DeactivateInPlace();
    view_.Destroy();
    if (adviseHolder_) adviseHolder_->SendOnClose();
  });
}

HRESULT ReportViewControl::SetMoniker(DWORD, IMoniker*) {
  return Boundary(IID_IOleObject, []() -> HRESULT { return E_NOTIMPL; });
}

HRESULT ReportViewControl::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
  return Boundary(IID_IOleObject, [&]() -> HRESULT {
    *Required(ppmk) = nullptr;
    return E_NOTIMPL;
  });
}

HRESULT ReportViewControl::InitFromData(IDataObject*, BOOL, DWORD) {
  return Boundary(IID_IOleObject, []() -> HRESULT { return E_NOTIMPL; });
}

HRESULT ReportViewControl::GetClipboardData(DWORD, IDataObject** ppDataObject) {
  return Boundary(IID_IOleObject, [&]() -> HRESULT {
    *Required(ppDataObject) = nullptr;
    return E_NOTIMPL;
  });
}

HRESULT ReportViewControl::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND, LPCRECT lprcPosRect) {
  return Boundary(IID_IOleObject, [&]() -> HRESULT {
    if (!clientSite_ && pActiveSite) clientSite_ = pActiveSite;
    switch (iVerb) {
      case OLEIVERB_PRIMARY:
      case OLEIVERB_SHOW:
      case OLEIVERB_UIACTIVATE:
        ActivateInPlace(true);
        break;
      case OLEIVERB_INPLACEACTIVATE:
        ActivateInPlace(false);
        break;
      case OLEIVERB_HIDE:
        if (HWND window = view_.Window()) ::ShowWindow(window, SW_HIDE);
        break;
      default:
        return iVerb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
    if (lprcPosRect && inPlaceActive_) SetObjectRects(lprcPosRect, lprcPosRect);
    return S_OK;
  });
}

HRESULT ReportViewControl::EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) {
  return Boundary(IID_IOleObject, [&]() -> HRESULT { return ::OleRegEnumVerbs(kClsidReportView, Required(ppEnumOleVerb)); });
}

HRESULT ReportViewControl::Update() {
  return Boundary(IID_IOleObject, [] {});
}

HRESULT ReportViewControl::IsUpToDate() {
  return Boundary(IID_IOleObject, [] {});
}

HRESULT ReportViewControl::GetUserClassID(CLSID* pClsid) {
  return Boundary(IID_IOleObject, [&] { *Required(pClsid) = kClsidReportView; });
}

HRESULT ReportViewControl::GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) {
  return Boundary(IID_IOleObject, [&]() -> HRESULT { return ::OleRegGetUserType(kClsidReportView, dwFormOfType, Required(pszUserType)); });
}

HRESULT ReportViewControl::SetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
  return Boundary(IID_IOleObject, [&]() -> HRESULT {
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    extent_ = *Required(psizel);
    return S_OK;
  });
}

HRESULT ReportViewControl::GetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
  return Boundary(IID_IOleObject, [&]() -> HRESULT {
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *Required(psizel) = extent_;
    return S_OK;
  });
}

HRESULT ReportViewControl::Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) {
  return Boundary(IID_IOleObject, [&]() -> HRESULT {
    if (!adviseHolder_) ThrowIfFailed(::CreateOleAdviseHolder(&adviseHolder_), "CreateOleAdviseHolder");
    return adviseHolder_->Advise(pAdvSink, Required(pdwConnection));
  });
}

HRESULT ReportViewControl::Unadvise(DWORD dwConnection) {
  return Boundary(IID_IOleObject, [&]() -> HRESULT {
    return adviseHolder_ ? adviseHolder_->Unadvise(dwConnection) : OLE_E_NOCONNECTION;
  });
}

HRESULT ReportViewControl::EnumAdvise(IEnumSTATDATA** ppenumAdvise) {
  return Boundary(IID_IOleObject, [&]() -> HRESULT {
    *Required(ppenumAdvise) = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(ppenumAdvise) : E_FAIL;
  });
}

HRESULT ReportViewControl::GetMiscStatus(DWORD, DWORD* pdwStatus) {
  return Boundary(IID_IOleObject, [&] { *Required(pdwStatus) = kMiscStatus; });
}

HRESULT ReportViewControl::SetColorScheme(LOGPALETTE*) {
  return Boundary(IID_IOleObject, []() -> HRESULT { return E_NOTIMPL; });
}

// --- in-place activation ---

HWND ReportViewControl::ContainerWindow() const {
  HWND window = nullptr;
  if (inPlaceSite_) inPlaceSite_->GetWindow(&window);
  return window;
}

void ReportViewControl::ActivateInPlace(bool uiActivate) {
  if (!clientSite_) throw ComError(E_UNEXPECTED, "The control has no site to activate in");
  if (!inPlaceActive_) {
    ComPtr<IOleInPlaceSite> site;
    ThrowIfFailed(clientSite_.As(&site), "The container offers no in-place site");
    if (site->CanInPlaceActivate() != S_OK) throw ComError(E_FAIL, "The container refuses in-place activation");
    ThrowIfFailed(site->OnInPlaceActivate(), "OnInPlaceActivate");
    // Until the window stands in its place, any failure tells the site that activation ended
    // and leaves the control as it was.
    ScopeExit undo([&site]() noexcept { site->OnInPlaceDeactivate(); });
    HWND parent = nullptr;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof(frameInfo);
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> documentWindow;
    if (FAILED(site->GetWindow(&parent)) || !::IsWindow(parent) ||
        FAILED(site->GetWindowContext(&frame, &documentWindow, &position, &clip, &frameInfo))) {
      throw ComError(E_FAIL, "The container gives no window to activate in");
    }
    HWND existing = view_.Window();
    if (existing != nullptr && (::GetWindowLongPtrW(existing, GWL_STYLE) & WS_CHILD) != 0) {
      // The window of an earlier activation, kept hidden with its rows: it moves to the new place.
      ::SetParent(existing, parent);
      ::SetWindowPos(existing, nullptr, position.left, position.top, position.right - position.left,
                     position.bottom - position.top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
      view_.Create(parent, position, kControlId, true);  // new, or the hidden window of unsited use
    }
    undo.Dismiss();
    inPlaceSite_ = std::move(site);
    frame_ = std::move(frame);
    documentWindow_ = std::move(documentWindow);
    inPlaceActive_ = true;
  }
  if (HWND window = view_.Window()) ::ShowWindow(window, SW_SHOWNA);
  if (uiActivate && !uiActive_) {
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    if (frame_) frame_->SetActiveObject(this, nullptr);
    if (documentWindow_) documentWindow_->SetActiveObject(this, nullptr);
    if (HWND list = view_.ListView()) ::SetFocus(list);
  }
}

void ReportViewControl::DeactivateInPlace() {
  if (uiActive_) {
    uiActive_ = false;
    if (frame_) frame_->SetActiveObject(nullptr, nullptr);
    if (documentWindow_) documentWindow_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
  }
  // The grid keeps its rows: the window stays, hidden, until the next activation (or until the
  // container's window takes it down; the mask and the data survive that too).
  if (HWND window = view_.Window()) ::ShowWindow(window, SW_HIDE);
  inPlaceActive_ = false;
  if (inPlaceSite_) inPlaceSite_->OnInPlaceDeactivate();
  inPlaceSite_.Reset();
  frame_.Reset();
  documentWindow_.Reset();
}

// --- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject ---

HRESULT ReportViewControl::GetWindow(HWND* phwnd) {
  return Boundary(IID_IOleWindow, [&]() -> HRESULT {
    *Required(phwnd) = inPlaceActive_ ? view_.Window() : nullptr;
    return *phwnd ? S_OK : E_FAIL;
  });
}

HRESULT ReportViewControl::ContextSensitiveHelp(BOOL) {
  return Boundary(IID_IOleWindow, []() -> HRESULT { return E_NOTIMPL; });
}

HRESULT ReportViewControl::InPlaceDeactivate() {
  return Boundary(IID_IOleInPlaceObject, [&] {
    if (inPlaceActive_) DeactivateInPlace();
  });
}

HRESULT ReportViewControl::UIDeactivate() {
  return Boundary(IID_IOleInPlaceObject, [&] {
    if (!uiActive_) return;
    uiActive_ = false;
    if (frame_) frame_->SetActiveObject(nullptr, nullptr);
    if (documentWindow_) documentWindow_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
  });
}

HRESULT ReportViewControl::SetObjectRects(LPCRECT lprcPosRect, LPCRECT) {
  return Boundary(IID_IOleInPlaceObject, [&] {
    const RECT& position = *Required(lprcPosRect);
    if (HWND window = view_.Window()) {
      ::MoveWindow(window, position.left, position.top, position.right - position.left, position.bottom - position.top, TRUE);
    }
  });
}

HRESULT ReportViewControl::ReactivateAndUndo() {
  return Boundary(IID_IOleInPlaceObject, []() -> HRESULT { return E_NOTIMPL; });
}

HRESULT ReportViewControl::TranslateAccelerator(LPMSG) {
  return Boundary(IID_IOleInPlaceActiveObject, []() -> HRESULT { return S_FALSE; });
}

HRESULT ReportViewControl::OnFrameWindowActivate(BOOL) {
  return Boundary(IID_IOleInPlaceActiveObject, [] {});
}

HRESULT ReportViewControl::OnDocWindowActivate(BOOL) {
  return Boundary(IID_IOleInPlaceActiveObject, [] {});
}

HRESULT ReportViewControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
  return Boundary(IID_IOleInPlaceActiveObject, [] {});
}

HRESULT ReportViewControl::EnableModeless(BOOL) {
  return Boundary(IID_IOleInPlaceActiveObject, [] {});
}

// --- IOleControl ---

HRESULT ReportViewControl::GetControlInfo(CONTROLINFO* pCI) {
  return Boundary(IID_IOleControl, [&] {
    CONTROLINFO& info = *Required(pCI);
    info.cb = sizeof(CONTROLINFO);
    info.hAccel = nullptr;
    info.cAccel = 0;
    info.dwFlags = 0;
  });
}

HRESULT ReportViewControl::OnMnemonic(MSG*) {
  return Boundary(IID_IOleControl, [] {});
}

HRESULT ReportViewControl::OnAmbientPropertyChange(DISPID) {
  return Boundary(IID_IOleControl, [] {});
}

HRESULT ReportViewControl::FreezeEvents(BOOL) {
  return Boundary(IID_IOleControl, [] {});  // the control raises no events
}

// --- IViewObject2 ---

HRESULT ReportViewControl::Draw(DWORD dwDrawAspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw, LPCRECTL lprcBounds,
                                LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  return Boundary(IID_IViewObject, [&]() -> HRESULT {
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (hdcDraw == nullptr || lprcBounds == nullptr) return E_INVALIDARG;
    const RECT bounds{lprcBounds->left, lprcBounds->top, lprcBounds->right, lprcBounds->bottom};
    HWND window = view_.Window();
    if (window != nullptr && ::IsWindowVisible(window)) {
      // The live grid paints itself into the host's device context.
      POINT oldOrigin{};
      ::SetViewportOrgEx(hdcDraw, bounds.left, bounds.top, &oldOrigin);
      ::SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(hdcDraw),
                     PRF_CLIENT | PRF_CHILDREN | PRF_NONCLIENT | PRF_ERASEBKGND);
      ::SetViewportOrgEx(hdcDraw, oldOrigin.x, oldOrigin.y, nullptr);
      return S_OK;
    }
    // No window yet: an empty grid's outline with the control's name.
    ::FillRect(hdcDraw, &bounds, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::FrameRect(hdcDraw, &bounds, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
    RECT text = bounds;
    const int oldMode = ::SetBkMode(hdcDraw, TRANSPARENT);
    ::DrawTextW(hdcDraw, L"ReportView", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SetBkMode(hdcDraw, oldMode);
    return S_OK;
  });
}

HRESULT ReportViewControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** ppColorSet) {
  return Boundary(IID_IViewObject, [&]() -> HRESULT {
    *Required(ppColorSet) = nullptr;
    return S_FALSE;
  });
}

HRESULT ReportViewControl::Freeze(DWORD, LONG, void*, DWORD*) {
  return Boundary(IID_IViewObject, []() -> HRESULT { return E_NOTIMPL; });
}

HRESULT ReportViewControl::Unfreeze(DWORD) {
  return Boundary(IID_IViewObject, []() -> HRESULT { return E_NOTIMPL; });
}

HRESULT ReportViewControl::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) {
  return Boundary(IID_IViewObject, [&] {
    viewSink_ = pAdvSink;
    viewAspects_ = aspects;
    viewAdviseFlags_ = advf;
  });
}

HRESULT ReportViewControl::GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) {
  return Boundary(IID_IViewObject, [&] {
    if (pAspects) *pAspects = viewAspects_;
    if (pAdvf) *pAdvf = viewAdviseFlags_;
    if (ppAdvSink) viewSink_.CopyTo(ppAdvSink);
  });
}

HRESULT ReportViewControl::GetExtent(DWORD dwDrawAspect, LONG, DVTARGETDEVICE*, LPSIZEL lpsizel) {
  return Boundary(IID_IViewObject2, [&]() -> HRESULT {
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *Required(lpsizel) = extent_;
    return S_OK;
  });
}

// --- persistence ---

void ReportViewControl::LoadFromStream(IStream* stream) {
  StreamPropertyStore store;
  store.Load(Required(stream));
  view_.ReadProperties(store);
  dirty_ = false;
}

void ReportViewControl::SaveToStream(IStream* stream, bool clearDirty) {
  StreamPropertyStore store;
  view_.WriteProperties(store);
  store.Save(Required(stream));
  if (clearDirty) dirty_ = false;
}

HRESULT ReportViewControl::GetClassID(CLSID* pClassID) {
  return Boundary(IID_IPersist, [&] { *Required(pClassID) = kClsidReportView; });
}

HRESULT ReportViewControl::IsDirty() {
  return Boundary(IID_IPersistStreamInit, [&]() -> HRESULT { return dirty_ ? S_OK : S_FALSE; });
}

HRESULT ReportViewControl::Load(LPSTREAM pStm) {
  return Boundary(IID_IPersistStreamInit, [&] { LoadFromStream(pStm); });
}

HRESULT ReportViewControl::Save(LPSTREAM pStm, BOOL fClearDirty) {
  return Boundary(IID_IPersistStreamInit, [&] { SaveToStream(pStm, fClearDirty != FALSE); });
}

HRESULT ReportViewControl::GetSizeMax(ULARGE_INTEGER* pCbSize) {
  return Boundary(IID_IPersistStreamInit, [&] {
    StreamPropertyStore store;
    view_.WriteProperties(store);
    Required(pCbSize)->QuadPart = store.SizeMax();
  });
}

HRESULT ReportViewControl::InitNew() {
  return Boundary(IID_IPersistStreamInit, [&] {
    view_.InitProperties();
    dirty_ = false;
  });
}

HRESULT ReportViewControl::InitNew(IStorage*) {
  return Boundary(IID_IPersistStorage, [&] {
    view_.InitProperties();
    dirty_ = false;
  });
}

HRESULT ReportViewControl::Load(IStorage* pStg) {
  return Boundary(IID_IPersistStorage, [&] {
    ComPtr<IStream> stream;
    ThrowIfFailed(Required(pStg)->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream),
                  "The storage holds no properties of this control");
    LoadFromStream(stream.Get());
  });
}

HRESULT ReportViewControl::Save(IStorage* pStgSave, BOOL) {
  return Boundary(IID_IPersistStorage, [&] {
    ComPtr<IStream> stream;
    ThrowIfFailed(Required(pStgSave)->CreateStream(kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream),
                  "The control's properties cannot be saved in the storage");
    SaveToStream(stream.Get(), true);
  });
}

HRESULT ReportViewControl::SaveCompleted(IStorage*) {
  return Boundary(IID_IPersistStorage, [] {});
}

HRESULT ReportViewControl::HandsOffStorage() {
  return Boundary(IID_IPersistStorage, [] {});  // no storage is kept open between calls
}

HRESULT ReportViewControl::Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) {
  return Boundary(IID_IPersistPropertyBag, [&] {
    PropertyBagStore store(Required(pPropBag), pErrorLog);
    view_.ReadProperties(store);
    dirty_ = false;
  });
}

HRESULT ReportViewControl::Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL) {
  return Boundary(IID_IPersistPropertyBag, [&] {
    PropertyBagStore store(Required(pPropBag), nullptr);
    view_.WriteProperties(store);
    if (fClearDirty) dirty_ = false;
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

// --- IQuickActivate ---

HRESULT ReportViewControl::QuickActivate(QACONTAINER* pQaContainer, QACONTROL* pQaControl) {
  return Boundary(IID_IQuickActivate, [&]() -> HRESULT {
    const QACONTAINER& container = *Required(pQaContainer);
    QACONTROL& control = *Required(pQaControl);
    if (container.cbSize < sizeof(QACONTAINER) || control.cbSize < sizeof(QACONTROL)) return E_INVALIDARG;
    clientSite_ = container.pClientSite;
    if (container.pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container.pAdviseSink);
    control.dwMiscStatus = kMiscStatus;
    control.dwViewStatus = 0;
    control.dwEventCookie = 0;
    control.dwPropNotifyCookie = 0;
    control.dwPointerActivationPolicy = 0;
    if (container.pUnkEventSink) eventPoint_.Advise(container.pUnkEventSink, &control.dwEventCookie);
    if (container.pPropertyNotifySink) notifyPoint_.Advise(container.pPropertyNotifySink, &control.dwPropNotifyCookie);
    return S_OK;
  });
}

HRESULT ReportViewControl::SetContentExtent(LPSIZEL pSizel) {
  return Boundary(IID_IQuickActivate, [&] { extent_ = *Required(pSizel); });
}

HRESULT ReportViewControl::GetContentExtent(LPSIZEL pSizel) {
  return Boundary(IID_IQuickActivate, [&] { *Required(pSizel) = extent_; });
}

}  // namespace orlix
