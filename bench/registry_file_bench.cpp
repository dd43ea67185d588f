// The registry-file reader against disk speed: a class root of 24,000 components as a Wine hive
// (about 21 MB), a REGEDIT4 export and a version-5 (UTF-16LE) export, each loaded beside a
// memchr pass over the same bytes (the floor), and the memory the loaded store keeps beside the
// file's size. Then the walk the component scan makes, beside a loop over the rows.
//   bench_registry_file_bench                    the figures
//   bench_registry_file_bench --write-prefix DIR writes DIR/system.reg and DIR/user.reg
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "platform/regfile/reg_text.h"
#include "platform/regfile/registry_file.h"

// Live heap bytes, counted by the global allocation functions: what a loaded store keeps.
namespace {
std::atomic<std::size_t> g_liveBytes{0};
struct alignas(16) BlockHeader {
  std::size_t size;
};
}  // namespace

void* operator new(std::size_t size) {
  auto* block = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
  if (!block) throw std::bad_alloc();
  block->size = size;
  g_liveBytes += size;
  return block + 1;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept {
  if (!p) return;
  auto* block = static_cast<BlockHeader*>(p) - 1;
  g_liveBytes -= block->size;
  std::free(block);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

namespace {

using namespace orlix;

constexpr int kComponents = 24000;

std::string Guid(int i) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "{%08X-1234-5678-9ABC-%012X}", 0x10000000 + i, 0xABC000 + i);
  return buffer;
}

// String data is kept unescaped here; each format escapes it.
struct Value {
  enum Kind { kString, kDword, kBinary } kind;
  std::string text;
};

std::vector<std::pair<std::string, std::vector<std::pair<std::string, Value>>>> ClassRoot() {
  std::vector<std::pair<std::string, std::vector<std::pair<std::string, Value>>>> keys;
  auto str = [](std::string s) { return Value{Value::kString, std::move(s)}; };
  for (int i = 0; i < kComponents / 8; ++i) {
    keys.push_back({".ext" + std::to_string(i), {{"", str("Vendor.Thing" + std::to_string(i))}}});
  }
  for (int i = 0; i < kComponents; ++i) {
    const std::string clsid = "CLSID\\" + Guid(i);
    const std::string progId = "Vendor" + std::to_string(i % 97) + ".Thing" + std::to_string(i);
    const std::string accent = i % 16 == 5 ? "\xC3\xA9" : "";
    keys.push_back({clsid, {{"", str("Thing" + accent + " " + std::to_string(i) + " Class")}}});
    keys.push_back({clsid + "\\InprocServer32",
                    {{"", str("C:\\Program Files\\Vendor" + accent + "\\thing" + std::to_string(i) + ".dll")},
                     {"ThreadingModel", str("Both")}}});
    keys.push_back({clsid + "\\ProgID", {{"", str(progId + ".1")}}});
    keys.push_back({clsid + "\\Version", {{"", str("1." + std::to_string(i % 10))}}});
    if (i % 4 == 1) keys.push_back({clsid + "\\MiscStatus", {{"", str("0")}, {"1", Value{Value::kDword, "000203a1"}}}});
    if (i % 8 == 0) keys.push_back({clsid + "\\Flags", {{"Data", Value{Value::kBinary, "01,00,00,00,ff,7f,00,00"}}}});
  }
  for (int i = 0; i < kComponents; ++i) {
    const std::string progId = "Vendor" + std::to_string(i % 97) + ".Thing" + std::to_string(i);
    keys.push_back({progId, {{"", str("Thing " + std::to_string(i) + " Class")}}});
    keys.push_back({progId + "\\CLSID", {{"", str(Guid(i))}}});
    keys.push_back({progId + "\\CurVer", {{"", str(progId + ".1")}}});
  }
  // Wine saves a registry, and regedit exports one, depth first with subkeys sorted by name
  // without case: list the keys so.
  auto components = [](const std::string& path) {
    std::vector<std::string> parts(1);
    for (char c : path) {
      if (c == '\\') {
        parts.emplace_back();
      } else {
        parts.back().push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
      }
    }
    return parts;
  };
  std::stable_sort(keys.begin(), keys.end(),
                   [&](const auto& a, const auto& b) { return components(a.first) < components(b.first); });
  return keys;
}

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

std::string KeyPathEscaped(const std::string& path) {
  std::string out;
  for (char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

std::string MakeHive() {
  std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
  for (const auto& [path, values] : ClassRoot()) {
    text += "[Software\\\\Classes\\\\" + KeyPathEscaped(path) + "] 1700000000\n#time=1d9f0a1b2c3d4e5\n";
    for (const auto& [name, value] : values) {
      text += name.empty() ? "@=" : "\"" + Escape(name) + "\"=";
      switch (value.kind) {
        case Value::kString: text += "\"" + Escape(value.text) + "\"\n"; break;
        case Value::kDword: text += "dword:" + value.text + "\n"; break;
        case Value::kBinary: text += "hex:" + value.text + "\n"; break;
      }
    }
    text += "\n";
  }
  return text;
}

std::string MakeUserHive() {
  return "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n\n"
         "[Software\\\\Classes\\\\Vendor1.Thing1] 1700000000\n#time=1d9f0a1b2c3d4e5\n@=\"User's thing\"\n\n";
}

std::string MakeExport(bool version5) {
  std::string text = version5 ? "Windows Registry Editor Version 5.00\r\n\r\n" : "REGEDIT4\r\n\r\n";
  for (const auto& [path, values] : ClassRoot()) {
    text += "[HKEY_CLASSES_ROOT\\" + path + "]\r\n";
    for (const auto& [name, value] : values) {
      text += name.empty() ? "@=" : "\"" + Escape(name) + "\"=";
      switch (value.kind) {
        case Value::kString: text += "\"" + Escape(value.text) + "\"\r\n"; break;
        case Value::kDword: text += "dword:" + value.text + "\r\n"; break;
        case Value::kBinary: text += "hex:" + value.text + "\r\n"; break;
      }
    }
    text += "\r\n";
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

// The floor of reading: one memchr pass that counts the line ends, as `wc -l` does.
std::size_t CountLines(const std::string& bytes) {
  std::size_t n = 0;
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr) {
    ++n;
    ++p;
  }
  return n;
}

void MeasureLoad(const char* what, const std::string& bytes, const std::function<void(RegistryFileLoader&)>& add) {
  volatile std::size_t sink = 0;
  const double floor = bench::MedianCpuSeconds(9, [&] { sink = CountLines(bytes); });
  std::unique_ptr<FileRegistrySource> source;
  const double load = bench::MedianCpuSeconds(5, [&] {
    source.reset();
    RegistryFileLoader loader;
    add(loader);
    source = loader.Finish();
  });
  source.reset();
  const std::size_t before = g_liveBytes;
  {
    RegistryFileLoader loader;
    add(loader);
    source = loader.Finish();
  }
  const std::size_t kept = g_liveBytes - before;
  const double mb = static_cast<double>(bytes.size()) / 1e6;
  std::printf("%s: %.1f MB, %zu keys\n", what, mb, source->KeyCount());
  bench::PrintRatio("  load vs a memchr pass (processor time)", load, floor);
  std::printf("  %-46s %10.0f MB/s  floor %8.0f MB/s\n", "load speed", mb / load, mb / floor);
  std::printf("  %-46s %10.1f MB    file %8.1f MB   ratio %.3f\n", "memory kept by the loaded store",
              static_cast<double>(kept) / 1e6, mb, static_cast<double>(kept) / static_cast<double>(bytes.size()));
  (void)sink;
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-prefix") == 0) {
    const std::filesystem::path dir = argv[2];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!WriteFile(dir / "system.reg", MakeHive()) || !WriteFile(dir / "user.reg", MakeUserHive())) {
      std::fprintf(stderr, "cannot write the prefix in %s\n", argv[2]);
      return 1;
    }
    return 0;
  }

  const std::string hive = MakeHive();
  const std::string ansi = MakeExport(false);
  const std::string unicode = MakeExport(true);
  MeasureLoad("Wine hive (system.reg)", hive, [&](RegistryFileLoader& l) { l.AddWineHiveBytes("system.reg", hive); });
  MeasureLoad("REGEDIT4 export", ansi, [&](RegistryFileLoader& l) { l.AddExportBytes("bench.reg", ansi); });
  MeasureLoad("version-5 export (UTF-16LE)", unicode,
              [&](RegistryFileLoader& l) { l.AddExportBytes("bench.reg", unicode); });

  RegistryFileLoader loader;
  loader.AddWineHiveBytes("system.reg", hive);
  std::unique_ptr<FileRegistrySource> source = loader.Finish();
  // Floor for the walk: the same number of rows taken from a ready list.
  std::vector<std::string> ready;
  for (int i = 0; i < kComponents; ++i) ready.push_back(Guid(i));
  volatile std::size_t sink = 0;
  const double bare = bench::MedianSeconds(5, [&] {
    std::size_t n = 0;
    for (const auto& s : ready) n += s.size();
    sink = n;
  });
  std::size_t rows = 0;
  const double walk = bench::MedianSeconds(5, [&] { rows = ScanLikeWalk(*source); });
  bench::PrintRatio("scan-like walk vs a loop over the rows", walk, bare);
  std::printf("rows found: %zu, handles left open: %zu\n", rows, source->OpenHandleCount());
  (void)sink;
  return rows == static_cast<std::size_t>(kComponents) && source->OpenHandleCount() == 0 ? 0 : 1;
}
