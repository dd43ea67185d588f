// Loading a class root from a registry export of 20,000 ProgIDs and walking it the way the
// component scan does, beside floors that do the least any such work must do.
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "platform/regfile/reg_text.h"
#include "platform/regfile/registry_file.h"

namespace {

using namespace orlix;

constexpr int kProgIds = 20000;

std::string Guid(int i) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "{%08X-1234-5678-9ABC-%012X}", 0x10000000 + i, 0xABC000 + i);
  return buffer;
}

std::string MakeExport(bool version5) {
  std::string text = version5 ? "Windows Registry Editor Version 5.00\r\n\r\n" : "REGEDIT4\r\n\r\n";
  for (int i = 0; i < kProgIds; ++i) {
    const std::string id = "Vendor" + std::to_string(i % 97) + ".Thing" + std::to_string(i);
    const std::string clsid = "[HKEY_CLASSES_ROOT\\CLSID\\" + Guid(i);
    text += "[HKEY_CLASSES_ROOT\\" + id + "]\r\n@=\"Thing " + std::to_string(i) + "\"\r\n\r\n";
    text += "[HKEY_CLASSES_ROOT\\" + id + "\\Clsid]\r\n@=\"" + Guid(i) + "\"\r\n\r\n";
    text += clsid + "]\r\n@=\"Thing " + std::to_string(i) + "\"\r\n\r\n";
    text += clsid + "\\InprocServer32]\r\n@=\"C:\\\\Windows\\\\System32\\\\thing" + std::to_string(i) +
            ".dll\"\r\n\"ThreadingModel\"=\"Apartment\"\r\n\r\n";
    text += clsid + "\\Version]\r\n@=\"1." + std::to_string(i % 10) + "\"\r\n\r\n";
    text += clsid + "\\Programmable]\r\n\r\n";
  }
  if (!version5) return text;
  return "\xFF\xFE" + regfile::Utf16ToBytes(regfile::Utf8ToUtf16(text));
}

std::string ReadDefault(RegistrySource& source, const std::string& path) {
  RegKey key = 0;
  if (source.OpenKey(source.Root(), path, &key) != reg_status::kSuccess) return {};
  std::string data;
  std::uint32_t size = 1024;
  std::uint32_t type = 0;
  const long status = source.QueryValue(key, "", &type, &data, &size);
  source.CloseKey(key);
  return status == reg_status::kSuccess && size > 0 ? data.substr(0, size - 1) : std::string();
}

std::vector<std::string> EnumNames(RegistrySource& source, const std::string& path) {
  std::vector<std::string> names;
  RegKey key = source.Root();
  if (!path.empty() && source.OpenKey(source.Root(), path, &key) != reg_status::kSuccess) return names;
  std::string name;
  for (std::uint32_t i = 0; source.EnumKey(key, i, 260, &name) == reg_status::kSuccess; ++i) names.push_back(name);
  if (!path.empty()) source.CloseKey(key);
  return names;
}

// What the component scan asks of the registry, row by row.
std::size_t ScanLikeWalk(RegistrySource& source) {
  std::size_t rows = 0;
  for (const std::string& name : EnumNames(source, "")) {
    const auto dot = name.find('.');
    if (dot == std::string::npos || dot == 0 || name.find('.', dot + 1) != std::string::npos) continue;
    const std::string clsid = ReadDefault(source, name + "\\Clsid");
    if (clsid.empty()) continue;
    for (const std::string& sub : EnumNames(source, "CLSID\\" + clsid)) {
      if (sub == "InprocServer32" || sub == "Version") ReadDefault(source, "CLSID\\" + clsid + "\\" + sub);
    }
    ++rows;
  }
  return rows;
}

// Processor time of one call: on a shared machine wall time also counts other processes.
double CpuSeconds(const std::function<void()>& body) {
  const std::clock_t start = std::clock();
  body();
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

}  // namespace

int main() {
  const std::string ansi = MakeExport(false);
  const std::string unicode = MakeExport(true);
  std::printf("export of %d ProgIDs: %zu bytes (REGEDIT4), %zu bytes (version 5, UTF-16)\n", kProgIds, ansi.size(),
              unicode.size());

  // Floor for loading: touching every byte once to find the lines.
  volatile std::size_t sink = 0;
  const double lines = bench::MedianSeconds(5, [&] {
    std::size_t n = 0;
    for (char c : ansi) n += c == '\n';
    sink = n;
  });
  std::unique_ptr<FileRegistrySource> source;
  const double load4 = bench::MedianSeconds(5, [&] {
    RegistryFileLoader loader;
    loader.AddExportBytes("bench.reg", ansi);
    source = loader.Finish();
  });
  const double load5 = bench::MedianSeconds(5, [&] {
    RegistryFileLoader loader;
    loader.AddExportBytes("bench.reg", unicode);
    source = loader.Finish();
  });
  bench::PrintRatio("load REGEDIT4 export vs counting its lines", load4, lines);
  bench::PrintRatio("load version-5 export vs counting lines", load5, lines);
  const double cpu4 = CpuSeconds([&] {
    RegistryFileLoader loader;
    loader.AddExportBytes("bench.reg", ansi);
    source = loader.Finish();
  });
  std::printf("load REGEDIT4 export, processor time: %.4f s\n", cpu4);
  std::printf("keys in the class root: %zu\n", source->KeyCount());

  // Floor for the walk: the same number of rows taken from a ready list.
  std::vector<std::string> ready;
  for (int i = 0; i < kProgIds; ++i) ready.push_back(Guid(i));
  const double bare = bench::MedianSeconds(5, [&] {
    std::size_t n = 0;
    for (const auto& s : ready) n += s.size();
    sink = n;
  });
  std::size_t rows = 0;
  const double walk = bench::MedianSeconds(5, [&] { rows = ScanLikeWalk(*source); });
  bench::PrintRatio("scan-like walk vs a loop over the rows", walk, bare);
  std::printf("scan-like walk, processor time: %.4f s\n", CpuSeconds([&] { rows = ScanLikeWalk(*source); }));
  std::printf("rows found: %zu, handles left open: %zu\n", rows, source->OpenHandleCount());
  (void)sink;
  return rows == static_cast<std::size_t>(kProgIds) && source->OpenHandleCount() == 0 ? 0 : 1;
}
