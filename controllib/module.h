// The library as a whole: its module handle, and the count of live objects and locks that
// DllCanUnloadNow reads.
#pragma once

#include <windows.h>

#include <string>

namespace orlix {

HMODULE ModuleHandle();
std::wstring ModulePath();  // the library's own file, as the loader found it

void ModuleAddRef() noexcept;   // an object or a class factory came alive, or LockServer(TRUE)
void ModuleRelease() noexcept;  // one of those went away
[[nodiscard]] long ModuleCount() noexcept;

// Counts one object of the library for as long as it lives.
class ModuleReference {
 public:
  ModuleReference() noexcept { ModuleAddRef(); }
  ~ModuleReference() { ModuleRelease(); }
  ModuleReference(const ModuleReference&) = delete;
  ModuleReference& operator=(const ModuleReference&) = delete;
};

}  // namespace orlix
