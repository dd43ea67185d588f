// Registry exports and Wine hives from hostile bytes: the load either throws RegistryFileError or
// gives a store, and the whole store is then walked through the RegistrySource calls.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/path_resolution.h"
#include "platform/regfile/hive_values.h"
#include "platform/regfile/registry_file.h"

namespace {

using namespace orlix;

// Value names worth asking for: the default value and every quoted name the input writes.
std::vector<std::string> ValueNames(const std::string& text) {
  std::set<std::string> names{"", "ThreadingModel", "SymbolicLinkValue"};
  for (std::size_t p = text.find('"'); p != std::string::npos && names.size() < 24; p = text.find('"', p + 1)) {
    const std::size_t end = text.find('"', p + 1);
    if (end == std::string::npos) break;
    if (end + 1 < text.size() && text[end + 1] == '=') names.insert(text.substr(p + 1, end - p - 1));
    p = end;
  }
  return {names.begin(), names.end()};
}

void Walk(FileRegistrySource& source, RegKey key, int depth, const std::vector<std::string>& names, int* budget) {
  for (const std::string& name : names) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    source.QueryValue(key, name, &type, nullptr, &size);
    std::string data;
    std::uint32_t small = 3;
    source.QueryValue(key, name, &type, &data, &small);
    std::uint32_t large = 1u << 20;
    source.QueryValue(key, name, &type, &data, &large);
  }
  if (depth >= 24) return;
  for (std::uint32_t index = 0; index < 4096 && *budget > 0; ++index, --*budget) {
    std::string name;
    source.EnumKey(key, index, 2, &name);
    const long status = source.EnumKey(key, index, 256, &name);
    if (status == reg_status::kNoMoreItems) break;
    if (status != reg_status::kSuccess) continue;
    RegKey child = 0;
    if (source.OpenKey(key, name, &child) != reg_status::kSuccess) continue;
    Walk(source, child, depth + 1, names, budget);
    source.CloseKey(child);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  // What the component details read from the same bytes: values and keys of a hive outside its
  // class root, and a registered server path resolved (no files to look at).
  ReadWineHiveValues(bytes, {"Environment", "Software\\Classes\\CLSID"}, {"Software\\Classes\\a", bytes.substr(0, 16)});
  ReadRegistryExportValues(bytes, {"HKEY_LOCAL_MACHINE\\Environment", "HKEY_CLASSES_ROOT\\CLSID"});
  struct NoFiles : FileProbe {
    FileState Probe(const std::string&) override { return FileState::kUnknown; }
  } noFiles;
  SystemFacts facts;
  facts.twoViews = (mode & 32) != 0;
  facts.environment["Path"] = "C:\\windows;" + bytes.substr(0, 32);
  ResolveServerFile((mode & 64) ? "LocalServer32" : "InprocServer32", bytes.substr(0, 512),
                    (mode & 128) ? RegistryView::k32 : RegistryView::k64, facts, noFiles);

  RegistryFileOptions options;
  options.strict = (mode & 4) != 0;
  options.keyOrder = (mode & 8) ? regfile::KeyFold::kUpper : regfile::KeyFold::kLower;
  options.codePage = (mode & 16) ? regfile::AnsiCodePage::kUtf8 : regfile::AnsiCodePage::kWindows1252;

  std::unique_ptr<FileRegistrySource> source;
  try {
    RegistryFileLoader loader(options);
    switch (mode & 3) {
      case 0: loader.AddExportBytes("fuzz.reg", bytes); break;
      case 1: loader.AddWineHiveBytes("system.reg", bytes); break;
      default: {
        // Two files merged: the first half as one kind, the second as the other.
        const std::size_t half = bytes.size() / 2;
        loader.AddWineHiveBytes("system.reg", bytes.substr(0, half));
        loader.AddExportBytes("user.reg", bytes.substr(half));
        break;
      }
    }
    source = loader.Finish();
  } catch (const RegistryFileError&) {
    return 0;
  }

  int budget = 20000;
  const std::vector<std::string> names = ValueNames(bytes);
  Walk(*source, source->Root(), 0, names, &budget);

  // Paths straight from the input, including ones that climb or repeat separators.
  RegKey opened = 0;
  for (const std::string& path : {std::string("CLSID"), std::string("\\\\"), std::string("a\\..\\b"), bytes.substr(0, 64)}) {
    if (source->OpenKey(source->Root(), path, &opened) == reg_status::kSuccess) source->CloseKey(opened);
  }
  source->CloseKey(opened);  // closed twice: must be refused, not crash
  if (source->OpenHandleCount() != 0) __builtin_trap();
  return 0;
}
