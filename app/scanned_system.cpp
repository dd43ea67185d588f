#include "app/scanned_system.h"

#include <filesystem>
#include <functional>
#include <system_error>
#include <utility>

#include "app/path_resolution.h"
#include "app/wine_prefix_files.h"
#include "app/wow64_view.h"
#include "base/text.h"
#include "platform/regfile/hive_values.h"
#include "platform/regfile/registry_file.h"

namespace orlix {

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  return ToLowerAscii(a) < ToLowerAscii(b);
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
SystemFacts FactsFrom(const HiveValues* machine, const HiveValues* user, bool twoViews) {
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
  facts.windowsFolder = from(machine, kWindowsNtKey, "SystemRoot", "C:\\windows");
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

HiveValues ReadHiveValues(const std::string& path, bool user) {
  const std::vector<std::string> keys =
      user ? std::vector<std::string>{kUserEnvironmentKey, kVolatileEnvironmentKey}
           : std::vector<std::string>{kEnvironmentKey, kWindowsKey, kWindowsNtKey, kProfileListKey};
  return ReadWineHiveValues(ReadRegistryFileBytes(path), keys);
}

// A class root read from files, with the class stores it was made of.
class FileSystemScan : public ScannedSystem {
 public:
  using StoreLoader = std::function<std::shared_ptr<RegistrySource>()>;

  FileSystemScan(OpenedClassRoot merged, SystemFacts facts, std::unique_ptr<FileProbe> files, StoreLoader user,
                 StoreLoader machine)
      : merged_(std::move(merged)), facts_(std::move(facts)), files_(std::move(files)),
        user_(std::move(user)), machine_(std::move(machine)) {
    if (facts_.twoViews) merged32_ = std::make_unique<Wow64ClassView>(*merged_.source);
  }

  const SystemFacts& Facts() const override { return facts_; }
  RegistryView OwnView() const override { return facts_.twoViews ? RegistryView::k64 : RegistryView::k32; }
  RegistrySource& ClassRoot(RegistryView view) override {
    if (view == OwnView()) return *merged_.source;
    if (view == RegistryView::k32 && merged32_) return *merged32_;
    throw ClassRootError("the registry source is a 32-bit system: it has no 64-bit registry view");
  }
  RegistrySource* UserClasses(RegistryView view) override { return user_.Get(view, facts_.twoViews); }
  RegistrySource* MachineClasses(RegistryView view) override { return machine_.Get(view, facts_.twoViews); }
  FileProbe& Files() override { return *files_; }
  std::string Warning() const override { return merged_.warning; }

 private:
  // A store is read only when first needed: the machine's, only for a class the user's
  // classes define too.
  class Store {
   public:
    explicit Store(StoreLoader loader) : loader_(std::move(loader)) {}
    RegistrySource* Get(RegistryView view, bool twoViews) {
      if (loader_) {
        store_ = loader_();
        loader_ = nullptr;
        if (store_ && twoViews) view32_ = std::make_unique<Wow64ClassView>(*store_);
      }
      return view == RegistryView::k32 && view32_ ? view32_.get() : store_.get();
    }

   private:
    StoreLoader loader_;
    std::shared_ptr<RegistrySource> store_;
    std::unique_ptr<Wow64ClassView> view32_;
  };

  OpenedClassRoot merged_;
  std::unique_ptr<Wow64ClassView> merged32_;
  SystemFacts facts_;
  std::unique_ptr<FileProbe> files_;
  Store user_;
  Store machine_;
};

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
  HiveValues machineValues, userValues;
  try {
    if (IsFile(system)) machineValues = ReadHiveValues(system.u8string(), false);
    if (IsFile(user)) userValues = ReadHiveValues(user.u8string(), true);
  } catch (const std::exception& e) {
    throw ClassRootError(e.what());
  }
  const bool twoViews = machineValues.arch == "win64" || HasWow64Node(*merged.source);
  auto loader = [](std::filesystem::path file) -> FileSystemScan::StoreLoader {
    if (!IsFile(file)) return [] { return std::shared_ptr<RegistrySource>(); };
    return [file] { return std::shared_ptr<RegistrySource>(LoadWineHive(file.u8string())); };
  };
  return std::make_unique<FileSystemScan>(std::move(merged), FactsFrom(&machineValues, &userValues, twoViews),
                                          std::make_unique<WinePrefixFiles>(dir), loader(user), loader(system));
}

std::unique_ptr<ScannedSystem> OpenRegistryFileSystem(const std::string& path) {
  ClassRootChoice choice;
  choice.registryFile = path;
  OpenedClassRoot merged = OpenClassRoot(choice);
  HiveValues values;
  bool hive = false;
  try {
    const std::string bytes = ReadRegistryFileBytes(path);
    hive = bytes.compare(0, 23, "WINE REGISTRY Version 2") == 0;
    if (hive) values = ReadWineHiveValues(bytes, {kEnvironmentKey, kWindowsKey, kWindowsNtKey, kProfileListKey,
                                                 kUserEnvironmentKey, kVolatileEnvironmentKey});
  } catch (const std::exception& e) {
    throw ClassRootError(e.what());
  }
  const bool twoViews = values.arch == "win64" || HasWow64Node(*merged.source);
  // Given alone, the file is one store: a user's hive is the user's classes, anything else the
  // machine's. Its files are not there to look at.
  RegistrySource* whole = merged.source.get();
  // Not owned: the store is the class root itself.
  FileSystemScan::StoreLoader same = [whole] { return std::shared_ptr<RegistrySource>(std::shared_ptr<RegistrySource>(), whole); };
  SystemFacts facts = FactsFrom(hive && !values.userHive ? &values : nullptr, hive && values.userHive ? &values : nullptr,
                                twoViews);
  FileSystemScan::StoreLoader none = [] { return std::shared_ptr<RegistrySource>(); };
  return std::make_unique<FileSystemScan>(std::move(merged), std::move(facts), std::make_unique<NoFiles>(),
                                          values.userHive ? same : none, values.userHive ? none : same);
}

}  // namespace orlix
