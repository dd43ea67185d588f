#include "platform/registry_win.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/ansi_win.h"

namespace orlix {
namespace {

constexpr std::size_t kMaxNameBuffer = 32768;

HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }
RegKey FromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

Win32Registry::Win32Registry(HKEY root) : root_(root) {}

Win32Registry::Win32Registry(UniqueHkey ownedRoot) : root_(ownedRoot.get()), owned_(std::move(ownedRoot)) {}

Win32Registry::Win32Registry(HKEY root, REGSAM view) : root_(root), view_(view) {}

Win32Registry::Win32Registry(UniqueHkey ownedRoot, REGSAM view)
    : root_(ownedRoot.get()), owned_(std::move(ownedRoot)), view_(view) {}

std::unique_ptr<Win32Registry> Win32Registry::OpenSubtree(HKEY base, const std::string& path, long* status) {
  return OpenSubtree(base, path, 0, status);
}

std::unique_ptr<Win32Registry> Win32Registry::OpenSubtree(HKEY base, const std::string& path, REGSAM view,
                                                          long* status) {
  UniqueHkey key;
  const LSTATUS result = ::RegOpenKeyExA(base, Utf8ToAnsi(std::string(path)).c_str(), 0, KEY_READ | view, key.put());
  if (status) *status = result;
  if (result != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32Registry>(std::move(key), view);
}

RegKey Win32Registry::Root() const { return FromHkey(root_); }

long Win32Registry::OpenKey(RegKey parent, std::string_view path, RegKey* opened) {
  if (opened == nullptr) return reg_status::kInvalidParameter;
  *opened = 0;
  if (parent == 0) return reg_status::kInvalidHandle;
  HKEY key = nullptr;
  const LSTATUS result = ::RegOpenKeyExA(ToHkey(parent), Utf8ToAnsi(std::string(path)).c_str(), 0, KEY_READ | view_, &key);
  if (result == ERROR_SUCCESS) *opened = FromHkey(key);
  return result;
}

long Win32Registry::EnumKey(RegKey key, std::uint32_t index, std::size_t bufferChars, std::string* name) {
  if (name == nullptr) return reg_status::kInvalidParameter;
  name->clear();
  if (key == 0) return reg_status::kInvalidHandle;
  // Key names are at most 255 characters, so a larger buffer changes nothing; one spare byte
  // keeps the copy terminated and hands the API a valid pointer even for a zero-sized request.
  const DWORD chars = static_cast<DWORD>(std::min<std::size_t>(bufferChars, kMaxNameBuffer));
  std::vector<char> buffer(static_cast<std::size_t>(chars) + 1, '\0');
  const LSTATUS result = ::RegEnumKeyA(ToHkey(key), index, buffer.data(), chars);
  if (result == ERROR_SUCCESS) *name = AnsiToUtf8(std::string(buffer.data()));
  return result;
}

long Win32Registry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                               std::uint32_t* size) {
  if (size == nullptr) return reg_status::kInvalidParameter;
  if (data) data->clear();
  if (key == 0) return reg_status::kInvalidHandle;
  DWORD valueType = REG_NONE;
  DWORD bytes = *size;
  std::vector<BYTE> buffer(static_cast<std::size_t>(bytes) + 1, 0);
  const LSTATUS result =
      ::RegQueryValueExA(ToHkey(key), name.empty() ? nullptr : Utf8ToAnsi(name).c_str(), nullptr, &valueType,
                         buffer.data(), &bytes);
  if (type) *type = valueType;
  if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) *size = bytes;
  if (result == ERROR_SUCCESS && data) {
    const std::string raw(reinterpret_cast<const char*>(buffer.data()), bytes);
    *data = IsStringType(valueType) ? AnsiToUtf8(raw) : raw;
  }
  return result;
}

long Win32Registry::CloseKey(RegKey key) {
  if (key == 0) return reg_status::kInvalidHandle;
  if (key == FromHkey(root_)) return reg_status::kSuccess;
  return ::RegCloseKey(ToHkey(key));
}

}  // namespace orlix
