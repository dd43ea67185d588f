// The control's persistence: IPersistStreamInit, IPersistStorage and IPersistPropertyBag.
#include "controllib/report_view_control.h"

#include "controllib/property_stores.h"

namespace orlix {
namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kContentsStream[] = L"Contents";  // the properties inside a host's storage

}  // namespace

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

}  // namespace orlix
