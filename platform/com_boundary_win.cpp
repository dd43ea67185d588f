#include "platform/com_boundary_win.h"

#include <wrl/client.h>

#include "platform/ansi_win.h"

namespace orlix {

HRESULT ReportComError(const ComErrorSource& where, HRESULT code, const char* utf8Description) noexcept {
  try {
    Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
    if (FAILED(::CreateErrorInfo(&create))) return code;
    const std::wstring description = Utf8ToWide(utf8Description ? utf8Description : "");
    create->SetGUID(where.iid ? *where.iid : GUID_NULL);
    create->SetSource(const_cast<LPOLESTR>(where.source ? where.source : L""));
    create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) ::SetErrorInfo(0, info.Get());
  } catch (...) {
    // Out of memory while describing the error: the code alone still reaches the caller.
  }
  return code;
}

}  // namespace orlix
