#include "platform/variant_com_win.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/ansi_win.h"

namespace orlix {
namespace {

constexpr int kMaxNesting = 16;  // arrays inside array cells

Variant FromWide(const wchar_t* text, UINT length) {
  if (!text || length == 0) return Variant::FromText(std::string());
  return Variant::FromText(WideToUtf8(std::wstring(text, length)));
}

Variant FromInteger(long long value) {
  if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max())
    return Variant::FromInt32(static_cast<std::int32_t>(value));
  return Variant::FromDouble(static_cast<double>(value));
}

// A float shown as the host wrote it (1.1, not 1.10000002384186).
double SingleToDouble(float value) {
  if (!std::isfinite(value)) return value;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(value));
  return std::strtod(buffer, nullptr);
}

std::size_t ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_BSTR: return sizeof(BSTR);
    case VT_R8: case VT_DATE: case VT_CY: case VT_I8: case VT_UI8: return 8;
    case VT_DECIMAL: return sizeof(DECIMAL);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return 0;
  }
}

HRESULT FromCom(const VARIANT& in, Variant* out, int depth);

HRESULT ArrayFromCom(SAFEARRAY* array, VARTYPE elementType, Variant* out, int depth) {
  if (!array) {
    *out = Variant::Null();
    return S_OK;
  }
  if (depth > kMaxNesting) return DISP_E_TYPEMISMATCH;
  if (elementType == VT_EMPTY) {
    if (FAILED(::SafeArrayGetVartype(array, &elementType))) return DISP_E_TYPEMISMATCH;
  }
  const std::size_t size = ElementSize(elementType);
  if (size == 0 || size != ::SafeArrayGetElemsize(array)) return DISP_E_TYPEMISMATCH;
  const UINT dims = ::SafeArrayGetDim(array);
  if (dims == 0) return DISP_E_TYPEMISMATCH;
  std::vector<VariantArray::Bound> bounds(dims);
  for (UINT d = 0; d < dims; ++d) {
    LONG lower = 0, upper = -1;
    if (FAILED(::SafeArrayGetLBound(array, d + 1, &lower)) || FAILED(::SafeArrayGetUBound(array, d + 1, &upper)))
      return DISP_E_TYPEMISMATCH;
    bounds[d] = {static_cast<std::int32_t>(lower), static_cast<std::int32_t>(upper)};
  }
  auto result = std::make_shared<VariantArray>(bounds);
  SafeArrayLockGuard lock(array);
  if (!lock.ok()) return E_UNEXPECTED;
  if (result->CellCount() > 0) {
    std::vector<LONG> index(dims);
    std::vector<std::int32_t> ours(dims);
    for (UINT d = 0; d < dims; ++d) index[d] = bounds[d].lower;
    for (;;) {
      void* element = nullptr;
      HRESULT hr = ::SafeArrayPtrOfIndex(array, index.data(), &element);
      if (FAILED(hr)) return hr;
      for (UINT d = 0; d < dims; ++d) ours[d] = static_cast<std::int32_t>(index[d]);
      Variant& cell = result->At(ours);
      if (elementType == VT_VARIANT) {
        hr = FromCom(*static_cast<const VARIANT*>(element), &cell, depth + 1);
      } else {
        // A read-only view of the element as a VARIANT; it owns nothing and is never cleared.
        VARIANT view;
        std::memset(&view, 0, sizeof view);
        if (elementType == VT_DECIMAL) std::memcpy(&view.decVal, element, size);
        else std::memcpy(&V_UI1(&view), element, size);
        V_VT(&view) = elementType;
        hr = FromCom(view, &cell, depth + 1);
      }
      if (FAILED(hr)) return hr;
      // Next index, first dimension fastest.
      UINT d = 0;
      for (; d < dims; ++d) {
        if (index[d] < bounds[d].upper) {
          ++index[d];
          break;
        }
        index[d] = bounds[d].lower;
      }
      if (d == dims) break;
    }
  }
  *out = Variant::FromArray(std::move(result));
  return S_OK;
}

HRESULT FromCom(const VARIANT& in, Variant* out, int depth) {
  const VARTYPE vt = V_VT(&in);
  if (vt & VT_BYREF) {
    if (!V_BYREF(&in)) return E_POINTER;
    if (vt == (VT_BYREF | VT_VARIANT)) {
      if (depth > kMaxNesting) return DISP_E_TYPEMISMATCH;
      return FromCom(*V_VARIANTREF(&in), out, depth + 1);
    }
    if (vt & VT_ARRAY) return ArrayFromCom(*V_ARRAYREF(&in), static_cast<VARTYPE>(vt & VT_TYPEMASK), out, depth);
    UniqueVariant value;
    const HRESULT hr = ::VariantCopyInd(value.get(), const_cast<VARIANT*>(&in));
    if (FAILED(hr)) return hr;
    return FromCom(*value.get(), out, depth + 1);
  }
  if (vt & VT_ARRAY) return ArrayFromCom(V_ARRAY(&in), static_cast<VARTYPE>(vt & VT_TYPEMASK), out, depth);
  switch (vt) {
    case VT_EMPTY: *out = Variant(); return S_OK;
    case VT_NULL: *out = Variant::Null(); return S_OK;
    case VT_I2: *out = Variant::FromInt16(V_I2(&in)); return S_OK;
    case VT_I4: *out = Variant::FromInt32(V_I4(&in)); return S_OK;
    case VT_INT: *out = Variant::FromInt32(V_INT(&in)); return S_OK;
    case VT_I1: *out = Variant::FromInt16(V_I1(&in)); return S_OK;
    case VT_UI1: *out = Variant::FromInt16(V_UI1(&in)); return S_OK;
    case VT_UI2: *out = Variant::FromInt32(V_UI2(&in)); return S_OK;
    case VT_UI4: *out = FromInteger(V_UI4(&in)); return S_OK;
    case VT_UINT: *out = FromInteger(V_UINT(&in)); return S_OK;
    case VT_I8: *out = FromInteger(V_I8(&in)); return S_OK;
    case VT_UI8:
      *out = V_UI8(&in) > static_cast<ULONGLONG>(std::numeric_limits<std::int32_t>::max())
                 ? Variant::FromDouble(static_cast<double>(V_UI8(&in)))
                 : Variant::FromInt32(static_cast<std::int32_t>(V_UI8(&in)));
      return S_OK;
    case VT_R4: *out = Variant::FromDouble(SingleToDouble(V_R4(&in))); return S_OK;
    case VT_R8: *out = Variant::FromDouble(V_R8(&in)); return S_OK;
    case VT_CY: *out = Variant::FromDouble(static_cast<double>(V_CY(&in).int64) / 10000.0); return S_OK;
    case VT_DECIMAL: {
      double value = 0;
      DECIMAL copy = V_DECIMAL(&in);
      const HRESULT hr = ::VarR8FromDec(&copy, &value);
      if (FAILED(hr)) return hr;
      *out = Variant::FromDouble(value);
      return S_OK;
    }
    case VT_DATE: *out = Variant::FromDate(V_DATE(&in)); return S_OK;
    case VT_BOOL: *out = Variant::FromBool(V_BOOL(&in) != VARIANT_FALSE); return S_OK;
    case VT_BSTR: *out = FromWide(V_BSTR(&in), V_BSTR(&in) ? ::SysStringLen(V_BSTR(&in)) : 0); return S_OK;
    case VT_ERROR:
      // An omitted optional argument reads as no value.
      if (V_ERROR(&in) == DISP_E_PARAMNOTFOUND) {
        *out = Variant();
        return S_OK;
      }
      return DISP_E_TYPEMISMATCH;
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

}  // namespace

HRESULT VariantFromCom(const VARIANT& in, Variant* out) {
  if (!out) return E_POINTER;
  try {
    Variant result;
    const HRESULT hr = FromCom(in, &result, 0);
    if (SUCCEEDED(hr)) *out = std::move(result);
    return hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception&) {
    return E_FAIL;
  }
}

HRESULT VariantToCom(const Variant& in, VARIANT* out) {
  if (!out) return E_POINTER;
  try {
    UniqueVariant result;
    VARIANT* v = result.get();
    switch (in.Type()) {
      case VariantType::Empty: break;
      case VariantType::Null: V_VT(v) = VT_NULL; break;
      case VariantType::Int16:
        V_VT(v) = VT_I2;
        V_I2(v) = static_cast<SHORT>(in.Integer());
        break;
      case VariantType::Int32:
        V_VT(v) = VT_I4;
        V_I4(v) = in.Integer();
        break;
      case VariantType::Double:
        V_VT(v) = VT_R8;
        V_R8(v) = in.Number();
        break;
      case VariantType::Date:
        V_VT(v) = VT_DATE;
        V_DATE(v) = in.Date();
        break;
      case VariantType::Bool:
        V_VT(v) = VT_BOOL;
        V_BOOL(v) = in.Bool() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case VariantType::Text: {
        const std::wstring wide = Utf8ToWide(std::string(in.Text()));
        BSTR text = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        if (!text) return E_OUTOFMEMORY;
        V_VT(v) = VT_BSTR;
        V_BSTR(v) = text;
        break;
      }
      case VariantType::Array: {
        const VariantArray& array = in.Array();
        const int dims = array.Dimensions();
        if (dims <= 0) return DISP_E_TYPEMISMATCH;
        std::vector<SAFEARRAYBOUND> bounds(static_cast<std::size_t>(dims));
        for (int d = 0; d < dims; ++d) {
          const VariantArray::Bound& b = array.DimensionBound(d);
          bounds[static_cast<std::size_t>(d)].lLbound = b.lower;
          bounds[static_cast<std::size_t>(d)].cElements = static_cast<ULONG>(b.Count());
        }
        UniqueSafeArray created(::SafeArrayCreate(VT_VARIANT, static_cast<UINT>(dims), bounds.data()));
        if (!created.get()) return E_OUTOFMEMORY;
        if (array.CellCount() > 0) {
          SafeArrayLockGuard lock(created.get());
          if (!lock.ok()) return E_UNEXPECTED;
          std::vector<LONG> index(static_cast<std::size_t>(dims));
          std::vector<std::int32_t> ours(static_cast<std::size_t>(dims));
          for (int d = 0; d < dims; ++d) index[static_cast<std::size_t>(d)] = array.DimensionBound(d).lower;
          for (;;) {
            void* element = nullptr;
            HRESULT hr = ::SafeArrayPtrOfIndex(created.get(), index.data(), &element);
            if (FAILED(hr)) return hr;
            for (int d = 0; d < dims; ++d) ours[static_cast<std::size_t>(d)] = index[static_cast<std::size_t>(d)];
            // The element is an empty VARIANT that the array owns and clears on destruction.
            hr = VariantToCom(array.At(ours), static_cast<VARIANT*>(element));
            if (FAILED(hr)) return hr;
            int d = 0;
            for (; d < dims; ++d) {
              const auto i = static_cast<std::size_t>(d);
              if (index[i] < array.DimensionBound(d).upper) {
                ++index[i];
                break;
              }
              index[i] = array.DimensionBound(d).lower;
            }
            if (d == dims) break;
          }
        }
        V_VT(v) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(v) = created.release();
        break;
      }
    }
    *out = result.release();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception&) {
    return E_FAIL;
  }
}

}  // namespace orlix
