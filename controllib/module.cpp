// The library's entry point and its four exports (rvxReportView.def gives them ordinals 1 to 4).
#include "controllib/module.h"

#include <olectl.h>

#include <atomic>
#include <iterator>

#include "controllib/class_factory.h"
#include "controllib/guids.h"
#include "controllib/registration.h"
#include "controllib/report_view_control.h"
#include "platform/com_boundary_win.h"

namespace orlix {
namespace {

HMODULE gModule = nullptr;
std::atomic<long> gCount{0};

const CreatableClass kClasses[] = {
    {&kClsidReportView, &CreateReportViewControl},
};

}  // namespace

HMODULE ModuleHandle() { return gModule; }

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(gModule, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void ModuleAddRef() noexcept { ++gCount; }
void ModuleRelease() noexcept { --gCount; }
long ModuleCount() noexcept { return gCount.load(); }

}  // namespace orlix

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    orlix::gModule = instance;
    ::DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded while the process goes on: window classes outlive a library unless it removes
    // them, and a later load would find the grid's class pointing into freed code.
    ::UnregisterClassA("OrlixReportView", instance);
  }
  return TRUE;
}

namespace orlix {
namespace {

constexpr ComErrorSource kModuleSource{kProgIdReportViewW, nullptr};

}  // namespace
}  // namespace orlix

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return orlix::ComBoundary(orlix::kModuleSource, []() -> HRESULT { return orlix::ModuleCount() == 0 ? S_OK : S_FALSE; });
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  return orlix::ComBoundary(orlix::kModuleSource, [&]() -> HRESULT {
    return orlix::GetClassObjectFromTable(orlix::kClasses, std::size(orlix::kClasses), rclsid, riid, ppv);
  });
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return orlix::ComBoundary(orlix::kModuleSource, []() -> HRESULT {
    const std::wstring path = orlix::ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    return orlix::RegisterLibrary(path);
  });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return orlix::ComBoundary(orlix::kModuleSource, [] { return orlix::UnregisterLibrary(); });
}
