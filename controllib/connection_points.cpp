#include "controllib/connection_points.h"

#include <olectl.h>

#include <utility>

#include "controllib/guids.h"
#include "platform/com_boundary_win.h"

namespace orlix {
namespace {

using Microsoft::WRL::ComPtr;

template <const IID* Iid>
constexpr ComErrorSource kSource{kProgIdReportViewW, Iid};

// What each enumeration holds and hands out: the points themselves, or each sink with its cookie.
struct PointItems {
  using Item = IConnectionPoint*;
  using Held = ComPtr<IConnectionPoint>;
  static Item HandOut(const Held& held) noexcept {
    held->AddRef();
    return held.Get();
  }
};

struct ConnectionItems {
  using Item = CONNECTDATA;
  struct Held {
    ComPtr<IUnknown> sink;
    DWORD cookie;
  };
  static Item HandOut(const Held& held) noexcept {
    held.sink->AddRef();
    return {held.sink.Get(), held.cookie};
  }
};

// One enumerator template for both enumerations: a snapshot of owned items and a cursor.
template <typename Interface, typename Items, const IID* Iid>
class Enumerator final : public ComObject<Enumerator<Interface, Items, Iid>, Interface> {
 public:
  using Held = typename Items::Held;
  using Item = typename Items::Item;

  explicit Enumerator(std::vector<Held> items, size_t position = 0) noexcept
      : items_(std::move(items)), position_(position) {}

  static InterfaceTable<Enumerator> Interfaces() noexcept {
    static const InterfaceEntry<Enumerator> entries[] = {{Iid, &AsInterface<Interface, Enumerator>}};
    return {entries, 1};
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
    return ComBoundary(kSource<Iid>, [&]() -> HRESULT {
      if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
      ULONG done = 0;
      for (; done < count && position_ < items_.size(); ++done, ++position_) out[done] = Items::HandOut(items_[position_]);
      if (fetched) *fetched = done;
      return done == count ? S_OK : S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    return ComBoundary(kSource<Iid>, [&]() -> HRESULT {
      const size_t left = items_.size() - position_;
      position_ += count < left ? count : left;
      return count <= left ? S_OK : S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    return ComBoundary(kSource<Iid>, [&] { position_ = 0; });
  }
  HRESULT STDMETHODCALLTYPE Clone(Interface** out) override {
    return ComBoundary(kSource<Iid>, [&]() -> HRESULT {
      if (out == nullptr) return E_POINTER;
      *out = nullptr;
      *out = MakeComObject<Enumerator>(items_, position_).Detach();
      return S_OK;
    });
  }

 private:
  std::vector<Held> items_;
  size_t position_;
};

using ConnectionPointEnumerator = Enumerator<IEnumConnectionPoints, PointItems, &IID_IEnumConnectionPoints>;
using ConnectionEnumerator = Enumerator<IEnumConnections, ConnectionItems, &IID_IEnumConnections>;

}  // namespace

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* container, const IID& iid) noexcept
    : ComObject(container), container_(container), iid_(iid) {}

InterfaceTable<ConnectionPoint> ConnectionPoint::Interfaces() noexcept {
  static const InterfaceEntry<ConnectionPoint> entries[] = {
      {&IID_IConnectionPoint, &AsInterface<IConnectionPoint, ConnectionPoint>}};
  return {entries, 1};
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* piid) {
  return ComBoundary(kSource<&IID_IConnectionPoint>, [&]() -> HRESULT {
    if (piid == nullptr) return E_POINTER;
    *piid = iid_;
    return S_OK;
  });
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  return ComBoundary(kSource<&IID_IConnectionPoint>, [&]() -> HRESULT {
    if (ppCPC == nullptr) return E_POINTER;
    *ppCPC = container_;
    container_->AddRef();
    return S_OK;
  });
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  return ComBoundary(kSource<&IID_IConnectionPoint>, [&]() -> HRESULT {
    if (cookie == nullptr) return E_POINTER;
    *cookie = 0;
    if (sink == nullptr) return E_POINTER;
    ComPtr<IUnknown> typed;
    // An event sink may answer only IDispatch; the point's own interface is asked first.
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(typed.GetAddressOf()))) &&
        (IsEqualIID(iid_, IID_IPropertyNotifySink) ||
         FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(typed.GetAddressOf()))))) {
      return CONNECT_E_CANNOTCONNECT;
    }
    sinks_.push_back({nextCookie_, std::move(typed)});
    *cookie = nextCookie_++;
    return S_OK;
  });
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  return ComBoundary(kSource<&IID_IConnectionPoint>, [&]() -> HRESULT {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
      if (it->cookie == cookie) {
        sinks_.erase(it);
        return S_OK;
      }
    }
    return CONNECT_E_NOCONNECTION;
  });
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** ppEnum) {
  return ComBoundary(kSource<&IID_IConnectionPoint>, [&]() -> HRESULT {
    if (ppEnum == nullptr) return E_POINTER;
    *ppEnum = nullptr;
    std::vector<ConnectionItems::Held> items;
    items.reserve(sinks_.size());
    for (const Sink& sink : sinks_) items.push_back({sink.sink, sink.cookie});
    *ppEnum = MakeComObject<ConnectionEnumerator>(std::move(items)).Detach();
    return S_OK;
  });
}

void ConnectionPoint::ForEachSink(const std::function<void(IUnknown*)>& call) {
  const std::vector<Sink> sinks = sinks_;  // a snapshot: the list may change during the calls
  for (const Sink& sink : sinks) call(sink.sink.Get());
}

HRESULT CreateConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out) {
  return ComBoundary(kSource<&IID_IConnectionPointContainer>, [&]() -> HRESULT {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    std::vector<ComPtr<IConnectionPoint>> items(points.begin(), points.end());
    *out = MakeComObject<ConnectionPointEnumerator>(std::move(items)).Detach();
    return S_OK;
  });
}

}  // namespace orlix
