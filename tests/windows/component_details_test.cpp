// Under Wine: the details of the live class root against those of the same prefix read from its
// registry files. They agree row for row, except where Wine's live class root is the machine's
// classes only: a class the user's classes alone define is not listed, and a user entry does not
// shadow the machine's.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/component_details.h"
#include "app/component_scan.h"
#include "platform/ansi_win.h"
#include "platform/unique_handle_win.h"
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

namespace fs = std::filesystem;

// Registrations written for the test and removed again, with the files they name.
class Registrations {
 public:
  ~Registrations() {
    std::error_code ec;
    for (const fs::path& p : files_) fs::remove_all(p, ec);
  }
  void Set(HKEY base, REGSAM view, const std::string& path, const std::string& name, const std::string& text,
           DWORD type = REG_SZ) {
    ASSERT_TRUE(Keys(base, view).Set(path, text, type, name)) << path;
  }
  // A class under base's Software\Classes in a view: ProgID (when given) and registration.
  void Class(HKEY base, REGSAM view, const std::string& progId, const std::string& clsid, const std::string& server,
             const std::string& value, DWORD type = REG_SZ) {
    const std::string classes = "Software\\Classes\\";
    if (!progId.empty()) {
      Set(base, view, classes + progId + "\\Clsid", "", clsid);
      Keys(base, view).Own(classes + progId);
    }
    Set(base, view, classes + "CLSID\\" + clsid + "\\" + server, "", value, type);
    Keys(base, view).Own(classes + "CLSID\\" + clsid);
  }
  // A file that the registrations name, removed with `owned` (it or a folder holding it).
  void File(const fs::path& file, const fs::path& owned) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "MZ";
    files_.push_back(owned);
  }

 private:
  testing_support::TestKeys& Keys(HKEY base, REGSAM view) {
    std::unique_ptr<testing_support::TestKeys>& keys = keys_[{base, view}];
    if (!keys) keys = std::make_unique<testing_support::TestKeys>(base, view);
    return *keys;
  }
  std::map<std::pair<HKEY, REGSAM>, std::unique_ptr<testing_support::TestKeys>> keys_;
  std::vector<fs::path> files_;
};

// (view, ProgID) -> the row's ten texts.
using Rows = std::map<std::pair<std::string, std::string>, std::vector<std::string>>;

Rows RowsOf(const ComponentScan& scan) {
  Rows rows;
  for (std::size_t r = 0; r < scan.details.size(); ++r) {
    const ComponentDetails& d = scan.details[r];
    std::vector<std::string> row;
    for (std::int32_t f = 0; f < component_field::kCount; ++f)
      row.emplace_back(scan.data.At(f, static_cast<std::int32_t>(r)).Text());
    row.insert(row.end(), {d.server, d.resolvedPath, FileStateText(d.file), RegistryViewText(d.view),
                           ClassScopeText(d.scope)});
    rows[{RegistryViewText(d.view), row[component_field::kProgId]}] = row;
  }
  return rows;
}

constexpr std::size_t kFilePathColumn = component_field::kFilePath;
constexpr std::size_t kResolvedColumn = component_field::kCount + 1;
constexpr std::size_t kFileColumn = component_field::kCount + 2;
constexpr std::size_t kScopeColumn = component_field::kCount + 4;

TEST(ComponentDetailsLive, AgreeWithThePrefixFilesExceptWhereWineDoesNotMerge) {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix == nullptr || *prefix == '\0') GTEST_SKIP() << "needs a Wine prefix (there are no registry files to read)";
  BOOL wow64 = FALSE;
  const bool twoViews = sizeof(void*) == 8 || (::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64);
  const char* own = twoViews ? "64" : "32";
  const std::string prefixPath = testing_support::WindowsPath(prefix);

  const std::string run = std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount());
  const std::string folder = "C:\\orlix-details-" + run;
  const std::string bare = "orlixdetails-" + run + ".dll";
  const std::string clsid = "{0B000000-0000-0000-0000-0000000000";
  Registrations reg;
  for (const char* file : {"\\present.dll", "\\server.exe", "\\user.dll"}) reg.File(folder + file, folder);
  reg.File("C:\\Program Files\\orlix-details-" + run + "\\expand.dll", "C:\\Program Files\\orlix-details-" + run);
  reg.File("C:\\windows\\" + bare, "C:\\windows\\" + bare);
  const REGSAM k64 = KEY_WOW64_64KEY, k32 = KEY_WOW64_32KEY;
  const std::string expand = "%ProgramFiles%\\orlix-details-" + run + "\\expand.dll";
  reg.Class(HKEY_LOCAL_MACHINE, k64, "OrlixLive.Present", clsid + "01}", "InprocServer32", folder + "\\present.dll");
  reg.Class(HKEY_LOCAL_MACHINE, k64, "OrlixLive.Missing", clsid + "02}", "InprocServer32", folder + "\\gone.dll");
  reg.Class(HKEY_LOCAL_MACHINE, k64, "OrlixLive.Expand", clsid + "03}", "InprocServer32", expand, REG_EXPAND_SZ);
  reg.Class(HKEY_LOCAL_MACHINE, k64, "OrlixLive.Bare", clsid + "04}", "InprocServer32", bare);
  reg.Class(HKEY_LOCAL_MACHINE, k64, "OrlixLive.Local", clsid + "05}", "LocalServer32",
            "\"" + folder + "\\server.exe\" /automation");
  reg.Class(HKEY_LOCAL_MACHINE, k64, "OrlixLive.LocalGone", clsid + "06}", "LocalServer32", folder + "\\gone.exe -x");
  reg.Class(HKEY_LOCAL_MACHINE, k64, "OrlixLive.NoServer", clsid + "07}", "Programmable", "");
  reg.Class(HKEY_LOCAL_MACHINE, k64, "OrlixLive.Shadowed", clsid + "08}", "InprocServer32", folder + "\\present.dll");
  reg.Class(HKEY_CURRENT_USER, k64, "", clsid + "08}", "InprocServer32", folder + "\\user.dll");
  reg.Class(HKEY_CURRENT_USER, k64, "OrlixLive.UserOnly", clsid + "09}", "InprocServer32", folder + "\\user.dll");
  // The 32-bit view's own registrations (Wow6432Node): its own Program Files folder.
  if (twoViews) reg.Class(HKEY_LOCAL_MACHINE, k32, "OrlixLive.Present", clsid + "01}", "InprocServer32", folder + "\\present.dll");
  if (twoViews) reg.Class(HKEY_LOCAL_MACHINE, k32, "OrlixLive.Expand", clsid + "03}", "InprocServer32", expand, REG_EXPAND_SZ);
  if (HasFatalFailure()) return;

  // wineserver writes the registry files lazily: wait until both hold this run's keys.
  reg.Set(HKEY_LOCAL_MACHINE, k64, "Software\\Classes\\OrlixLive.Present", "OrlixRun", run);
  reg.Set(HKEY_CURRENT_USER, k64, "Software\\Classes\\OrlixLive.UserOnly", "OrlixRun", run);
  bool written = false;
  for (int second = 0; second < 120 && !written; ++second) {
    written = testing_support::ReadFileBytes(prefixPath + "\\system.reg").find(run) != std::string::npos &&
              testing_support::ReadFileBytes(prefixPath + "\\user.reg").find(run) != std::string::npos;
    if (!written) ::Sleep(1000);
  }
  ASSERT_TRUE(written) << "the registry files were not written within 120 s";

  const Rows live = RowsOf(ScanComponentsWithDetails(ClassRootChoice(), ViewChoice::kBoth));
  ClassRootChoice files;
  files.winePrefix = prefixPath;
  const Rows read = RowsOf(ScanComponentsWithDetails(files, ViewChoice::kBoth));

  // The fixture answers as it should on the file side, so that agreeing means something.
  const std::pair<const char*, const char*> states[] = {
      {"OrlixLive.Present", "present"}, {"OrlixLive.Missing", "missing"},   {"OrlixLive.Expand", "present"},
      {"OrlixLive.Bare", "present"},    {"OrlixLive.Local", "present"},     {"OrlixLive.LocalGone", "missing"},
      {"OrlixLive.NoServer", "unknown"}, {"OrlixLive.Shadowed", "present"}, {"OrlixLive.UserOnly", "present"},
  };
  for (const auto& [progId, state] : states) {
    ASSERT_TRUE(read.count({own, progId})) << progId;
    EXPECT_EQ(read.at({own, progId})[kFileColumn], state) << progId;
  }
  if (twoViews) {
    EXPECT_EQ(read.at({"32", "OrlixLive.Expand"})[kFileColumn], "missing");  // Program Files (x86)
    EXPECT_EQ(read.at({"32", "OrlixLive.Present"})[kFileColumn], "present");
  }

  // Where Wine's class root differs: not listed, and not shadowed (the scope still says so).
  EXPECT_EQ(read.at({own, "OrlixLive.UserOnly"})[kScopeColumn], "user");
  EXPECT_FALSE(live.count({own, "OrlixLive.UserOnly"}));
  const auto& shadowedLive = live.at({own, "OrlixLive.Shadowed"});
  const auto& shadowedRead = read.at({own, "OrlixLive.Shadowed"});
  EXPECT_EQ(shadowedRead[kFilePathColumn], folder + "\\user.dll");
  EXPECT_EQ(shadowedLive[kFilePathColumn], folder + "\\present.dll");
  EXPECT_EQ(shadowedLive[kScopeColumn], "user-over-machine");
  EXPECT_EQ(shadowedRead[kScopeColumn], "user-over-machine");

  // Everything else, Wine's own classes included, agrees column for column.
  std::size_t compared = 0;
  for (const auto& [key, row] : read) {
    if (row[kScopeColumn] != "machine") continue;
    ASSERT_TRUE(live.count(key)) << key.first << " " << key.second;
    EXPECT_EQ(live.at(key), row) << key.first << " " << key.second << ": " << row[kResolvedColumn];
    ++compared;
  }
  for (const auto& [key, row] : live) {
    EXPECT_TRUE(read.count(key)) << key.first << " " << key.second;
  }
  EXPECT_GT(compared, 20u);
}

}  // namespace
}  // namespace orlix
