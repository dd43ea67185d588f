#include "app/component_details.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "app/component_scan.h"
#include "app/path_resolution.h"
#include "base/text.h"
#include "tests/native/test_files.h"

namespace orlix {
namespace {

namespace fs = std::filesystem;

// Wine's hive notation of a key or a string: backslashes doubled.
std::string Hive(const std::string& text) { return ReplaceExact(ReplaceExact(text, "\\", "\\\\"), "\"", "\\\""); }

struct ClassEntry {
  std::string progId;  // empty: the class registration only
  std::string clsid;
  std::string server;  // empty: no server key
  std::string value;
  bool expand = false;
  std::string root = "Software\\Classes\\";
};
const char kWow64Root[] = "Software\\Classes\\Wow6432Node\\";

std::string HiveText(const std::string& relativeTo, const std::vector<ClassEntry>& entries, const std::string& more) {
  std::string text = "WINE REGISTRY Version 2\n;; All keys relative to " + relativeTo + "\n\n#arch=win64\n\n";
  for (const ClassEntry& e : entries) {
    if (!e.progId.empty()) text += "[" + Hive(e.root + e.progId) + "\\\\Clsid] 1\n@=\"" + e.clsid + "\"\n\n";
    const std::string cls = "[" + Hive(e.root + "CLSID\\" + e.clsid);
    text += cls + "\\\\Programmable] 1\n\n";
    if (!e.server.empty())
      text += cls + "\\\\" + e.server + "] 1\n@=" + (e.expand ? "str(2):" : "") + "\"" + Hive(e.value) + "\"\n\n";
  }
  return text + more;
}

void Touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "MZ";
}

// A 64-bit Wine prefix holding every case the details tell apart.
class DetailsPrefix : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("orlix-details-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir_);
    for (const char* file : {"windows/system32/OrlixPresent.DLL", "windows/orlixbare.dll", "orlixtools/orlixpath.dll",
                             "Program Files/Orlix/expand.dll", "Program Files (x86)/Orlix/expand.dll",
                             "Program Files/Orlix/server.exe", "users/me/orlix.dll", "users/me/hijack.dll"})
      Touch(dir_ / "drive_c" / file);
    Touch(dir_ / "zdrive/orlixz.dll");
    fs::create_directories(dir_ / "dosdevices");
    fs::create_directory_symlink("../drive_c", dir_ / "dosdevices/c:");
    fs::create_directory_symlink("/", dir_ / "dosdevices/z:");
    const std::string zPath = "Z:" + ReplaceExact((dir_ / "zdrive/orlixz.dll").string(), "/", "\\");

    const std::vector<ClassEntry> machine = {
        {"Orlix.Present", "{0A000000-0000-0000-0000-000000000001}", "InprocServer32", "C:\\windows\\system32\\orlixpresent.dll"},
        {"Orlix.Missing", "{0A000000-0000-0000-0000-000000000002}", "InprocServer32", "C:\\windows\\system32\\orlixgone.dll"},
        {"Orlix.Expand", "{0A000000-0000-0000-0000-000000000003}", "InprocServer32", "%ProgramFiles%\\Orlix\\expand.dll", true},
        {"Orlix.Bare", "{0A000000-0000-0000-0000-000000000004}", "InprocServer32", "orlixbare.dll"},
        {"Orlix.OnPath", "{0A000000-0000-0000-0000-000000000005}", "InprocServer32", "orlixpath.dll"},
        {"Orlix.Local", "{0A000000-0000-0000-0000-000000000006}", "LocalServer32", "\"C:\\Program Files\\Orlix\\server.exe\" /automation"},
        {"Orlix.Unquoted", "{0A000000-0000-0000-0000-000000000007}", "LocalServer32", "C:\\Program Files\\Orlix\\server -Embedding"},
        {"Orlix.LocalGone", "{0A000000-0000-0000-0000-000000000008}", "LocalServer32", "\"C:\\Program Files\\Orlix\\gone.exe\" /automation"},
        {"Orlix.NoServer", "{0A000000-0000-0000-0000-000000000009}", "", ""},
        {"Orlix.Shadowed", "{0A000000-0000-0000-0000-00000000000B}", "InprocServer32", "C:\\windows\\system32\\orlixpresent.dll"},
        {"Orlix.ZDrive", "{0A000000-0000-0000-0000-00000000000C}", "InprocServer32", zPath},
        // The 32-bit view's own registrations.
        {"Orlix.Present", "{0A000000-0000-0000-0000-000000000001}", "InprocServer32", "C:\\windows\\system32\\orlixpresent.dll", false, kWow64Root},
        {"Orlix.Expand", "{0A000000-0000-0000-0000-000000000003}", "InprocServer32", "%ProgramFiles%\\Orlix\\expand.dll", true, kWow64Root},
        {"Orlix.Wow", "{0A000000-0000-0000-0000-00000000000D}", "InprocServer32", "C:\\windows\\system32\\orlixpresent.dll", false, kWow64Root},
    };
    const std::string environment =
        "[System\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\Environment] 1\n"
        "\"PATH\"=str(2):\"%SystemRoot%\\\\system32;%SystemRoot%;C:\\\\orlixtools\"\n\n"
        "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1\n\"SystemRoot\"=\"C:\\\\windows\"\n\n";
    std::ofstream(dir_ / "system.reg") << HiveText("\\\\Machine", machine, environment);
    const std::vector<ClassEntry> user = {
        {"Orlix.UserOnly", "{0A000000-0000-0000-0000-00000000000A}", "InprocServer32", "%USERPROFILE%\\orlix.dll", true},
        {"", "{0A000000-0000-0000-0000-00000000000B}", "InprocServer32", "C:\\users\\me\\hijack.dll"},
        {"", "{0A000000-0000-0000-0000-00000000000D}", "InprocServer32", "C:\\users\\me\\hijack.dll", false, kWow64Root},
    };
    std::ofstream(dir_ / "user.reg") << HiveText("\\\\User\\\\S-1-5-21-0-0-0-1000", user,
                                                 "[Volatile Environment] 1\n\"USERPROFILE\"=\"C:\\\\users\\\\me\"\n\n");
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  static ClassRootChoice Prefix() {
    ClassRootChoice choice;
    choice.winePrefix = dir_.string();
    return choice;
  }

  static fs::path dir_;
};
fs::path DetailsPrefix::dir_;

struct Expected {
  const char* progId;
  RegistryView view;
  const char* server;
  const char* resolved;
  FileState file;
  ClassScope scope;
};

TEST_F(DetailsPrefix, EveryCaseInBothViews) {
  using V = RegistryView;
  using F = FileState;
  using S = ClassScope;
  const std::string z = "Z:" + ReplaceExact((dir_ / "zdrive/orlixz.dll").string(), "/", "\\");
  const Expected expected[] = {
      {"Orlix.Present", V::k64, "InprocServer32", "C:\\windows\\system32\\orlixpresent.dll", F::kPresent, S::kMachine},
      {"Orlix.Missing", V::k64, "InprocServer32", "C:\\windows\\system32\\orlixgone.dll", F::kMissing, S::kMachine},
      {"Orlix.Expand", V::k64, "InprocServer32", "C:\\Program Files\\Orlix\\expand.dll", F::kPresent, S::kMachine},
      {"Orlix.Bare", V::k64, "InprocServer32", "C:\\windows\\orlixbare.dll", F::kPresent, S::kMachine},
      {"Orlix.OnPath", V::k64, "InprocServer32", "C:\\orlixtools\\orlixpath.dll", F::kPresent, S::kMachine},
      {"Orlix.Local", V::k64, "LocalServer32", "C:\\Program Files\\Orlix\\server.exe", F::kPresent, S::kMachine},
      {"Orlix.Unquoted", V::k64, "LocalServer32", "C:\\Program Files\\Orlix\\server.exe", F::kPresent, S::kMachine},
      {"Orlix.LocalGone", V::k64, "LocalServer32", "C:\\Program Files\\Orlix\\gone.exe", F::kMissing, S::kMachine},
      {"Orlix.NoServer", V::k64, "", "", F::kUnknown, S::kMachine},
      {"Orlix.UserOnly", V::k64, "InprocServer32", "C:\\users\\me\\orlix.dll", F::kPresent, S::kUser},
      {"Orlix.Shadowed", V::k64, "InprocServer32", "C:\\users\\me\\hijack.dll", F::kPresent, S::kUserOverMachine},
      {"Orlix.ZDrive", V::k64, "InprocServer32", z.c_str(), F::kPresent, S::kMachine},
      // The 32-bit view: its own class registrations, its own system and Program Files folders.
      {"Orlix.Present", V::k32, "InprocServer32", "C:\\windows\\SysWOW64\\orlixpresent.dll", F::kMissing, S::kMachine},
      {"Orlix.Expand", V::k32, "InprocServer32", "C:\\Program Files (x86)\\Orlix\\expand.dll", F::kPresent, S::kMachine},
      {"Orlix.Wow", V::k32, "InprocServer32", "C:\\users\\me\\hijack.dll", F::kPresent, S::kUserOverMachine},
  };
  const ComponentScan scan = ScanComponentsWithDetails(Prefix(), ViewChoice::kBoth);
  ASSERT_EQ(scan.details.size(), static_cast<std::size_t>(scan.data.UpperBound(1) + 1));
  for (const Expected& e : expected) {
    SCOPED_TRACE(std::string(e.progId) + " view " + RegistryViewText(e.view));
    bool found = false;
    for (std::size_t r = 0; r < scan.details.size(); ++r) {
      const ComponentDetails& d = scan.details[r];
      if (scan.data.At(component_field::kProgId, static_cast<std::int32_t>(r)).Text() != e.progId || d.view != e.view)
        continue;
      found = true;
      EXPECT_EQ(d.server, e.server);
      EXPECT_EQ(d.resolvedPath, e.resolved);
      EXPECT_STREQ(FileStateText(d.file), FileStateText(e.file));
      EXPECT_STREQ(ClassScopeText(d.scope), ClassScopeText(e.scope));
    }
    EXPECT_TRUE(found);
  }
  // The 32-bit view's rows come first, and they are its own.
  ASSERT_GE(scan.details.size(), 4u);
  EXPECT_EQ(scan.details[2].view, RegistryView::k32);
  EXPECT_EQ(scan.details[3].view, RegistryView::k64);
  EXPECT_EQ(scan.details.back().view, RegistryView::k64);
}

TEST_F(DetailsPrefix, OwnViewIsThePlainScan) {
  const ComponentScan scan = ScanComponentsWithDetails(Prefix());
  OpenedClassRoot root = OpenClassRoot(Prefix());
  const VariantArray plain = BuildComponentList(*root.source);
  ASSERT_EQ(scan.data.UpperBound(1), plain.UpperBound(1));
  for (std::int32_t r = 0; r <= plain.UpperBound(1); ++r) {
    for (std::int32_t f = 0; f < component_field::kCount; ++f) EXPECT_EQ(scan.data.At(f, r), plain.At(f, r));
    EXPECT_EQ(scan.details[static_cast<std::size_t>(r)].view, RegistryView::k64);
  }
}

class PresentFiles : public FileProbe {
 public:
  explicit PresentFiles(std::set<std::string> present) : present_(std::move(present)) {}
  FileState Probe(const std::string& path) override {
    if (path.compare(0, 2, "\\\\") == 0) return FileState::kUnknown;
    return present_.count(ToLowerAscii(path)) ? FileState::kPresent : FileState::kMissing;
  }

 private:
  std::set<std::string> present_;
};

TEST(ResolveServerFile, CommandLinesAndReferences) {
  SystemFacts facts;
  facts.twoViews = true;
  facts.environment["SystemRoot"] = "C:\\windows";
  facts.environment["Path"] = "C:\\windows\\system32;C:\\tools\\;relative";
  PresentFiles files({"c:\\program files\\app\\app.exe", "c:\\tools\\tool.exe", "c:\\windows\\system32\\drivers\\etc\\x.dll",
                      "c:\\app.exe"});
  struct Case {
    const char* server;
    const char* value;
    RegistryView view;
    const char* resolved;
    FileState file;
  } cases[] = {
      // CreateProcess tries "C:\Program" (.exe) first, then the longer runs of words.
      {"LocalServer32", "C:\\Program Files\\App\\app.exe /Automation", RegistryView::k64,
       "C:\\Program Files\\App\\app.exe", FileState::kPresent},
      {"LocalServer32", "C:\\Program Files\\App\\app /Automation", RegistryView::k64,
       "C:\\Program Files\\App\\app.exe", FileState::kPresent},
      {"LocalServer32", "C:\\app.exe -Embedding", RegistryView::k64, "C:\\app.exe", FileState::kPresent},
      {"LocalServer32", "C:\\Gone Away\\gone.exe /x", RegistryView::k64, "C:\\Gone Away\\gone.exe", FileState::kMissing},
      {"LocalServer32", "tool -Embedding", RegistryView::k64, "C:\\tools\\tool.exe", FileState::kPresent},
      // An unclosed quote runs to the end; an unknown reference stays as written.
      {"InprocServer32", "\"C:\\Program Files\\App\\app.exe", RegistryView::k64, "C:\\Program Files\\App\\app.exe",
       FileState::kPresent},
      {"InprocServer32", "%NoSuchVariable%\\x.dll", RegistryView::k64, "%NoSuchVariable%\\x.dll", FileState::kUnknown},
      {"InprocServer32", "\\app.exe", RegistryView::k64, "C:\\app.exe", FileState::kPresent},
      {"InprocServer32", "C:\\app", RegistryView::k64, "C:\\app.dll", FileState::kMissing},
      {"InprocServer32", "\\\\server\\share\\x.dll", RegistryView::k64, "\\\\server\\share\\x.dll", FileState::kUnknown},
      // WOW64 leaves drivers\etc where it is.
      {"InprocServer32", "%SystemRoot%\\System32\\drivers\\etc\\x.dll", RegistryView::k32,
       "C:\\windows\\System32\\drivers\\etc\\x.dll", FileState::kPresent},
      {"RemoteServerName", "server01", RegistryView::k64, "", FileState::kUnknown},
      {"LocalServer32", "\"\" /x", RegistryView::k64, "", FileState::kUnknown},
      {"InprocServer32", "", RegistryView::k64, "", FileState::kUnknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const ResolvedFile resolved = ResolveServerFile(c.server, c.value, c.view, facts, files);
    EXPECT_EQ(resolved.path, c.resolved);
    EXPECT_STREQ(FileStateText(resolved.file), FileStateText(c.file));
  }
}

// A registry export given alone: a 32-bit system whose files are not there to look at.
TEST(ComponentDetails, RegistryExportAlone) {
  const testing_support::TempFolder temp;
  const std::string file = temp.Write("export.reg", "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\Orlix.Exported\\Clsid]\r\n@=\"{0C000000-0000-0000-0000-000000000001}\"\r\n\r\n"
                         "[HKEY_CLASSES_ROOT\\CLSID\\{0C000000-0000-0000-0000-000000000001}\\InprocServer32]\r\n"
                         "@=\"%SystemRoot%\\\\System32\\\\exported.dll\"\r\n\r\n"
                         "[HKEY_CLASSES_ROOT\\Orlix.Tools\\Clsid]\r\n@=\"{0C000000-0000-0000-0000-000000000002}\"\r\n\r\n"
                         "[HKEY_CLASSES_ROOT\\CLSID\\{0C000000-0000-0000-0000-000000000002}\\InprocServer32]\r\n"
                         "@=\"%OrlixTools%\\\\tools.dll\"\r\n\r\n"
                         // The system's own environment, written beside the classes ("D:\Tools").
                         "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\r\n"
                         "\"OrlixTools\"=hex(2):44,3a,5c,54,6f,\\\r\n  6f,6c,73,00\r\n");
  ClassRootChoice choice;
  choice.registryFile = file;
  const ComponentScan scan = ScanComponentsWithDetails(choice, ViewChoice::kBoth);
  ASSERT_EQ(scan.details.size(), 2u);
  EXPECT_EQ(scan.details[0].resolvedPath, "C:\\Windows\\System32\\exported.dll");
  EXPECT_EQ(scan.details[1].resolvedPath, "D:\\Tools\\tools.dll");
  EXPECT_EQ(scan.details[0].file, FileState::kUnknown);
  EXPECT_EQ(scan.details[0].view, RegistryView::k32);
  EXPECT_THROW(ScanComponentsWithDetails(choice, ViewChoice::k64), ClassRootError);
}

}  // namespace
}  // namespace orlix
