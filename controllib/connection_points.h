// Connection points of the control: one per outgoing interface, each a list of advised sinks.
// The container owns the points and hands out references to them; a point's references are the
// container's, so a point keeps its container alive while a host holds it.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <functional>
#include <vector>

#include "controllib/com_object.h"

namespace orlix {

class ConnectionPoint final : public ComObject<ConnectionPoint, IConnectionPoint> {
 public:
  ConnectionPoint(IConnectionPointContainer* container, const IID& iid) noexcept;
  static InterfaceTable<ConnectionPoint> Interfaces() noexcept;

  // IConnectionPoint
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* piid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override;

  [[nodiscard]] const IID& Iid() const noexcept { return iid_; }
  // Calls `call` with every advised sink, in the order of advising; failures are ignored. A sink
  // may unadvise, or release the container, from inside the call.
  void ForEachSink(const std::function<void(IUnknown*)>& call);
  void UnadviseAll() noexcept { sinks_.clear(); }

 private:
  struct Sink {
    DWORD cookie;
    Microsoft::WRL::ComPtr<IUnknown> sink;
  };
  IConnectionPointContainer* container_;  // the owner
  IID iid_;
  DWORD nextCookie_ = 1;
  std::vector<Sink> sinks_;
};

// IEnumConnectionPoints over a fixed list of points.
HRESULT CreateConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out);

}  // namespace orlix
