// The one place where C++ exceptions meet what Windows calls. Every COM-callable function runs
// its body through ComBoundary: success is S_OK (or the HRESULT the body returns), any exception
// becomes a failure code with an IErrorInfo (source, UTF-16 description, interface) set for the
// caller. Every window and dialog procedure runs through WindowBoundary. Nothing thrown ever
// leaves either.
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
  [[nodiscard]] HRESULT code() const noexcept { return code_; }

 private:
  HRESULT code_;
};

// Throws ComError(hr, what) when hr is a failure code.
inline void ThrowIfFailed(HRESULT hr, const char* what) {
  if (FAILED(hr)) throw ComError(hr, what);
}

// A pointer argument that must not be null: ComError(E_POINTER) when it is.
template <typename T>
T* Required(T* pointer) {
  if (pointer == nullptr) throw ComError(E_POINTER, "A required pointer argument is null");
  return pointer;
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
[[nodiscard]] HRESULT ComBoundary(const ComErrorSource& where, Body&& body) noexcept {
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

// Runs a window or dialog procedure's `body`; an exception becomes `failed`, the answer that
// makes Windows carry on without the message (0, FALSE, or -1 for a WM_CREATE that must fail).
// What the body changed before it threw is its own to put right.
template <typename Result, typename Body>
[[nodiscard]] Result WindowBoundary(Result failed, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failed;
  }
}

}  // namespace orlix
