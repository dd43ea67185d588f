#include <windows.h>

#include <memory>
#include <string>

#include "app/scanned_system.h"
#include "base/text.h"
#include "platform/ansi_win.h"
#include "platform/registry_win.h"

namespace orlix {
namespace {

bool IsWow64() {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

constexpr bool kProgramIs64Bit = sizeof(void*) == 8;

// The running machine's files. A 32-bit program on 64-bit Windows reaches the real system32
// through Sysnative: its own "system32" is redirected.
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
    const DWORD attributes = ::GetFileAttributesW(Utf8ToWide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
      return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileState::kMissing : FileState::kPresent;
    switch (::GetLastError()) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
      case ERROR_INVALID_NAME:
      case ERROR_BAD_PATHNAME:
        return FileState::kMissing;
      default:
        return FileState::kUnknown;  // a drive not ready, a network path out of reach, no access
    }
  }

 private:
  std::string system32_;
  bool redirected_;
};

SystemFacts LiveFacts(bool twoViews) {
  SystemFacts facts;
  facts.twoViews = twoViews;
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH);
  if (length > 0 && length <= MAX_PATH) facts.windowsFolder = WideToUtf8(folder);
  std::unique_ptr<wchar_t, decltype(&::FreeEnvironmentStringsW)> block(::GetEnvironmentStringsW(),
                                                                      &::FreeEnvironmentStringsW);
  for (const wchar_t* entry = block.get(); entry != nullptr && *entry != L'\0'; entry += wcslen(entry) + 1) {
    const std::string text = WideToUtf8(entry);
    const std::size_t equals = text.find('=', 1);  // "=C:=C:\..." entries start with '='
    if (text.front() == '=' || equals == std::string::npos) continue;
    facts.environment[text.substr(0, equals)] = text.substr(equals + 1);
  }
  return facts;
}

class LiveSystem : public ScannedSystem {
 public:
  LiveSystem() : twoViews_(kProgramIs64Bit || IsWow64()), facts_(LiveFacts(twoViews_)),
                 files_(facts_.windowsFolder, !kProgramIs64Bit && twoViews_) {}

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
    if (!v.userOpened) {
      v.user = Win32Registry::OpenSubtree(HKEY_CURRENT_USER, "Software\\Classes", Flag(view), nullptr);
      v.userOpened = true;
    }
    return StoreDefines(v.user.get(), progId, clsid);
  }
  bool MachineDefines(RegistryView view, const std::string& progId, const std::string& clsid) override {
    Views& v = Get(view);
    if (!v.machineOpened) {
      v.machine = Win32Registry::OpenSubtree(HKEY_LOCAL_MACHINE, "Software\\Classes", Flag(view), nullptr);
      v.machineOpened = true;
    }
    return StoreDefines(v.machine.get(), progId, clsid);
  }
  FileProbe& Files() override { return files_; }
  std::string Warning() const override { return std::string(); }

 private:
  struct Views {
    std::unique_ptr<Win32Registry> classRoot, user, machine;
    bool userOpened = false, machineOpened = false;
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

  bool twoViews_;
  SystemFacts facts_;
  LiveFiles files_;
  Views views_[2];
};

}  // namespace

std::unique_ptr<ScannedSystem> OpenDefaultScannedSystem() { return std::make_unique<LiveSystem>(); }

}  // namespace orlix
