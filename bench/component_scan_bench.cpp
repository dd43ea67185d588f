// The component scan against its floor: the same sequence of registry calls replayed by a bare
// loop that does nothing else. A class root of 20,000 names (qualifying ProgIDs, versioned
// two-dot names, file extensions, ProgIDs without Clsid) is built as a registry export and read
// by the file store; on Windows the same class root is also written into a private subtree of the
// live registry (HKCU\Software\OrlixBench\<unique>) and scanned there, unless the only argument is
// --file-store.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/component_scan.h"
#include "bench/bench_util.h"
#include "platform/regfile/registry_file.h"

#ifdef _WIN32
#include <shlwapi.h>
#include <windows.h>

#include "platform/registry_win.h"
#endif

namespace orlix {
namespace {

constexpr int kNames = 20000;

struct Registration {
  std::string progId;
  std::string clsid;  // empty: no Clsid key at all
  bool hasClass = false;
};

// 50% qualifying with a full class registration, 20% versioned (two dots), 15% extensions,
// 15% ProgID-shaped without a Clsid.
std::vector<Registration> Registrations() {
  std::vector<Registration> list;
  char guid[48];
  for (int i = 0; i < kNames; ++i) {
    std::snprintf(guid, sizeof guid, "{6F0A4D21-0000-4000-8000-%012d}", i);
    const std::string number = std::to_string(i);
    switch (i % 20) {
      case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9:
        list.push_back({"Bench" + number + ".Component", guid, true});
        break;
      case 10: case 11: case 12: case 13:
        list.push_back({"Bench" + number + ".Component.1", guid, false});
        break;
      case 14: case 15: case 16:
        list.push_back({".ext" + number, "", false});
        break;
      default:
        list.push_back({"NoClsid" + number + ".Component", "", false});
    }
  }
  return list;
}

std::string ExportText(const std::vector<Registration>& list) {
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
  for (const Registration& r : list) {
    text += "[HKEY_CLASSES_ROOT\\" + r.progId + "]\r\n@=\"" + r.progId + "\"\r\n\r\n";
    if (!r.clsid.empty()) text += "[HKEY_CLASSES_ROOT\\" + r.progId + "\\Clsid]\r\n@=\"" + r.clsid + "\"\r\n\r\n";
    if (!r.hasClass) continue;
    const std::string cls = "[HKEY_CLASSES_ROOT\\CLSID\\" + r.clsid;
    text += cls + "]\r\n@=\"" + r.progId + "\"\r\n\r\n";
    text += cls + "\\InprocServer32]\r\n@=\"C:\\\\Windows\\\\System32\\\\" + r.progId + ".dll\"\r\n" +
            "\"ThreadingModel\"=\"Apartment\"\r\n\r\n";
    text += cls + "\\ProgID]\r\n@=\"" + r.progId + ".1\"\r\n\r\n";
    text += cls + "\\Programmable]\r\n\r\n";
    text += cls + "\\Version]\r\n@=\"1.0\"\r\n\r\n";
  }
  return text;
}

// Records the calls a scan makes, then replays them with nothing in between: the floor.
class CallRecorder : public RegistrySource {
 public:
  explicit CallRecorder(RegistrySource& inner) : inner_(inner) { slots_.push_back(inner.Root()); }

  RegKey Root() const override { return inner_.Root(); }
  long OpenKey(RegKey parent, std::string_view path, RegKey* opened) override {
    const long status = inner_.OpenKey(parent, path, opened);
    calls_.push_back({Op::kOpen, SlotOf(parent), std::string(path), 0, status == 0 ? NewSlot(*opened) : kNoSlot});
    return status;
  }
  long EnumKey(RegKey key, std::uint32_t index, std::size_t bufferChars, std::string* name) override {
    calls_.push_back({Op::kEnum, SlotOf(key), std::string(), index, bufferChars});
    return inner_.EnumKey(key, index, bufferChars, name);
  }
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                  std::uint32_t* size) override {
    calls_.push_back({Op::kQuery, SlotOf(key), name, *size, 0});
    return inner_.QueryValue(key, name, type, data, size);
  }
  long CloseKey(RegKey key) override {
    calls_.push_back({Op::kClose, SlotOf(key), std::string(), 0, 0});
    return inner_.CloseKey(key);
  }

  // The bare loop: every recorded call in order, handles mapped to what this run opens.
  void Replay(RegistrySource& registry) const {
    std::vector<RegKey> slots(slots_.size());
    slots[0] = registry.Root();
    std::string text;
    std::uint32_t type = 0;
    for (const Call& call : calls_) {
      switch (call.op) {
        case Op::kOpen: {
          RegKey opened = 0;
          registry.OpenKey(slots[call.slot], call.text, &opened);
          if (call.extra != kNoSlot) slots[call.extra] = opened;
          break;
        }
        case Op::kEnum:
          registry.EnumKey(slots[call.slot], call.number, call.extra, &text);
          break;
        case Op::kQuery: {
          std::uint32_t size = call.number;
          registry.QueryValue(slots[call.slot], call.text, &type, &text, &size);
          break;
        }
        case Op::kClose:
          registry.CloseKey(slots[call.slot]);
          break;
      }
    }
  }
  std::size_t CallCount() const { return calls_.size(); }

 private:
  enum class Op { kOpen, kEnum, kQuery, kClose };
  static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
  struct Call {
    Op op;
    std::size_t slot;
    std::string text;
    std::uint32_t number;
    std::size_t extra;  // enumeration: buffer size; open: the slot of the opened key
  };

  std::size_t NewSlot(RegKey key) {
    slots_.push_back(key);
    latest_[key] = slots_.size() - 1;
    return slots_.size() - 1;
  }
  // Handles are reused after a close, so the most recent slot holding the handle is the live one.
  std::size_t SlotOf(RegKey key) const {
    const auto found = latest_.find(key);
    return found == latest_.end() ? 0 : found->second;
  }

  RegistrySource& inner_;
  std::vector<RegKey> slots_;
  std::unordered_map<RegKey, std::size_t> latest_;
  std::vector<Call> calls_;
};

void Measure(const char* what, RegistrySource& registry, int runs) {
  CallRecorder recorder(registry);
  const VariantArray recorded = BuildComponentList(recorder);
  std::int32_t rows = 0;
  // Alternating single runs, so that both figures see the same machine load.
  std::vector<double> scans;
  std::vector<double> floors;
  for (int run = 0; run < runs; ++run) {
    scans.push_back(bench::MedianSeconds(1, [&] { rows = BuildComponentList(registry).UpperBound(1) + 1; }));
    floors.push_back(bench::MedianSeconds(1, [&] { recorder.Replay(registry); }));
  }
  std::sort(scans.begin(), scans.end());
  std::sort(floors.begin(), floors.end());
  const double scan = scans[scans.size() / 2];
  const double floor = floors[floors.size() / 2];
  std::printf("%s: %d components, %zu registry calls per scan\n", what, rows, recorder.CallCount());
  bench::PrintRatio("  BuildComponentList vs bare call loop", scan, floor);
  if (recorded.UpperBound(1) + 1 != rows) std::printf("  (recorded scan found %d rows)\n", recorded.UpperBound(1) + 1);
}

#ifdef _WIN32
// Writes the registrations under HKCU\Software\OrlixBench\<unique> and removes them on exit.
class LiveSubtree {
 public:
  explicit LiveSubtree(const std::vector<Registration>& list)
      : path_("Software\\OrlixBench\\Scan" + std::to_string(::GetCurrentProcessId())) {
    for (const Registration& r : list) {
      SetDefault(r.progId, r.progId);
      if (!r.clsid.empty()) SetDefault(r.progId + "\\Clsid", r.clsid);
      if (!r.hasClass) continue;
      const std::string cls = "CLSID\\" + r.clsid;
      SetDefault(cls, r.progId);
      SetDefault(cls + "\\InprocServer32", "C:\\Windows\\System32\\" + r.progId + ".dll");
      SetDefault(cls + "\\ProgID", r.progId + ".1");
      SetDefault(cls + "\\Programmable", std::string(), false);
      SetDefault(cls + "\\Version", "1.0");
    }
  }
  ~LiveSubtree() {
    ::SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\OrlixBench");
  }
  const std::string& Path() const { return path_; }

 private:
  void SetDefault(const std::string& path, const std::string& value, bool withValue = true) {
    UniqueHkey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\" + path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          key.put(), nullptr) != ERROR_SUCCESS)
      return;
    if (withValue)
      ::RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
  }
  std::string path_;
};
#endif

}  // namespace
}  // namespace orlix

int main(int argc, char** argv) {
  using namespace orlix;
  const bool filesOnly = argc > 1 && std::string(argv[1]) == "--file-store";
  const std::vector<Registration> list = Registrations();
  RegistryFileLoader loader;
  loader.AddExportBytes("bench.reg", ExportText(list));
  std::unique_ptr<FileRegistrySource> files = loader.Finish();
  Measure("file store (registry export, 20,000 names)", *files, 15);
  if (filesOnly) return 0;
#ifdef _WIN32
  const LiveSubtree subtree(list);
  std::unique_ptr<Win32Registry> live = Win32Registry::OpenSubtree(HKEY_CURRENT_USER, subtree.Path());
  if (live) {
    Measure("live registry (HKCU subtree, 20,000 names)", *live, 5);
  } else {
    std::printf("live registry: the subtree could not be opened\n");
  }
#endif
  return 0;
}
