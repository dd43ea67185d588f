// The creatable classes of the library, and the one class factory that serves them all.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace orlix {

using CreateInstanceFunction = HRESULT (*)(REFIID riid, void** ppv);

struct CreatableClass {
  const CLSID* clsid;
  CreateInstanceFunction create;
};

// CLASS_E_CLASSNOTAVAILABLE for a CLSID that is not in the table.
HRESULT GetClassObjectFromTable(const CreatableClass* table, size_t count, REFCLSID rclsid, REFIID riid, void** ppv);

}  // namespace orlix
