// The one IUnknown of the library's objects: QueryInterface from the class's interface table, an
// atomic reference count, and a count on the module for as long as the object lives. An object
// that is part of another (a connection point inside the control) passes its owner, and its
// references are the owner's.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

#include <atomic>
#include <cstddef>
#include <utility>

#include "controllib/module.h"

namespace orlix {

template <typename Derived>
struct InterfaceEntry {
  const IID* iid;
  IUnknown* (*cast)(Derived*);
};

// The entry for Interface; the first entry of a table also answers IID_IUnknown.
template <typename Interface, typename Derived>
IUnknown* AsInterface(Derived* object) noexcept {
  return static_cast<Interface*>(object);
}

template <typename Derived>
struct InterfaceTable {
  const InterfaceEntry<Derived>* entries;
  std::size_t count;
};

// Derived provides `static InterfaceTable<Derived> Interfaces() noexcept`.
template <typename Derived, typename... Implemented>
class ComObject : public Implemented... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    const InterfaceTable<Derived> table = Derived::Interfaces();
    for (std::size_t i = 0; i < table.count; ++i) {
      if (IsEqualIID(riid, *table.entries[i].iid) || (i == 0 && IsEqualIID(riid, IID_IUnknown))) {
        IUnknown* found = table.entries[i].cast(static_cast<Derived*>(this));
        found->AddRef();
        *ppv = found;
        return S_OK;
      }
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return owner_ ? owner_->AddRef() : ++references_; }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    if (owner_) return owner_->Release();
    const ULONG left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 protected:
  // A new object holds one reference, its creator's (see MakeComObject).
  explicit ComObject(IUnknown* owner = nullptr) noexcept : owner_(owner) {}
  virtual ~ComObject() = default;

 private:
  IUnknown* owner_;  // not counted: the owner holds this object
  std::atomic<ULONG> references_{1};
  ModuleReference module_;
};

// A new object owned by the returned pointer; throws what its constructor or new throws, and an
// object that could not be built leaves no count behind.
template <typename T, typename... Args>
Microsoft::WRL::ComPtr<T> MakeComObject(Args&&... args) {
  Microsoft::WRL::ComPtr<T> object;
  // The new object's one reference goes to `object` (not through Attach, which in MinGW's
  // WRL adds a reference of its own).
  *object.GetAddressOf() = new T(std::forward<Args>(args)...);
  return object;
}

}  // namespace orlix
