// The details scan (server, resolved path, file check, view, scope) against the plain scan of
// the same source: 8,000 components in a Wine prefix made for the run (a quarter of the files
// missing, local servers with arguments, expandable paths, a few classes of the user's own),
// read from its files; on Windows also the same classes in a private subtree of the live
// registry with their files on C:. Both figures include opening the source.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/component_details.h"
#include "app/component_scan.h"
#include "app/scanned_system.h"
#include "base/text.h"
#include "bench/bench_util.h"

#ifdef _WIN32
#include <shlwapi.h>
#include <windows.h>

#include "app/live_system_win.h"
#include "platform/ansi_win.h"
#include "platform/registry_win.h"
#endif

namespace orlix {
namespace {

namespace fs = std::filesystem;
constexpr int kComponents = 8000;
constexpr int kUserEvery = 100;  // one class in a hundred is also the user's

struct Component {
  std::string progId, clsid, server, value, file;  // file: the Windows path to create, or empty
  bool expand = false;
};

// `folder`: the Windows folder that holds the components' files ("C:\bench").
std::vector<Component> Components(const std::string& folder) {
  std::vector<Component> list;
  char guid[48];
  for (int i = 0; i < kComponents; ++i) {
    std::snprintf(guid, sizeof guid, "{6F0A4D21-0000-4000-9000-%012d}", i);
    const std::string n = std::to_string(i);
    Component c{"Bench" + n + ".Component", guid, "InprocServer32", "", ""};
    switch (i % 4) {
      case 0: c.value = c.file = folder + "\\system32\\bench" + n + ".dll"; break;
      case 1: c.value = folder + "\\system32\\gone" + n + ".dll"; break;
      case 2:
        c.value = "%SystemDrive%" + folder.substr(2) + "\\lib\\bench" + n + ".dll";
        c.file = folder + "\\lib\\bench" + n + ".dll";
        c.expand = true;
        break;
      default:
        c.server = "LocalServer32";
        c.value = "\"" + folder + "\\Program Files\\bench" + n + ".exe\" /automation";
        if (i % 8 == 3) c.file = folder + "\\Program Files\\bench" + n + ".exe";
    }
    list.push_back(std::move(c));
  }
  return list;
}

std::string Hive(const std::string& text) { return ReplaceExact(ReplaceExact(text, "\\", "\\\\"), "\"", "\\\""); }

std::string HiveText(const std::vector<Component>& list, bool user) {
  std::string text = std::string("WINE REGISTRY Version 2\n;; All keys relative to ") +
                     (user ? "\\\\User\\\\S-1-5-21-0-0-0-1000" : "\\\\Machine") + "\n\n#arch=win64\n\n";
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (user && i % kUserEvery != 0) continue;
    const Component& c = list[i];
    const std::string cls = "[Software\\\\Classes\\\\CLSID\\\\" + c.clsid;
    if (!user) {
      text += "[Software\\\\Classes\\\\" + c.progId + "] 1\n@=\"" + c.progId + "\"\n\n";
      text += "[Software\\\\Classes\\\\" + c.progId + "\\\\Clsid] 1\n@=\"" + c.clsid + "\"\n\n";
      text += cls + "] 1\n@=\"" + c.progId + "\"\n\n";
      text += cls + "\\\\Programmable] 1\n\n";
      text += cls + "\\\\Version] 1\n@=\"1.0\"\n\n";
    }
    text += cls + "\\\\" + c.server + "] 1\n@=" + (c.expand ? "str(2):" : "") + "\"" + Hive(c.value) + "\"\n\n";
  }
  return text;
}

void Touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "MZ";
}

// A Windows path of a file under drive C: as a path below `driveC`.
fs::path OnDrive(const fs::path& driveC, const std::string& windowsPath) {
  return driveC / fs::u8path(ReplaceExact(windowsPath.substr(3), "\\", "/"));
}

struct Figures {
  double plain = 0, details = 0;
  std::size_t rows = 0;
};

template <typename Plain, typename Details>
Figures Compare(int runs, Plain plain, Details details) {
  Figures f;
  std::vector<double> p, d;
  // Alternating single runs, so that both figures see the same machine load.
  for (int run = 0; run < runs; ++run) {
    p.push_back(bench::MedianSeconds(1, [&] { f.rows = plain(); }));
    d.push_back(bench::MedianSeconds(1, [&] { details(); }));
  }
  std::sort(p.begin(), p.end());
  std::sort(d.begin(), d.end());
  f.plain = p[p.size() / 2];
  f.details = d[d.size() / 2];
  return f;
}

void Print(const char* what, const Figures& f) {
  std::printf("%s: %zu components\n", what, f.rows);
  bench::PrintRatio("  details scan vs plain scan (target <= 1.5)", f.details, f.plain);
}

void MeasurePrefix(int runs) {
  const fs::path dir = fs::temp_directory_path() / "orlix-details-bench";
  fs::remove_all(dir);
  const std::vector<Component> list = Components("C:\\bench");
  for (const Component& c : list) {
    if (!c.file.empty()) Touch(OnDrive(dir / "drive_c", c.file));
  }
  fs::create_directories(dir / "dosdevices");
  std::error_code ec;
  fs::create_directory_symlink("../drive_c", dir / "dosdevices/c:", ec);  // not where names hold no colon
  std::ofstream(dir / "system.reg") << HiveText(list, false);
  std::ofstream(dir / "user.reg") << HiveText(list, true);

  ClassRootChoice choice;
  choice.winePrefix = dir.u8string();
  const Figures f = Compare(
      runs,
      [&] {
        OpenedClassRoot root = OpenClassRoot(choice);
        return static_cast<std::size_t>(BuildComponentList(*root.source).UpperBound(1) + 1);
      },
      [&] { ScanComponentsWithDetails(choice); });
  Print("Wine prefix files (system.reg, user.reg, drive_c)", f);
  if (!std::getenv("ORLIX_BENCH_KEEP")) fs::remove_all(dir, ec);
}

#ifdef _WIN32
// The live registry: the classes in HKCU\Software\OrlixBench\<unique>\{Classes,User}, read
// through the same details core as the live class root.
class LiveBench : public ScannedSystem {
 public:
  LiveBench(const std::string& path, const std::string& folder)
      : path_(path), folder_(folder), facts_(LiveSystemFacts()), files_(MakeLiveFiles(facts_)) {}
  ~LiveBench() override {
    userIndex_.reset();
    classes_.reset();
    user_.reset();
    ::SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\OrlixBench");
    std::error_code ec;
    fs::remove_all(fs::u8path(folder_), ec);
  }
  void Write(const std::vector<Component>& list) {
    for (std::size_t i = 0; i < list.size(); ++i) {
      const Component& c = list[i];
      const std::string cls = "\\Classes\\CLSID\\" + c.clsid;
      Set("\\Classes\\" + c.progId, c.progId);
      Set("\\Classes\\" + c.progId + "\\Clsid", c.clsid);
      Set(cls, c.progId);
      Set(cls + "\\Programmable", "", false);
      Set(cls + "\\Version", "1.0");
      Set(cls + "\\" + c.server, c.value, true, c.expand ? REG_EXPAND_SZ : REG_SZ);
      if (i % kUserEvery == 0) Set("\\User\\CLSID\\" + c.clsid + "\\" + c.server, c.value);
      if (!c.file.empty()) Touch(fs::u8path(c.file));
    }
    classes_ = Win32Registry::OpenSubtree(HKEY_CURRENT_USER, path_ + "\\Classes");
    user_ = Win32Registry::OpenSubtree(HKEY_CURRENT_USER, path_ + "\\User");
  }
  RegistrySource* Classes() { return classes_.get(); }
  // Each scan lists the folders and the user's classes anew, as a fresh live scan does.
  void Reset() {
    files_ = MakeLiveFiles(facts_);
    userIndex_.reset();
  }

  const SystemFacts& Facts() const override { return facts_; }
  RegistryView OwnView() const override { return RegistryView::k64; }
  RegistrySource& ClassRoot(RegistryView) override { return *classes_; }
  bool UserDefines(RegistryView, const std::string& progId, const std::string& clsid) override {
    if (!userIndex_) userIndex_ = std::make_unique<ClassStoreIndex>(user_.get());
    return userIndex_->Defines(progId, clsid);
  }
  bool MachineDefines(RegistryView, const std::string& progId, const std::string& clsid) override {
    return StoreDefines(classes_.get(), progId, clsid);
  }
  FileProbe& Files() override { return *files_; }
  std::string Warning() const override { return std::string(); }

 private:
  void Set(const std::string& path, const std::string& value, bool withValue = true, DWORD type = REG_SZ) {
    UniqueHkey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          key.put(), nullptr) != ERROR_SUCCESS)
      return;
    if (withValue)
      ::RegSetValueExA(key.get(), nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
  }

  std::string path_, folder_;
  SystemFacts facts_;
  std::unique_ptr<FileProbe> files_;
  std::unique_ptr<Win32Registry> classes_, user_;
  std::unique_ptr<ClassStoreIndex> userIndex_;
};

void MeasureLive(int runs) {
  const std::string unique = std::to_string(::GetCurrentProcessId());
  const std::string folder = "C:\\orlix-details-bench-" + unique;
  LiveBench bench("Software\\OrlixBench\\Details" + unique, folder);
  bench.Write(Components(folder));
  if (bench.Classes() == nullptr) {
    std::printf("live registry: the subtree could not be opened\n");
    return;
  }
  const Figures f = Compare(
      runs, [&] { return static_cast<std::size_t>(BuildComponentList(*bench.Classes()).UpperBound(1) + 1); },
      [&] {
        bench.Reset();
        ScanSystemWithDetails(bench, ViewChoice::kOwn);
      });
  Print("live registry (HKCU subtree) and files on C:", f);
}
#endif

}  // namespace
}  // namespace orlix

int main() {
#ifdef _WIN32
  orlix::MeasurePrefix(5);
  orlix::MeasureLive(3);
#else
  orlix::MeasurePrefix(9);
#endif
  return 0;
}
