// The one place where C++ exceptions become COM results. Every COM method runs its body through
// ComBoundary: success is S_OK (or the HRESULT the body returns), any exception becomes a failure
// code with an IErrorInfo (source, UTF-16 description, interface) set for the caller. Nothing
// thrown ever leaves a COM method.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

namespace orlix {

// A failure that already has its COM code (a failed call into COM, a null out-pointer).
class ComError : public std::runtime_error {
 public:
  ComError(HRESULT code, const std::string& message) : std::runtime_error(message), code_(code) {}
  HRESULT code() const { return code_; }

 private:
  HRESULT code_;
};

// Throws ComError(hr, what) when hr is a failure code.
inline void ThrowIfFailed(HRESULT hr, const char* what) {
  if (FAILED(hr)) throw ComError(hr, what);
}

// Who reports through ComBoundary: the source text of the error info and the interface.
struct ComErrorSource {
  const wchar_t* source;  // e.g. the ProgID
  const IID* iid;         // the interface whose method failed
};

// Sets the thread's error info and returns `code`. Never throws.
HRESULT ReportComError(const ComErrorSource& where, HRESULT code, const char* utf8Description) noexcept;

// Runs `body` (returning void or HRESULT); see the header comment.
template <typename Body>
HRESULT ComBoundary(const ComErrorSource& where, Body&& body) noexcept {
  try {
    if constexpr (std::is_same_v<decltype(body()), HRESULT>) {
      return body();
    } else {
      body();
      return S_OK;
    }
  } catch (const ComError& e) {
    return ReportComError(where, e.code(), e.what());
  } catch (const std::bad_alloc&) {
    return ReportComError(where, E_OUTOFMEMORY, "Out of memory");
  } catch (const std::invalid_argument& e) {
    return ReportComError(where, E_INVALIDARG, e.what());
  } catch (const std::out_of_range& e) {
    return ReportComError(where, E_INVALIDARG, e.what());
  } catch (const std::exception& e) {
    return ReportComError(where, E_FAIL, e.what());
  } catch (...) {
    return ReportComError(where, E_UNEXPECTED, "Unexpected failure");
  }
}

}  // namespace orlix
