// The live Windows registry behind RegistrySource, through the narrow ("A") functions so that
// names and values pass through the ANSI code page exactly as the scan expects.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/registry_source.h"
#include "platform/unique_handle_win.h"

namespace orlix {

class Win32Registry : public RegistrySource {
 public:
  // Uses `root` as the class root without owning it (a predefined key such as
  // HKEY_CLASSES_ROOT, or a key the caller keeps open for as long as this object lives).
  explicit Win32Registry(HKEY root = HKEY_CLASSES_ROOT);
  // Takes ownership of an opened key (e.g. a private subtree standing in for the class root).
  explicit Win32Registry(UniqueHkey ownedRoot);
  // As above, every key opened in the registry view `view` (KEY_WOW64_32KEY or KEY_WOW64_64KEY;
  // 0 is the program's own).
  Win32Registry(HKEY root, REGSAM view);
  Win32Registry(UniqueHkey ownedRoot, REGSAM view);

  // Opens base\path with KEY_READ and uses it as the class root; the status of the open
  // is left in *status when given. Returns null when the key cannot be opened.
  static std::unique_ptr<Win32Registry> OpenSubtree(HKEY base, const std::string& path, long* status = nullptr);
  // The same in a registry view, which every key opened below it keeps.
  static std::unique_ptr<Win32Registry> OpenSubtree(HKEY base, const std::string& path, REGSAM view, long* status);

  RegKey Root() const override;
  long OpenKey(RegKey parent, std::string_view path, RegKey* opened) override;
  long EnumKey(RegKey key, std::uint32_t index, std::size_t bufferChars, std::string* name) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                  std::uint32_t* size) override;
  // Closing the class root is a no-op: it belongs to whoever gave it (or to this object).
  long CloseKey(RegKey key) override;

 private:
  HKEY root_;
  UniqueHkey owned_;
  REGSAM view_ = 0;
};

}  // namespace orlix
