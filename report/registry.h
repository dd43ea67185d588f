// cRegistry: the report jobs' reader of registry texts (file classes, open commands, icons).
// Stateless over a RegistrySource; failures read as "no key" or no value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry_key.h"
#include "platform/registry_source.h"

namespace orlix {

class cRegistry {
 public:
  // The value buffer: a string value keeps at most 253 characters and its terminator.
  static constexpr std::uint32_t kValueBufferBytes = 254;

  explicit cRegistry(RegistrySource& source) : source_(source) {}

  // Opens hKey\strSubKey for reading; 0 when it cannot be opened. The caller closes it with
  // CloseKey; OpenKey gives the same key closed by its owner.
  RegKey GetKey(RegKey hKey, const std::string& strSubKey) const;
  ScopedRegKey OpenKey(RegKey hKey, const std::string& strSubKey) const;

  // The text of a value (empty name: the key's default value) up to its first NUL; none when it
  // cannot be read, including values too long for the buffer, and when the buffer holds no NUL
  // (254 bytes without terminator, or unterminated data of a non-string type). The value's type
  // plays no part otherwise.
  std::optional<std::string> GetValue(RegKey hKey, const std::string& strName) const;

  // True when the key was closed.
  bool CloseKey(RegKey hKey) const;

 private:
  RegistrySource& source_;
};

}  // namespace orlix
