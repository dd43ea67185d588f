// The library as a whole: its module handle, and the count of live objects and locks that
// DllCanUnloadNow reads.
#pragma once

#include <windows.h>

#include <string>

namespace orlix {

HMODULE ModuleHandle();
std::wstring ModulePath();  // the library's own file, as the loader found it

void ModuleAddRef();   // an object or a class factory came alive, or LockServer(TRUE)
void ModuleRelease();  // one of those went away
long ModuleCount();

// Counts one object of the library for as long as it lives.
class ModuleReference {
 public:
  ModuleReference() { ModuleAddRef(); }
  ~ModuleReference() { ModuleRelease(); }
  ModuleReference(const ModuleReference&) = delete;
  ModuleReference& operator=(const ModuleReference&) = delete;
};

}  // namespace orlix
