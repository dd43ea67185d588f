// `orlixreport diff` of two class roots of 24,000 components against its floor, the two detailed
// scans alone: the comparison and its output must stay cheap beside the scans. The sources are
// Wine prefixes built in a temporary folder (half the servers' files exist, so the file checks
// run); the second differs from the first in about one row in twenty. A JSON snapshot of the
// first against the second prefix is measured too.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "app/component_details.h"
#include "bench/bench_util.h"
#include "cli/command.h"

namespace orlix {
namespace {

namespace fs = std::filesystem;

constexpr int kComponents = 24000;
constexpr int kFiles = 2000;  // servers name bench0.dll .. bench3999.dll; the first half exist

std::string Key(const std::string& path) {
  std::string key = "[";
  for (const char c : path) key += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return key + "] 1712345678\n";
}

// The machine hive: component i, where `changed` alters every 20th version, drops every 50th
// component and adds as many new ones.
std::string Hive(bool changed) {
  std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n";
  char guid[48];
  for (int i = 0; i < kComponents; ++i) {
    int number = i;
    if (changed && i % 50 == 7) number = kComponents + i;  // removed, and another added
    std::snprintf(guid, sizeof guid, "{6F0A4D21-0000-4000-8000-%012d}", number);
    const std::string progId = "Bench" + std::to_string(number) + ".Component";
    const std::string cls = "Software\\Classes\\CLSID\\" + std::string(guid);
    text += Key("Software\\Classes\\" + progId) + "@=\"" + progId + "\"\n\n";
    text += Key("Software\\Classes\\" + progId + "\\Clsid") + "@=\"" + guid + "\"\n\n";
    text += Key(cls + "\\InprocServer32") + "@=\"C:\\\\windows\\\\system32\\\\bench" +
            std::to_string(number % (2 * kFiles)) + ".dll\"\n\"ThreadingModel\"=\"Apartment\"\n\n";
    text += Key(cls + "\\Programmable") + "\n";
    text += Key(cls + "\\Version") + "@=\"" + (changed && i % 20 == 3 ? "2.0" : "1.0") + "\"\n\n";
  }
  return text;
}

// A prefix holding the hive, drive_c with the files that exist and, where the platform makes
// symbolic links, its dosdevices (a Windows build finds drive_c without them); false when the
// links could not be made.
bool WritePrefix(const fs::path& root, bool changed) {
  fs::remove_all(root);
  fs::create_directories(root / "drive_c/windows/system32");
  fs::create_directories(root / "dosdevices");
  std::ofstream(root / "system.reg", std::ios::binary) << Hive(changed);
  std::ofstream(root / "user.reg", std::ios::binary)
      << "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n\n";
  for (int f = 0; f < kFiles; ++f)
    std::ofstream(root / "drive_c/windows/system32" / ("bench" + std::to_string(f) + ".dll")) << "MZ";
  std::error_code ec;
  fs::create_directory_symlink("../drive_c", root / "dosdevices/c:", ec);
  return !ec;
}

}  // namespace
}  // namespace orlix

int main() {
  using namespace orlix;
  const fs::path base = fs::temp_directory_path() / "orlix_scan_diff_bench";
  const fs::path before = base / "old";
  const fs::path after = base / "new";
  const bool oldLinks = WritePrefix(before, false);
  const bool links = WritePrefix(after, true) && oldLinks;
  const fs::path snapshot = base / "old.json";
  {
    std::ostringstream out, err;
    cli::RunOrlixReport({"scan", "--json", "--details", "--wine-prefix", before.string()}, out, err);
    std::ofstream(snapshot, std::ios::binary) << out.str();
  }

  std::size_t lines = 0;
  auto diff = [&](const fs::path& from) {
    std::ostringstream out, err;
    const int status = cli::RunOrlixReport({"diff", from.string(), after.string()}, out, err);
    if (status != 1) std::printf("diff exited %d: %s", status, err.str().c_str());
    const std::string text = out.str();
    lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  };
  auto scans = [&] {
    ClassRootChoice a, b;
    a.winePrefix = before.string();
    b.winePrefix = after.string();
    ScanComponentsWithDetails(a);
    ScanComponentsWithDetails(b);
  };

  constexpr int kRuns = 3;
  std::vector<double> diffs, snapshots, floors;
  for (int run = 0; run < kRuns; ++run) {  // alternating, so that all see the same machine load
    floors.push_back(bench::MedianSeconds(1, scans));
    diffs.push_back(bench::MedianSeconds(1, [&] { diff(before); }));
    snapshots.push_back(bench::MedianSeconds(1, [&] { diff(snapshot); }));
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  std::printf("two prefixes of %d components, %zu difference lines%s\n", kComponents, lines,
              links ? "" : " (no dosdevices links could be made here)");
  bench::PrintRatio("  diff prefix prefix vs the two scans", median(diffs), median(floors));
  bench::PrintRatio("  diff snapshot prefix vs the two scans", median(snapshots), median(floors));
  fs::remove_all(base);
  return 0;
}
