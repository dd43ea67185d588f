#include "controllib/property_stores.h"

#include <cstdint>
#include <vector>

#include "platform/ansi_win.h"
#include "platform/com_boundary_win.h"
#include "platform/variant_com_win.h"

namespace orlix {
namespace {

// Stream layout: the tag, the count of values, then per value its name and its text, each as a
// 32-bit count of UTF-16 units followed by the units.
constexpr std::uint32_t kStreamTag = 0x31565652;  // "RVV1"
constexpr std::uint32_t kMaxValues = 64;
constexpr std::uint32_t kMaxUnits = 16 * 1024 * 1024;

void ReadExactly(IStream* stream, void* data, ULONG bytes) {
  ULONG read = 0;
  ThrowIfFailed(stream->Read(data, bytes, &read), "The control's saved properties cannot be read");
  if (read != bytes) throw ComError(STG_E_READFAULT, "The control's saved properties are incomplete");
}

void WriteExactly(IStream* stream, const void* data, ULONG bytes) {
  ULONG written = 0;
  ThrowIfFailed(stream->Write(data, bytes, &written), "The control's properties cannot be saved");
  if (written != bytes) throw ComError(STG_E_WRITEFAULT, "The control's properties cannot be saved");
}

std::string ReadText(IStream* stream) {
  std::uint32_t units = 0;
  ReadExactly(stream, &units, sizeof(units));
  if (units > kMaxUnits) throw ComError(STG_E_READFAULT, "The control's saved properties are damaged");
  std::wstring text(units, L'\0');
  if (units > 0) ReadExactly(stream, &text[0], static_cast<ULONG>(units * sizeof(wchar_t)));
  return WideToUtf8(text);
}

void WriteText(IStream* stream, const std::string& utf8) {
  const std::wstring text = Utf8ToWide(utf8);
  const std::uint32_t units = static_cast<std::uint32_t>(text.size());
  WriteExactly(stream, &units, sizeof(units));
  if (units > 0) WriteExactly(stream, text.data(), static_cast<ULONG>(units * sizeof(wchar_t)));
}

}  // namespace

std::string PropertyBagStore::ReadProperty(const std::string& name, const std::string& defaultValue) {
  const std::wstring wideName = Utf8ToWide(name);
  // The bag owns nothing it returns with a failure: whatever a failed Read leaves in the
  // VARIANT (the BSTR pointer of a type-only VariantInit, on Windows) is not ours to free.
  VARIANT read{};
  V_VT(&read) = VT_BSTR;
  V_BSTR(&read) = nullptr;
  const HRESULT hr = bag_->Read(wideName.c_str(), &read, log_);
  if (FAILED(hr)) return defaultValue;  // absent (E_INVALIDARG) or unreadable: the default
  UniqueVariant value;
  *value.get() = read;
  if (V_VT(value.get()) != VT_BSTR) {
    UniqueVariant text;
    if (FAILED(::VariantChangeType(text.get(), value.get(), 0, VT_BSTR))) return defaultValue;
    value = std::move(text);
  }
  const BSTR text = V_BSTR(value.get());
  return text ? WideToUtf8(std::wstring(text, ::SysStringLen(text))) : std::string();
}

void PropertyBagStore::WriteProperty(const std::string& name, const std::string& value, const std::string& defaultValue) {
  if (value == defaultValue) return;  // a bag cannot forget a value; the default is simply not written
  const std::wstring wideName = Utf8ToWide(name);
  const std::wstring wideValue = Utf8ToWide(value);
  UniqueVariant variant;
  V_VT(variant.get()) = VT_BSTR;
  V_BSTR(variant.get()) = ::SysAllocStringLen(wideValue.data(), static_cast<UINT>(wideValue.size()));
  if (V_BSTR(variant.get()) == nullptr) throw std::bad_alloc();
  ThrowIfFailed(bag_->Write(wideName.c_str(), variant.get()), "The host's property bag refused a value");
}

std::string StreamPropertyStore::ReadProperty(const std::string& name, const std::string& defaultValue) {
  const auto found = values_.find(name);
  return found == values_.end() ? defaultValue : found->second;
}

void StreamPropertyStore::WriteProperty(const std::string& name, const std::string& value, const std::string& defaultValue) {
  if (value == defaultValue) {
    values_.erase(name);
  } else {
    values_[name] = value;
  }
}

void StreamPropertyStore::Load(IStream* stream) {
  std::uint32_t header[2] = {};
  ReadExactly(stream, header, sizeof(header));
  if (header[0] != kStreamTag || header[1] > kMaxValues) {
    throw ComError(STG_E_READFAULT, "The stream holds no saved properties of this control");
  }
  std::map<std::string, std::string> values;
  for (std::uint32_t i = 0; i < header[1]; ++i) {
    std::string name = ReadText(stream);
    values[name] = ReadText(stream);
  }
  values_ = std::move(values);
}

void StreamPropertyStore::Save(IStream* stream) const {
  const std::uint32_t header[2] = {kStreamTag, static_cast<std::uint32_t>(values_.size())};
  WriteExactly(stream, header, sizeof(header));
  for (const auto& [name, value] : values_) {
    WriteText(stream, name);
    WriteText(stream, value);
  }
}

ULONGLONG StreamPropertyStore::SizeMax() const {
  ULONGLONG bytes = 8;
  for (const auto& [name, value] : values_) bytes += 8 + 2 * (name.size() + value.size());  // one UTF-16 unit at most per UTF-8 byte
  return bytes;
}

}  // namespace orlix
