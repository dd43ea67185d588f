// The 32-bit view of a 64-bit class root read from files, kept under its Wow6432Node key.
// Wine and Windows keep it differently: Wine redirects the whole class root there (a 64-bit
// prefix's 32-bit programs see only what Wow6432Node holds), Windows since Windows 7 only the
// class registrations (CLSID and a few others), the names under the class root being shared.
#pragma once

#include <string>

#include "platform/registry_key.h"
#include "platform/registry_source.h"

namespace orlix {

enum class Wow64Layout { kWine, kWindows };

class Wow64ClassView : public RegistrySource {
 public:
  Wow64ClassView(RegistrySource& classRoot, Wow64Layout layout);

  RegKey Root() const override { return inner_.Root(); }
  long OpenKey(RegKey parent, std::string_view path, RegKey* opened) override;
  long EnumKey(RegKey key, std::uint32_t index, std::size_t bufferChars, std::string* name) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                  std::uint32_t* size) override;
  long CloseKey(RegKey key) override { return inner_.CloseKey(key); }

 private:
  // The key that stands for the class root in this view.
  RegKey Mapped(RegKey key) const;

  RegistrySource& inner_;
  Wow64Layout layout_;
  ScopedRegKey node_;  // Wow6432Node
};

// True when the class root has a 32-bit view of its own (a Wow6432Node key).
bool HasWow64Node(RegistrySource& classRoot);

}  // namespace orlix
