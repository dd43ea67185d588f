#include "app/scanned_system.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>
#include <utility>

#include "app/path_resolution.h"
#include "app/registry_api.h"
#include "app/wine_prefix_files.h"
#include "app/wow64_view.h"
#include "base/text.h"
#include "platform/regfile/hive_values.h"
#include "platform/regfile/registry_file.h"
#include "platform/registry_key.h"

namespace orlix {

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return lower(x) < lower(y); });
}

namespace {

constexpr char kEnvironmentKey[] = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char kWindowsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kWindowsNtKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kProfileListKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char kUserEnvironmentKey[] = "Environment";
constexpr char kVolatileEnvironmentKey[] = "Volatile Environment";

// A system whose files are not there to look at: a registry export given alone.
class NoFiles : public FileProbe {
 public:
  FileState Probe(const std::string&) override { return FileState::kUnknown; }
};

const std::string* Find(const HiveValues& hive, const char* key, const char* name) {
  const auto values = hive.keys.find(key);
  if (values == hive.keys.end()) return nullptr;
  for (const auto& [valueName, text] : values->second) {
    if (EqualsNoCase(valueName, name)) return &text;
  }
  return nullptr;
}

// The environment a process of the scanned system starts with: the well-known folders, the
// machine's Session Manager variables, then the user's (whose Path extends the machine's).
SystemFacts FactsFrom(const HiveValues* machine, const HiveValues* user, bool twoViews, const char* windowsFolder) {
  SystemFacts facts;
  facts.twoViews = twoViews;
  auto& env = facts.environment;
  auto set = [&](const char* name, const std::string& value) {
    env[name] = ExpandEnvironment(value, RegistryView::k64, facts);
  };
  auto from = [&](const HiveValues* hive, const char* key, const char* value, const char* fallback) {
    const std::string* text = hive ? Find(*hive, key, value) : nullptr;
    return text != nullptr && !text->empty() ? *text : std::string(fallback);
  };
  facts.windowsFolder = from(machine, kWindowsNtKey, "SystemRoot", windowsFolder);
  set("SystemRoot", facts.windowsFolder);
  set("windir", facts.windowsFolder);
  set("SystemDrive", facts.windowsFolder.substr(0, 2));
  set("ProgramFiles", from(machine, kWindowsKey, "ProgramFilesDir", "C:\\Program Files"));
  set("CommonProgramFiles", from(machine, kWindowsKey, "CommonFilesDir", "C:\\Program Files\\Common Files"));
  if (twoViews) {
    set("ProgramW6432", env["ProgramFiles"]);
    set("CommonProgramW6432", env["CommonProgramFiles"]);
    set("ProgramFiles(x86)", from(machine, kWindowsKey, "ProgramFilesDir (x86)", "C:\\Program Files (x86)"));
    set("CommonProgramFiles(x86)",
        from(machine, kWindowsKey, "CommonFilesDir (x86)", "C:\\Program Files (x86)\\Common Files"));
  }
  set("ProgramData", from(machine, kProfileListKey, "ProgramData", "C:\\ProgramData"));
  set("ALLUSERSPROFILE", env["ProgramData"]);
  set("PUBLIC", from(machine, kProfileListKey, "Public", "C:\\users\\Public"));
  set("Path", "%SystemRoot%\\system32;%SystemRoot%;%SystemRoot%\\System32\\Wbem");

  auto apply = [&](const HiveValues* hive, const char* key, bool user) {
    if (hive == nullptr) return;
    const auto values = hive->keys.find(key);
    if (values == hive->keys.end()) return;
    // Twice, so that a variable may refer to one that sorts after it.
    for (int pass = 0; pass < 2; ++pass) {
      for (const auto& [name, text] : values->second) {
        std::string value = ExpandEnvironment(text, RegistryView::k64, facts);
        if (user && EqualsNoCase(name, "Path") && pass == 0) value = env["Path"] + ";" + value;
        if (!(user && EqualsNoCase(name, "Path") && pass == 1)) env[name] = std::move(value);
      }
    }
  };
  apply(machine, kEnvironmentKey, false);
  apply(user, kVolatileEnvironmentKey, false);
  apply(user, kUserEnvironmentKey, true);
  return facts;
}

const std::vector<std::string> kMachineKeys = {kEnvironmentKey, kWindowsKey, kWindowsNtKey, kProfileListKey};
const std::vector<std::string> kUserKeys = {kUserEnvironmentKey, kVolatileEnvironmentKey};
constexpr char kClasses[] = "Software\\Classes\\";
constexpr char kWow64Node[] = "Wow6432Node\\";

// The keys by which a class store defines components: each ProgID's Clsid key and each class
// registration, in both views.
std::vector<std::string> DefiningKeys(RegistrySource& store) {
  std::vector<std::string> keys;
  for (const std::string node : {"", "Wow6432Node"}) {
    auto below = [&](const std::string& path) { return node.empty() ? path : node + "\\" + path; };
    const std::vector<std::string> names = EnumSubKeyNames(store, store.Root(), node);
    for (std::size_t i = 1; i < names.size(); ++i) {
      if (EqualsNoCase(names[i], "Wow6432Node")) continue;
      if (EqualsNoCase(names[i], "CLSID")) {
        const std::vector<std::string> classes = EnumSubKeyNames(store, store.Root(), below("CLSID"));
        for (std::size_t c = 1; c < classes.size(); ++c) keys.push_back(below("CLSID\\" + classes[c]));
      } else if (ScopedRegKey(store, store.Root(), below(names[i] + "\\Clsid"))) {
        keys.push_back(below(names[i] + "\\Clsid"));
      }
    }
  }
  return keys;
}

// A class root read from files, with what it knows of the class stores it was made of.
class FileSystemScan : public ScannedSystem {
 public:
  // user: the user's classes alone (null: none). The machine's are known either as a store
  // (machine) or, for a Wine prefix, as the set of the user's defining keys that system.reg
  // holds too: reading system.reg a second time as a store would double the cost of the scan.
  struct Stores {
    std::shared_ptr<RegistrySource> user;
    std::shared_ptr<RegistrySource> machine;
    bool machineByKeys = false;
    std::set<std::string, NoCaseLess> machineKeys;
  };

  FileSystemScan(OpenedClassRoot merged, SystemFacts facts, Wow64Layout layout, std::unique_ptr<FileProbe> files,
                 Stores stores)
      : merged_(std::move(merged)), facts_(std::move(facts)), layout_(layout), files_(std::move(files)),
        stores_(std::move(stores)) {
    if (facts_.twoViews) {
      merged32_ = std::make_unique<Wow64ClassView>(*merged_.source, layout_);
      if (stores_.user) user32_ = std::make_unique<Wow64ClassView>(*stores_.user, layout_);
      if (stores_.machine) machine32_ = std::make_unique<Wow64ClassView>(*stores_.machine, layout_);
    }
  }

  const SystemFacts& Facts() const override { return facts_; }
  RegistryView OwnView() const override { return facts_.twoViews ? RegistryView::k64 : RegistryView::k32; }
  RegistrySource& ClassRoot(RegistryView view) override {
    if (view == OwnView()) return *merged_.source;
    if (view == RegistryView::k32 && merged32_) return *merged32_;
    throw ClassRootError("the registry source is a 32-bit system: it has no 64-bit registry view");
  }
  bool UserDefines(RegistryView view, const std::string& progId, const std::string& clsid) override {
    return StoreDefines(InView(view, stores_.user.get(), user32_.get()), progId, clsid);
  }
  bool MachineDefines(RegistryView view, const std::string& progId, const std::string& clsid) override {
    if (!stores_.machineByKeys) return StoreDefines(InView(view, stores_.machine.get(), machine32_.get()), progId, clsid);
    const std::string node = view == RegistryView::k32 && facts_.twoViews ? kWow64Node : "";
    return stores_.machineKeys.count(node + progId + "\\Clsid") > 0 ||
           (!clsid.empty() && stores_.machineKeys.count(node + "CLSID\\" + clsid) > 0);
  }
  FileProbe& Files() override { return *files_; }
  std::string Warning() const override { return merged_.warning; }

 private:
  RegistrySource* InView(RegistryView view, RegistrySource* store, RegistrySource* store32) const {
    return view == RegistryView::k32 && facts_.twoViews ? store32 : store;
  }

  OpenedClassRoot merged_;
  SystemFacts facts_;
  Wow64Layout layout_;
  std::unique_ptr<FileProbe> files_;
  Stores stores_;
  std::unique_ptr<Wow64ClassView> merged32_, user32_, machine32_;
};

// A hive read a second time, after the class-root reader has taken it in: in one block, which
// under Wine costs a fraction of reading it character by character.
std::string ReadHive(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) throw ClassRootError("cannot read " + file.u8string());
  std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
  in.seekg(0);
  if (!in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()))) throw ClassRootError("cannot read " + file.u8string());
  return bytes;
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(std::filesystem::u8path(path), ec);
}

bool IsFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

std::unique_ptr<ScannedSystem> OpenScannedSystem(const ClassRootChoice& choice) {
  if (!choice.registryFile.empty()) {
    return IsFolder(choice.registryFile) ? OpenWinePrefixSystem(choice.registryFile)
                                         : OpenRegistryFileSystem(choice.registryFile);
  }
  if (!choice.winePrefix.empty()) return OpenWinePrefixSystem(choice.winePrefix);
  return OpenDefaultScannedSystem();
}

std::unique_ptr<ScannedSystem> OpenWinePrefixSystem(const std::string& dir) {
  OpenedClassRoot merged = OpenWinePrefixClassRoot(dir);
  const std::filesystem::path root = std::filesystem::u8path(dir);
  const std::filesystem::path system = root / "system.reg";
  const std::filesystem::path user = root / "user.reg";
  FileSystemScan::Stores stores;
  HiveValues machineValues, userValues;
  try {
    std::vector<std::string> asked;
    if (IsFile(user)) {
      // The user's classes are few: read as a store of their own.
      const std::string bytes = ReadRegistryFileBytes(user.u8string());
      RegistryFileLoader loader;
      loader.AddWineHiveBytes(user.u8string(), bytes);
      stores.user = loader.Finish();
      userValues = ReadWineHiveValues(bytes, kUserKeys);
      for (const std::string& key : DefiningKeys(*stores.user)) asked.push_back(kClasses + key);
    }
    if (IsFile(system)) machineValues = ReadWineHiveValues(ReadHive(system), kMachineKeys, asked);
    stores.machineByKeys = true;
    for (const std::string& key : machineValues.present) stores.machineKeys.insert(key.substr(std::strlen(kClasses)));
  } catch (const std::exception& e) {
    throw ClassRootError(e.what());
  }
  const bool twoViews = machineValues.arch == "win64" || HasWow64Node(*merged.source);
  return std::make_unique<FileSystemScan>(std::move(merged),
                                          FactsFrom(&machineValues, &userValues, twoViews, "C:\\windows"),
                                          Wow64Layout::kWine, std::make_unique<WinePrefixFiles>(dir), std::move(stores));
}

std::unique_ptr<ScannedSystem> OpenRegistryFileSystem(const std::string& path) {
  ClassRootChoice choice;
  choice.registryFile = path;
  OpenedClassRoot merged = OpenClassRoot(choice);
  HiveValues values, machine, user;
  bool hive = false;
  try {
    const std::string bytes = ReadRegistryFileBytes(path);
    hive = bytes.compare(0, 23, "WINE REGISTRY Version 2") == 0;
    if (hive) {
      values = ReadWineHiveValues(bytes, {kEnvironmentKey, kWindowsKey, kWindowsNtKey, kProfileListKey,
                                          kUserEnvironmentKey, kVolatileEnvironmentKey});
    } else {
      // An export may carry the machine's and the user's environment beside the classes.
      std::vector<std::string> full;
      for (const std::string& key : kMachineKeys) full.push_back("HKEY_LOCAL_MACHINE\\" + key);
      for (const std::string& key : kUserKeys) full.push_back("HKEY_CURRENT_USER\\" + key);
      HiveValues read = ReadRegistryExportValues(bytes, full);
      for (const std::string& key : kMachineKeys) machine.keys[key] = std::move(read.keys["HKEY_LOCAL_MACHINE\\" + key]);
      for (const std::string& key : kUserKeys) user.keys[key] = std::move(read.keys["HKEY_CURRENT_USER\\" + key]);
    }
  } catch (const std::exception& e) {
    throw ClassRootError(e.what());
  }
  const bool twoViews = values.arch == "win64" || HasWow64Node(*merged.source);
  // Given alone, the file is one store: a user's hive is the user's classes, anything else the
  // machine's. Its files are not there to look at.
  // Not owned: the store is the class root itself.
  const std::shared_ptr<RegistrySource> whole(std::shared_ptr<RegistrySource>(), merged.source.get());
  FileSystemScan::Stores stores;
  (values.userHive ? stores.user : stores.machine) = whole;
  // Wine writes its Windows folder in lower case, Windows with a capital.
  SystemFacts facts = hive ? FactsFrom(values.userHive ? nullptr : &values, values.userHive ? &values : nullptr,
                                      twoViews, "C:\\windows")
                           : FactsFrom(&machine, &user, twoViews, "C:\\Windows");
  // An export comes from Windows, a hive from Wine: each keeps its 32-bit view its own way.
  return std::make_unique<FileSystemScan>(std::move(merged), std::move(facts),
                                          hive ? Wow64Layout::kWine : Wow64Layout::kWindows, std::make_unique<NoFiles>(),
                                          std::move(stores));
}

}  // namespace orlix
