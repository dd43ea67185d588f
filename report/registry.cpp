#include "report/registry.h"

namespace orlix {

RegKey cRegistry::GetKey(RegKey hKey, const std::string& strSubKey) const {
  RegKey opened = 0;
  if (source_.OpenKey(hKey, strSubKey, &opened) != reg_status::kSuccess) return 0;
  return opened;
}

ScopedRegKey cRegistry::OpenKey(RegKey hKey, const std::string& strSubKey) const {
  return ScopedRegKey(source_, hKey, strSubKey);
}

std::optional<std::string> cRegistry::GetValue(RegKey hKey, const std::string& strName) const {
  std::uint32_t type = reg_type::kSz;
  std::uint32_t size = kValueBufferBytes;
  std::string data;
  if (source_.QueryValue(hKey, strName, &type, &data, &size) != reg_status::kSuccess) return std::nullopt;
  const std::size_t nul = data.find('\0');
  if (nul == std::string::npos) {
    // The narrow API adds the terminator that a string value was stored without whenever the
    // buffer has room for it; only other types, or a buffer filled to the last byte, stay open.
    const bool stringType = type == reg_type::kSz || type == reg_type::kExpandSz || type == reg_type::kMultiSz;
    if (stringType && size < kValueBufferBytes) return data;
    return std::nullopt;
  }
  return data.substr(0, nul);
}

bool cRegistry::CloseKey(RegKey hKey) const { return source_.CloseKey(hKey) == reg_status::kSuccess; }

}  // namespace orlix
