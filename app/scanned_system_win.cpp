#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "app/live_system_win.h"
#include "app/scanned_system.h"
#include "base/text.h"
#include "platform/ansi_win.h"
#include "platform/registry_win.h"
#include "platform/unique_handle_win.h"

namespace orlix {
namespace {

bool IsWow64() {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

constexpr bool kProgramIs64Bit = sizeof(void*) == 8;

// The running machine's files. Each folder is listed once and its names kept: a scan looks up
// thousands of files in a few folders, and under Wine a name not found is a scan of the whole
// folder on every look. A 32-bit program on 64-bit Windows reaches the real system32 through
// Sysnative: its own "system32" is redirected.
class LiveFiles : public FileProbe {
 public:
  LiveFiles(std::string windowsFolder, bool redirected)
      : system32_(std::move(windowsFolder) + "\\system32"), redirected_(redirected) {}

  FileState Probe(const std::string& windowsPath) override {
    std::string path = windowsPath;
    if (redirected_ && path.size() >= system32_.size() &&
        EqualsNoCase(std::string_view(path).substr(0, system32_.size()), system32_) &&
        (path.size() == system32_.size() || path[system32_.size()] == '\\')) {
      path = system32_.substr(0, system32_.size() - 8) + "Sysnative" + path.substr(system32_.size());
    }
    const std::size_t cut = path.find_last_of('\\');
    if (cut == std::string::npos || cut + 1 == path.size()) return FileState::kUnknown;
    const Folder& folder = List(Lower(Utf8ToWide(path.substr(0, cut))));
    if (folder.unreadable) return FileState::kUnknown;
    return folder.files.count(Lower(Utf8ToWide(path.substr(cut + 1)))) ? FileState::kPresent : FileState::kMissing;
  }

 private:
  struct Folder {
    std::unordered_set<std::wstring> files;  // lower-cased; folders left out
    bool unreadable = false;                 // there, but not to be listed (no access, no drive)
  };

  static std::wstring Lower(std::wstring text) {
    if (!text.empty()) ::CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
  }

  const Folder& List(const std::wstring& folder) {
    const auto known = folders_.find(folder);
    if (known != folders_.end()) return known->second;
    Folder listing;
    WIN32_FIND_DATAW found;
    const std::wstring pattern = folder + L"\\*";
    const UniqueFindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) {
      const DWORD error = ::GetLastError();
      // A folder that is not there holds no files; one that cannot be read tells nothing.
      listing.unreadable = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
                           error != ERROR_INVALID_NAME && error != ERROR_DIRECTORY;
    } else {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) listing.files.insert(Lower(found.cFileName));
      } while (::FindNextFileW(search.get(), &found));
    }
    return folders_.emplace(folder, std::move(listing)).first->second;
  }

  std::string system32_;
  bool redirected_;
  std::unordered_map<std::wstring, Folder> folders_;
};

}  // namespace

bool LiveSystemHasTwoViews() { return kProgramIs64Bit || IsWow64(); }

std::unique_ptr<FileProbe> MakeLiveFiles(const SystemFacts& facts) {
  return std::make_unique<LiveFiles>(facts.windowsFolder, !kProgramIs64Bit && facts.twoViews);
}

SystemFacts LiveSystemFacts() {
  SystemFacts facts;
  facts.twoViews = LiveSystemHasTwoViews();
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH);
  if (length > 0 && length <= MAX_PATH) facts.windowsFolder = WideToUtf8(folder);
  std::unique_ptr<wchar_t, decltype(&::FreeEnvironmentStringsW)> block(::GetEnvironmentStringsW(),
                                                                      &::FreeEnvironmentStringsW);
  for (const wchar_t* entry = block.get(); entry != nullptr && *entry != L'\0'; entry += std::wcslen(entry) + 1) {
    const std::string text = WideToUtf8(entry);
    const std::size_t equals = text.find('=', 1);  // "=C:=C:\..." entries start with '='
    if (text.front() == '=' || equals == std::string::npos) continue;
    facts.environment[text.substr(0, equals)] = text.substr(equals + 1);
  }
  return facts;
}

namespace {

class LiveSystem : public ScannedSystem {
 public:
  LiveSystem() : facts_(LiveSystemFacts()), twoViews_(facts_.twoViews), files_(MakeLiveFiles(facts_)) {}

  const SystemFacts& Facts() const override { return facts_; }
  RegistryView OwnView() const override { return kProgramIs64Bit ? RegistryView::k64 : RegistryView::k32; }

  RegistrySource& ClassRoot(RegistryView view) override {
    Views& v = Get(view);
    if (!v.classRoot) {
      // The other view's class root is opened in that view, so that enumerating it lists that
      // view's names (Wine keeps them all apart, Windows shares most).
      if (Flag(view) != 0) v.classRoot = Win32Registry::OpenSubtree(HKEY_CLASSES_ROOT, "", Flag(view), nullptr);
      if (!v.classRoot) v.classRoot = std::make_unique<Win32Registry>(HKEY_CLASSES_ROOT, Flag(view));
    }
    return *v.classRoot;
  }
  bool UserDefines(RegistryView view, const std::string& progId, const std::string& clsid) override {
    Views& v = Get(view);
    if (!v.userIndex) {
      v.user = Win32Registry::OpenSubtree(HKEY_CURRENT_USER, "Software\\Classes", Flag(view), nullptr);
      v.userIndex = std::make_unique<ClassStoreIndex>(v.user.get());
    }
    return v.userIndex->Defines(progId, clsid);
  }
  bool MachineDefines(RegistryView view, const std::string& progId, const std::string& clsid) override {
    Views& v = Get(view);
    if (!v.machineOpened) {
      v.machine = Win32Registry::OpenSubtree(HKEY_LOCAL_MACHINE, "Software\\Classes", Flag(view), nullptr);
      v.machineOpened = true;
    }
    return StoreDefines(v.machine.get(), progId, clsid);
  }
  FileProbe& Files() override { return *files_; }
  std::string Warning() const override { return std::string(); }

 private:
  struct Views {
    std::unique_ptr<Win32Registry> classRoot, user, machine;
    std::unique_ptr<ClassStoreIndex> userIndex;  // every row asks the user's classes
    bool machineOpened = false;
  };

  Views& Get(RegistryView view) {
    if (view != OwnView() && !twoViews_)
      throw ClassRootError("this is a 32-bit system: it has no 64-bit registry view");
    return views_[view == RegistryView::k64 ? 1 : 0];
  }
  // The program's own view is asked for as today, without a flag.
  REGSAM Flag(RegistryView view) const {
    if (view == OwnView()) return 0;
    return view == RegistryView::k64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
  }

  SystemFacts facts_;
  bool twoViews_;
  std::unique_ptr<FileProbe> files_;
  Views views_[2];
};

}  // namespace

std::unique_ptr<ScannedSystem> OpenDefaultScannedSystem() { return std::make_unique<LiveSystem>(); }

}  // namespace orlix
