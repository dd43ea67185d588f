// The 32-bit view of a 64-bit class root read from files. Such a system keeps its 32-bit class
// registrations under Wow6432Node; the names under the class root (ProgIDs, file types) are
// shared by both views, as on 64-bit Windows since Windows 7.
#pragma once

#include <string>

#include "platform/registry_source.h"

namespace orlix {

class Wow64ClassView : public RegistrySource {
 public:
  explicit Wow64ClassView(RegistrySource& classRoot) : inner_(classRoot) {}

  RegKey Root() const override { return inner_.Root(); }
  long OpenKey(RegKey parent, const std::string& path, RegKey* opened) override;
  long EnumKey(RegKey key, std::uint32_t index, std::size_t bufferChars, std::string* name) override {
    return inner_.EnumKey(key, index, bufferChars, name);
  }
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                  std::uint32_t* size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  long CloseKey(RegKey key) override { return inner_.CloseKey(key); }

 private:
  RegistrySource& inner_;
};

// True when the class root has a 32-bit view of its own (a Wow6432Node key).
bool HasWow64Node(RegistrySource& classRoot);

}  // namespace orlix
