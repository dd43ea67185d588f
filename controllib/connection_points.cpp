#include "controllib/connection_points.h"

#include <olectl.h>

#include <new>

#include "controllib/module.h"

namespace orlix {
namespace {

// One enumerator template for both enumerations: a snapshot of AddRef'ed items and a cursor.
template <typename Interface, typename Item, const IID* Iid>
class Enumerator final : public Interface {
 public:
  explicit Enumerator(std::vector<Item> items, size_t position = 0) : items_(std::move(items)), position_(position) {}
  ~Enumerator() {
    for (Item& item : items_) ReleaseItem(item);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, *Iid)) {
      *ppv = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
    if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    ULONG done = 0;
    for (; done < count && position_ < items_.size(); ++done, ++position_) {
      out[done] = items_[position_];
      AddRefItem(out[done]);
    }
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const size_t left = items_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(Interface** out) override {
    if (out == nullptr) return E_POINTER;
    for (Item& item : items_) AddRefItem(item);
    *out = new (std::nothrow) Enumerator(items_, position_);
    if (*out == nullptr) {
      for (Item& item : items_) ReleaseItem(item);
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

 private:
  static void AddRefItem(IConnectionPoint* point) { point->AddRef(); }
  static void ReleaseItem(IConnectionPoint* point) { point->Release(); }
  static void AddRefItem(CONNECTDATA& data) { data.pUnk->AddRef(); }
  static void ReleaseItem(CONNECTDATA& data) { data.pUnk->Release(); }

  std::vector<Item> items_;
  size_t position_;
  std::atomic<ULONG> references_{1};
  ModuleReference module_;
};

using ConnectionPointEnumerator = Enumerator<IEnumConnectionPoints, IConnectionPoint*, &IID_IEnumConnectionPoints>;
using ConnectionEnumerator = Enumerator<IEnumConnections, CONNECTDATA, &IID_IEnumConnections>;

}  // namespace

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* container, const IID& iid)
    : container_(container), iid_(iid) {}

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG ConnectionPoint::AddRef() { return container_->AddRef(); }
ULONG ConnectionPoint::Release() { return container_->Release(); }

HRESULT ConnectionPoint::GetConnectionInterface(IID* piid) {
  if (piid == nullptr) return E_POINTER;
  *piid = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (ppCPC == nullptr) return E_POINTER;
  *ppCPC = container_;
  container_->AddRef();
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  Microsoft::WRL::ComPtr<IUnknown> typed;
  // An event sink may answer only IDispatch; the point's own interface is asked first.
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(typed.GetAddressOf()))) &&
      (IsEqualIID(iid_, IID_IPropertyNotifySink) ||
       FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(typed.GetAddressOf()))))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  try {
    sinks_.push_back({nextCookie_, typed});
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *cookie = nextCookie_++;
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->cookie == cookie) {
      sinks_.erase(it);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** ppEnum) {
  if (ppEnum == nullptr) return E_POINTER;
  *ppEnum = nullptr;
  try {
    std::vector<CONNECTDATA> items;
    for (const Sink& sink : sinks_) {
      sink.sink->AddRef();
      items.push_back({sink.sink.Get(), sink.cookie});
    }
    *ppEnum = new ConnectionEnumerator(std::move(items));
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void ConnectionPoint::ForEachSink(const std::function<void(IUnknown*)>& call) {
  // A sink may unadvise from inside the call: walk a copy.
  const std::vector<Sink> sinks = sinks_;
  for (const Sink& sink : sinks) call(sink.sink.Get());
}

HRESULT CreateConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    for (IConnectionPoint* point : points) point->AddRef();
    *out = new ConnectionPointEnumerator(points);
    return S_OK;
  } catch (const std::bad_alloc&) {
    for (IConnectionPoint* point : points) point->Release();
    return E_OUTOFMEMORY;
  }
}

}  // namespace orlix
