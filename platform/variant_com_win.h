// The COM boundary of Variant: the VARIANT owner (BSTR and SAFEARRAY owners are in
// platform/unique_handle_win.h), and conversions both ways.
// Hosts hand arrays as VT_ARRAY|VT_VARIANT, often by reference (VBScript's Dim a(4, 2));
// indices are kept in the host's order (the first dimension of the script is ours too).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

#include "base/variant.h"
#include "platform/unique_handle_win.h"

namespace orlix {

// A VARIANT cleared exactly once.
class UniqueVariant {
 public:
  // The whole VARIANT is zeroed: VariantInit sets only the type, and a value stored by type
  // alone (V_VT) must not leave a stale pointer for reset() to free.
  UniqueVariant() noexcept : value_{} { ::VariantInit(&value_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  UniqueVariant(UniqueVariant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
  UniqueVariant& operator=(UniqueVariant&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = other.value_;
      ::VariantInit(&other.value_);
    }
    return *this;
  }
  ~UniqueVariant() { reset(); }
  VARIANT* get() { return &value_; }
  const VARIANT* get() const { return &value_; }
  // Hands the content over (the caller clears it); this one is left empty.
  VARIANT release() {
    VARIANT out = value_;
    ::VariantInit(&value_);
    return out;
  }
  void reset() { ::VariantClear(&value_); }

 private:
  VARIANT value_;
};

// SafeArrayLock for one scope; ok() is false when the lock was refused.
class SafeArrayLockGuard {
 public:
  explicit SafeArrayLockGuard(SAFEARRAY* array) : array_(array), ok_(array && SUCCEEDED(::SafeArrayLock(array))) {}
  SafeArrayLockGuard(const SafeArrayLockGuard&) = delete;
  SafeArrayLockGuard& operator=(const SafeArrayLockGuard&) = delete;
  ~SafeArrayLockGuard() {
    if (ok_) ::SafeArrayUnlock(array_);
  }
  bool ok() const { return ok_; }

 private:
  SAFEARRAY* array_;
  bool ok_;
};

// VARIANT -> Variant. By-reference values are read through; integers of other widths,
// VT_R4, VT_CY and VT_DECIMAL become the nearest Variant number type; arrays of any
// dimension and element type become a VariantArray with their bounds. Objects and other
// types give DISP_E_TYPEMISMATCH; *out is untouched on failure.
HRESULT VariantFromCom(const VARIANT& in, Variant* out);

// Variant -> VARIANT. *out is overwritten without being cleared (pass an empty one);
// arrays become VT_ARRAY|VT_VARIANT SAFEARRAYs with the same bounds.
HRESULT VariantToCom(const Variant& in, VARIANT* out);

}  // namespace orlix
