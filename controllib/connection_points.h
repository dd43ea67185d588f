// Connection points of the control: one per outgoing interface, each a list of advised sinks.
// The container owns the points and hands out references to them; a point keeps its container
// alive while a host holds it.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <atomic>
#include <functional>
#include <vector>

namespace orlix {

class ConnectionPoint final : public IConnectionPoint {
 public:
  ConnectionPoint(IConnectionPointContainer* container, const IID& iid);

  // IUnknown: references go to the container.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IConnectionPoint
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* piid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override;

  const IID& Iid() const { return iid_; }
  // Calls `call` with every advised sink, in the order of advising; failures are ignored.
  void ForEachSink(const std::function<void(IUnknown*)>& call);
  void UnadviseAll() { sinks_.clear(); }

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

// IEnumConnectionPoints over a fixed list of points (each enumerated point is AddRef'ed).
HRESULT CreateConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out);

}  // namespace orlix
