#include "controllib/class_factory.h"

#include "controllib/com_object.h"
#include "controllib/guids.h"
#include "platform/com_boundary_win.h"

namespace orlix {
namespace {

constexpr ComErrorSource kFactorySource{kProgIdReportViewW, &IID_IClassFactory};

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  explicit ClassFactory(CreateInstanceFunction create) noexcept : create_(create) {}

  static InterfaceTable<ClassFactory> Interfaces() noexcept {
    static const InterfaceEntry<ClassFactory> entries[] = {{&IID_IClassFactory, &AsInterface<IClassFactory, ClassFactory>}};
    return {entries, 1};
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    return ComBoundary(kFactorySource, [&]() -> HRESULT {
      if (ppv == nullptr) return E_POINTER;
      *ppv = nullptr;
      if (outer != nullptr) return CLASS_E_NOAGGREGATION;
      return create_(riid, ppv);
    });
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    return ComBoundary(kFactorySource, [&] {
      if (lock) {
        ModuleAddRef();
      } else {
        ModuleRelease();
      }
    });
  }

 private:
  CreateInstanceFunction create_;
};

}  // namespace

HRESULT GetClassObjectFromTable(const CreatableClass* table, size_t count, REFCLSID rclsid, REFIID riid, void** ppv) {
  return ComBoundary(kFactorySource, [&]() -> HRESULT {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    for (size_t i = 0; i < count; ++i) {
      if (IsEqualCLSID(rclsid, *table[i].clsid)) return MakeComObject<ClassFactory>(table[i].create)->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
  });
}

}  // namespace orlix
