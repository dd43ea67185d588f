// The registry-reading seam: the few calls that the component scan and cRegistry make,
// with the Windows registry's own semantics (status codes, buffer sizes, enumeration order).
// Implemented by the live registry (Windows) and by class-root stores read from files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orlix {

// An open key; 0 is no key. Root() gives the class root, which callers never close.
using RegKey = std::uintptr_t;

// Status codes as the Windows registry returns them.
namespace reg_status {
constexpr long kSuccess = 0;           // ERROR_SUCCESS
constexpr long kFileNotFound = 2;      // ERROR_FILE_NOT_FOUND
constexpr long kAccessDenied = 5;      // ERROR_ACCESS_DENIED
constexpr long kInvalidHandle = 6;     // ERROR_INVALID_HANDLE
constexpr long kInvalidParameter = 87; // ERROR_INVALID_PARAMETER
constexpr long kMoreData = 234;        // ERROR_MORE_DATA
constexpr long kNoMoreItems = 259;     // ERROR_NO_MORE_ITEMS
}  // namespace reg_status

// Value types as the registry stores them.
namespace reg_type {
constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kSz = 1;
constexpr std::uint32_t kExpandSz = 2;
constexpr std::uint32_t kBinary = 3;
constexpr std::uint32_t kDword = 4;
constexpr std::uint32_t kMultiSz = 7;
constexpr std::uint32_t kQword = 11;
}  // namespace reg_type

class RegistrySource {
 public:
  virtual ~RegistrySource() = default;

  // The class root (HKEY_CLASSES_ROOT on the live registry).
  virtual RegKey Root() const = 0;

  // RegOpenKeyExA(parent, path, 0, KEY_READ): path is relative to parent, backslash-separated,
  // matched without regard to case; an empty path opens parent again.
  virtual long OpenKey(RegKey parent, std::string_view path, RegKey* opened) = 0;

  // RegEnumKeyA(key, index, buffer, bufferChars): the name of the index-th subkey in the
  // registry's order; a name that needs more than bufferChars (with its terminator) fails.
  virtual long EnumKey(RegKey key, std::uint32_t index, std::size_t bufferChars, std::string* name) = 0;

  // RegQueryValueExA(key, name, 0, &type, buffer, &size): empty name is the default value.
  // On entry *size is the buffer's size in bytes. Sizes and limits are those of the narrow API
  // (ANSI bytes, string values with their terminating null); on success *size is that byte count
  // and *data the bytes as the narrow API gives them, string types converted from the ANSI code
  // page to UTF-8 (terminator kept). A value larger than the buffer gives kMoreData with *size set
  // to the size needed and *data left empty.
  virtual long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                          std::uint32_t* size) = 0;

  // RegCloseKey.
  virtual long CloseKey(RegKey key) = 0;
};

}  // namespace orlix
