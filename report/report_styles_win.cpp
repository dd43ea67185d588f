// The built-in report style store, read from the resources of the module holding this code:
// the program itself, or the control library when the reporting component lives there.
#include <windows.h>

#include <stdexcept>
#include <system_error>

#include "platform/ansi_win.h"
#include "report/report_styles.h"

namespace orlix {

namespace {

constexpr WORD kStoreLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 1033

[[noreturn]] void ThrowStoreError(const char* step) {
  const DWORD error = GetLastError();
  throw std::system_error(static_cast<int>(error), std::system_category(),
                          std::string("the report style store (resource CUSTOM/REPORTFORMATS) cannot be read: ") + step);
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&ThisModule), &module)) {
    ThrowStoreError("GetModuleHandleEx");
  }
  return module;
}

}  // namespace

std::string LoadBuiltInFormatBytes() {
  const HMODULE module = ThisModule();
  HRSRC found = FindResourceExA(module, "CUSTOM", "REPORTFORMATS", kStoreLanguage);
  // A build that compiled the store under another language still carries it.
  if (!found) found = FindResourceA(module, "REPORTFORMATS", "CUSTOM");
  if (!found) ThrowStoreError("FindResource");
  // Resource memory belongs to the mapped module: nothing to free.
  const HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) ThrowStoreError("LoadResource");
  const void* bytes = LockResource(loaded);
  if (!bytes) ThrowStoreError("LockResource");
  return std::string(static_cast<const char*>(bytes), SizeofResource(module, found));
}

std::string LoadBuiltInFormats() { return AnsiToUtf8(LoadBuiltInFormatBytes()); }

}  // namespace orlix
