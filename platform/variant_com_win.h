// The COM boundary of Variant: VARIANT, BSTR and SAFEARRAY owners, and conversions both ways.
// Hosts hand arrays as VT_ARRAY|VT_VARIANT, often by reference (VBScript's Dim a(4, 2));
// indices are kept in the host's order (the first dimension of the script is ours too).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

#include "base/variant.h"

namespace orlix {

class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(BSTR value) : value_(value) {}
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  UniqueBstr(UniqueBstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, nullptr));
    return *this;
  }
  ~UniqueBstr() { reset(); }
  BSTR get() const { return value_; }
  BSTR* put() {
    reset();
    return &value_;
  }
  BSTR release() { return std::exchange(value_, nullptr); }
  void reset(BSTR value = nullptr) {
    if (value_) ::SysFreeString(value_);
    value_ = value;
  }

 private:
  BSTR value_ = nullptr;
};

// A VARIANT cleared exactly once.
class UniqueVariant {
 public:
  UniqueVariant() { ::VariantInit(&value_); }
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

class UniqueSafeArray {
 public:
  UniqueSafeArray() = default;
  explicit UniqueSafeArray(SAFEARRAY* array) : array_(array) {}
  UniqueSafeArray(const UniqueSafeArray&) = delete;
  UniqueSafeArray& operator=(const UniqueSafeArray&) = delete;
  UniqueSafeArray(UniqueSafeArray&& other) noexcept : array_(std::exchange(other.array_, nullptr)) {}
  UniqueSafeArray& operator=(UniqueSafeArray&& other) noexcept {
    if (this != &other) reset(std::exchange(other.array_, nullptr));
    return *this;
  }
  ~UniqueSafeArray() { reset(); }
  SAFEARRAY* get() const { return array_; }
  SAFEARRAY* release() { return std::exchange(array_, nullptr); }
  void reset(SAFEARRAY* array = nullptr) {
    if (array_) ::SafeArrayDestroy(array_);
    array_ = array;
  }

 private:
  SAFEARRAY* array_ = nullptr;
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
