// ReportView as an ActiveX control: the COM object around the ReportView grid window. Sited in a
// container it activates in place as the container's child; created unsited (from a script) its
// grid window is made hidden on first need by ReportView itself.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include <wrl/client.h>

#include <string>
#include <utility>

#include "controllib/com_object.h"
#include "controllib/connection_points.h"
#include "controllib/guids.h"
#include "controllib/module.h"
#include "controllib/report_view_interface.h"
#include "platform/com_boundary_win.h"
#include "report/ui/report_view_window.h"

namespace orlix {

// The class factory's creation function for CLSID ReportView.
HRESULT CreateReportViewControl(REFIID riid, void** ppv);

class ReportViewControl final
    : public ComObject<ReportViewControl, IReportView, IProvideClassInfo2, ISupportErrorInfo, IOleObject,
                       IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl, IViewObject2, IPersistStreamInit,
                       IPersistPropertyBag, IPersistStorage, IConnectionPointContainer, IQuickActivate> {
 public:
  ReportViewControl();
  ~ReportViewControl() override;
  void LoadTypeInfo();  // throws ComError when the embedded type library cannot be read
  static InterfaceTable<ReportViewControl> Interfaces() noexcept;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                                   VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

  // _ReportView
  HRESULT STDMETHODCALLTYPE put_ReportTitle(BSTR strReportTitle) override;
  HRESULT STDMETHODCALLTYPE get_ReportTitle(BSTR* strReportTitle) override;
  HRESULT STDMETHODCALLTYPE put_ReportSubTitle(BSTR strReportSubTitle) override;
  HRESULT STDMETHODCALLTYPE get_ReportSubTitle(BSTR* strReportSubTitle) override;
  HRESULT STDMETHODCALLTYPE put_DataToShow(VARIANT* vntData) override;
  HRESULT STDMETHODCALLTYPE get_DataToShow(VARIANT* vntData) override;
  HRESULT STDMETHODCALLTYPE get_ViewIsEmpty(VARIANT_BOOL* blnViewIsEmpty) override;
  HRESULT STDMETHODCALLTYPE get_FieldMask(BSTR* strFieldMask) override;
  HRESULT STDMETHODCALLTYPE put_FieldMask(BSTR strFieldMask) override;
  HRESULT STDMETHODCALLTYPE Clear() override;
  HRESULT STDMETHODCALLTYPE Generate() override;
  HRESULT STDMETHODCALLTYPE Export() override;

  // IProvideClassInfo2
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD dwGuidKind, GUID* pGUID) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* pClientSite) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** ppClientSite) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) override;
  HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD dwWhichMoniker, IMoniker* pmk) override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* pDataObject, BOOL fCreation, DWORD dwReserved) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD dwReserved, IDataObject** ppDataObject) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                                   HWND hwndParent, LPCRECT lprcPosRect) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) override;
  HRESULT STDMETHODCALLTYPE Update() override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* pClsid) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwConnection) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** ppenumAdvise) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* pLogpal) override;

  // IOleWindow (through IOleInPlaceObject and IOleInPlaceActiveObject)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;
  // IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
  // IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) override;
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) override;
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fFrameWindow) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* pCI) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* pMsg) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispID) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL bFreeze) override;

  // IViewObject2
  HRESULT STDMETHODCALLTYPE Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd, HDC hdcTargetDev,
                                 HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL lprcWBounds,
                                 BOOL(STDMETHODCALLTYPE* pfnContinue)(ULONG_PTR dwContinue), ULONG_PTR dwContinue) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                        HDC hicTargetDev, LOGPALETTE** ppColorSet) override;
  HRESULT STDMETHODCALLTYPE Freeze(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DWORD* pdwFreeze) override;
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD dwFreeze) override;
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) override;
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, LONG lindex, DVTARGETDEVICE* ptd, LPSIZEL lpsizel) override;

  // IPersist (through the three persistence interfaces)
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
  // IPersistStreamInit, IPersistStorage
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM pStm) override;
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM pStm, BOOL fClearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* pCbSize) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;
  HRESULT STDMETHODCALLTYPE InitNew(IStorage* pStg) override;
  HRESULT STDMETHODCALLTYPE Load(IStorage* pStg) override;
  HRESULT STDMETHODCALLTYPE Save(IStorage* pStgSave, BOOL fSameAsLoad) override;
  HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* pStgNew) override;
  HRESULT STDMETHODCALLTYPE HandsOffStorage() override;
  // IPersistPropertyBag
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override;
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

  // IQuickActivate
  HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* pQaContainer, QACONTROL* pQaControl) override;
  HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL pSizel) override;
  HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL pSizel) override;

 private:
  // Every method runs through the COM boundary holding a reference of its own: a host or a sink
  // may release its last one while the method still runs (in the modal dialog, in a callback).
  template <typename Body>
  HRESULT Boundary(const IID& iid, Body&& body) noexcept {
    const Microsoft::WRL::ComPtr<IReportView> alive(this);
    return ComBoundary(ComErrorSource{kProgIdReportViewW, &iid}, std::forward<Body>(body));
  }

  void ActivateInPlace(bool uiActivate);
  void DeactivateInPlace();
  void PropertyChanged(const std::string& name) noexcept;
  void LoadFromStream(IStream* stream);
  void SaveToStream(IStream* stream, bool clearDirty);
  HWND ContainerWindow() const;

  ReportView view_;

  Microsoft::WRL::ComPtr<ITypeInfo> dispatchInfo_;  // _ReportView as the host sees it
  Microsoft::WRL::ComPtr<ITypeInfo> vtableInfo_;    // its vtable half: what Invoke calls through
  Microsoft::WRL::ComPtr<ITypeInfo> classInfo_;     // the coclass

  Microsoft::WRL::ComPtr<IOleClientSite> clientSite_;
  Microsoft::WRL::ComPtr<IOleInPlaceSite> inPlaceSite_;
  Microsoft::WRL::ComPtr<IOleInPlaceFrame> frame_;
  Microsoft::WRL::ComPtr<IOleInPlaceUIWindow> documentWindow_;
  Microsoft::WRL::ComPtr<IOleAdviseHolder> adviseHolder_;
  Microsoft::WRL::ComPtr<IAdviseSink> viewSink_;
  DWORD viewAspects_ = 0;
  DWORD viewAdviseFlags_ = 0;

  ConnectionPoint eventPoint_;
  ConnectionPoint notifyPoint_;

  bool inPlaceActive_ = false;
  bool uiActive_ = false;
  bool dirty_ = false;
  SIZEL extent_;  // HIMETRIC
};

}  // namespace orlix
