// Writes the control library's registry entries as a WiX include, for the MSI packages: runs the
// library's own registration code (RegisterLibrary, type library included) against a scratch key
// that stands in for HKEY_CLASSES_ROOT, reads back what it wrote, and puts the installer's
// references in place of the library's path. The package and regsvr32 so write the same entries.
//
//   orlix_registry_harvest OCX_PATH OUTPUT.wxi
//
// OCX_PATH may be the other architecture's build: registration reads only its type library.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ansi_win.h"
#include "controllib/registration.h"
#include "platform/unique_handle_win.h"

namespace {

constexpr wchar_t kScratchKey[] = L"Software\\Orlix\\RegistryHarvest";
constexpr wchar_t kFileReference[] = L"[#rvxReportView.ocx]";  // the File element's Id in the package
constexpr wchar_t kFolderReference[] = L"[INSTALLDIR]";

struct Entry {
  std::wstring key;
  std::wstring name;
  std::wstring value;
  DWORD type = REG_NONE;
  bool keyOnly = false;  // a key that holds neither values nor subkeys
};

void Collect(HKEY parent, const std::wstring& path, std::vector<Entry>& out) {
  DWORD subkeys = 0, values = 0;
  ::RegQueryInfoKeyW(parent, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
  if (values == 0 && subkeys == 0) out.push_back({path, L"", L"", REG_NONE, true});
  for (DWORD i = 0; i < values; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256, type = 0, bytes = 0;
    if (::RegEnumValueW(parent, i, name, &nameLength, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) continue;
    std::vector<BYTE> data(bytes + sizeof(wchar_t));
    nameLength = 256;
    ::RegEnumValueW(parent, i, name, &nameLength, nullptr, &type, data.data(), &bytes);
    Entry entry{path, name, L"", type, false};
    if (type == REG_DWORD) {
      entry.value = std::to_wstring(*reinterpret_cast<const DWORD*>(data.data()));
    } else {
      entry.value.assign(reinterpret_cast<const wchar_t*>(data.data()), bytes / sizeof(wchar_t));
      while (!entry.value.empty() && entry.value.back() == L'\0') entry.value.pop_back();
    }
    out.push_back(entry);
  }
  for (DWORD i = 0; i < subkeys; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (::RegEnumKeyExW(parent, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
    orlix::UniqueHkey child;
    if (::RegOpenKeyExW(parent, name, 0, KEY_READ, child.put()) != ERROR_SUCCESS) continue;
    Collect(child.get(), path.empty() ? name : path + L"\\" + name, out);
  }
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// The library's path becomes the file reference, its folder the installation folder; a path
// left in any other form would install the build machine's folder, so it fails the harvest.
bool Substitute(std::wstring& value, const std::wstring& file, const std::wstring& folder) {
  for (const auto& [from, to] : {std::pair<std::wstring, std::wstring>{file, kFileReference},
                                 std::pair<std::wstring, std::wstring>{folder + L"\\", kFolderReference},
                                 std::pair<std::wstring, std::wstring>{folder, kFolderReference}}) {
    for (size_t at = Lower(value).find(Lower(from)); at != std::wstring::npos; at = Lower(value).find(Lower(from))) {
      value.replace(at, from.size(), to);
    }
  }
  return Lower(value).find(Lower(folder)) == std::wstring::npos;
}

std::string Xml(const std::wstring& text) {
  std::string out;
  for (char c : orlix::WideToUtf8(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// Wine records its own "has disk image" bit among the library flags it registers; Windows does
// not, and reads the value as hex, where that bit would turn "2" (control) into "10".
bool IsTypeLibFlags(const Entry& entry) {
  const std::wstring key = Lower(entry.key);
  return key.compare(0, 8, L"typelib\\") == 0 && key.size() > 6 && key.compare(key.size() - 6, 6, L"\\flags") == 0 &&
         entry.name.empty();
}

int Fail(const char* message) {
  std::fprintf(stderr, "orlix_registry_harvest: %s\n", message);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return Fail("usage: orlix_registry_harvest OCX_PATH OUTPUT.wxi");
  wchar_t full[MAX_PATH];
  if (::GetFullPathNameW(argv[1], MAX_PATH, full, nullptr) == 0) return Fail("cannot resolve the library's path");
  const std::wstring file = full;
  const std::wstring folder = file.substr(0, file.find_last_of(L'\\'));

  ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey);
  orlix::UniqueHkey scratch;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, scratch.put(),
                        nullptr) != ERROR_SUCCESS) {
    return Fail("cannot create the scratch key");
  }
  if (::RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch.get()) != ERROR_SUCCESS) {
    return Fail("cannot redirect the class root");
  }
  const HRESULT registered = orlix::RegisterLibrary(file);
  ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);

  std::vector<Entry> entries;
  Collect(scratch.get(), L"", entries);
  scratch = orlix::UniqueHkey();
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey);
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kScratchKey);
  ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Orlix");  // only when nothing else is in it
  if (FAILED(registered)) return Fail("the library's registration failed");
  if (entries.empty()) return Fail("the registration wrote nothing");
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return std::tie(a.key, a.name) < std::tie(b.key, b.name);
  });

  std::string text =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<!-- Generated by orlix_registry_harvest from the control library's registration code. -->\n"
      "<Include>\n";
  for (Entry& entry : entries) {
    // The installer reads "[...]" in a value as a reference and a leading "#" as a number: only
    // the references put in below may appear.
    if (entry.value.find_first_of(L"[]") != std::wstring::npos || entry.value.compare(0, 1, L"#") == 0) {
      return Fail("a registry value holds text the installer would not write as it is");
    }
    if (!Substitute(entry.value, file, folder)) return Fail("a registry value holds the build folder");
    if (IsTypeLibFlags(entry)) entry.value = std::to_wstring(std::wcstoul(entry.value.c_str(), nullptr, 10) & ~LIBFLAG_FHASDISKIMAGE);
    if (entry.keyOnly) {
      // An empty key (the "Control" mark): the installer creates it with an empty default value
      // (hosts test only that it exists) and removes it with the product.
      text += "  <RegistryValue Root=\"HKCR\" Key=\"" + Xml(entry.key) + "\" Type=\"string\" Value=\"\"/>\n";
      continue;
    }
    const char* type = entry.type == REG_SZ ? "string" : entry.type == REG_EXPAND_SZ ? "expandable"
                       : entry.type == REG_DWORD ? "integer" : nullptr;
    if (type == nullptr) return Fail("a registry value has a type the package cannot hold");
    text += "  <RegistryValue Root=\"HKCR\" Key=\"" + Xml(entry.key) + "\"";
    if (!entry.name.empty()) text += " Name=\"" + Xml(entry.name) + "\"";
    text += " Type=\"" + std::string(type) + "\" Value=\"" + Xml(entry.value) + "\"/>\n";
  }
  text += "</Include>\n";

  FILE* out = ::_wfopen(argv[2], L"wb");
  if (out == nullptr) return Fail("cannot write the output file");
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  return std::fclose(out) == 0 && written ? 0 : Fail("cannot write the output file");
}
