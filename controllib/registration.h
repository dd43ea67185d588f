// What DllRegisterServer writes and DllUnregisterServer removes, as data: the class keys below
// HKEY_CLASSES_ROOT, and the type library (which registers the two interfaces for marshalling).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace orlix {

struct RegistryEntry {
  std::wstring key;        // below HKEY_CLASSES_ROOT
  std::wstring valueName;  // empty: the key's default value
  std::wstring value;      // REG_SZ
  bool hasValue;           // false: the key alone (a mark such as "Control")
};

// The class registration of ReportView for the library at `modulePath`.
std::vector<RegistryEntry> ClassRegistryEntries(const std::wstring& modulePath);

// Both return S_OK or the first failure code. Registering twice is harmless; unregistering
// removes only this library's keys (a ProgID taken over by another class is left alone) and
// counts keys that are already gone as removed.
HRESULT RegisterLibrary(const std::wstring& modulePath);
HRESULT UnregisterLibrary();

}  // namespace orlix
