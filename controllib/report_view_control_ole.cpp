// The control as an embedded OLE object: IOleObject, in-place activation, IOleControl,
// IViewObject2 and IQuickActivate.
#include "controllib/report_view_control.h"

#include <olectl.h>

#include "base/scope_exit.h"

namespace orlix {
namespace {

using Microsoft::WRL::ComPtr;

constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;  // 0x20191
constexpr int kControlId = 1;

}  // namespace

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
