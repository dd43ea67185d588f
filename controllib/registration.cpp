#include "controllib/registration.h"

#include <oleauto.h>
#include <wrl/client.h>

#include "base/scope_exit.h"
#include "controllib/guids.h"
#include "platform/unique_handle_win.h"

namespace orlix {
namespace {

constexpr wchar_t kMiscStatus[] = L"131473";  // 0x20191: the control's OLEMISC flags
constexpr int kToolboxBitmap = 30000;

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring ClassKey() { return L"CLSID\\" + GuidText(kClsidReportView); }

HRESULT FromStatus(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

HRESULT WriteEntry(const RegistryEntry& entry) {
  UniqueHkey key;
  LSTATUS status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS || !entry.hasValue) return FromStatus(status);
  const DWORD bytes = static_cast<DWORD>((entry.value.size() + 1) * sizeof(wchar_t));
  status = ::RegSetValueExW(key.get(), entry.valueName.empty() ? nullptr : entry.valueName.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(entry.value.c_str()), bytes);
  return FromStatus(status);
}

HRESULT DeleteTree(const std::wstring& key) {
  const LSTATUS status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
    // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
    const LSTATUS gone = ::RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return gone == ERROR_SUCCESS || gone == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(gone);
  }
  return HRESULT_FROM_WIN32(status);
}

std::wstring ReadDefault(const std::wstring& key) {
  wchar_t buffer[64] = {};
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
  if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS) {
    return {};
  }
  return buffer;
}

bool KeyExists(const std::wstring& key) {
  UniqueHkey opened;
  return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

SYSKIND OwnSysKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

}  // namespace

std::vector<RegistryEntry> ClassRegistryEntries(const std::wstring& modulePath) {
  const std::wstring cls = ClassKey();
  const std::wstring progId = kProgIdReportViewW;
  return {
      {cls, L"", progId, true},
      {cls + L"\\InprocServer32", L"", modulePath, true},
      {cls + L"\\InprocServer32", L"ThreadingModel", L"Apartment", true},
      {cls + L"\\ProgID", L"", progId, true},
      {cls + L"\\VERSION", L"", L"1.0", true},
      {cls + L"\\TypeLib", L"", GuidText(kLibidReportView), true},
      {cls + L"\\Control", L"", L"", false},
      {cls + L"\\ToolboxBitmap32", L"", modulePath + L", " + std::to_wstring(kToolboxBitmap), true},
      {cls + L"\\MiscStatus", L"", L"0", true},
      {cls + L"\\MiscStatus\\1", L"", kMiscStatus, true},
      {progId, L"", progId, true},
      {progId + L"\\CLSID", L"", GuidText(kClsidReportView), true},
  };
}

HRESULT RegisterLibrary(const std::wstring& modulePath) {
  // A failure code or an exception half-way leaves no half registration behind.
  ScopeExit undo([]() noexcept {
    try {
      UnregisterLibrary();
    } catch (...) {
      // out of memory again: what is left is removed by the next unregistration
    }
  });
  Microsoft::WRL::ComPtr<ITypeLib> library;
  HRESULT hr = ::LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, &library);
  std::wstring path = modulePath;  // RegisterTypeLib takes a non-const path
  if (SUCCEEDED(hr)) hr = ::RegisterTypeLib(library.Get(), &path[0], nullptr);
  if (SUCCEEDED(hr)) {
    for (const RegistryEntry& entry : ClassRegistryEntries(modulePath)) {
      hr = WriteEntry(entry);
      if (FAILED(hr)) break;
    }
  }
  if (SUCCEEDED(hr)) undo.Dismiss();
  return hr;
}

HRESULT UnregisterLibrary() {
  HRESULT result = S_OK;
  const auto keep = [&result](HRESULT hr) {
    if (SUCCEEDED(result) && FAILED(hr)) result = hr;
  };
  const std::wstring progId = kProgIdReportViewW;
  if (ReadDefault(progId + L"\\CLSID") == GuidText(kClsidReportView)) keep(DeleteTree(progId));
  keep(DeleteTree(ClassKey()));
  if (KeyExists(L"TypeLib\\" + GuidText(kLibidReportView))) {
    // Also removes the Interface keys of _ReportView and __ReportView.
    keep(::UnRegisterTypeLib(kLibidReportView, 1, 0, LOCALE_NEUTRAL, OwnSysKind()));
  }
  return result;
}

}  // namespace orlix
