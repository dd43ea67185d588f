// The console tool's details, broken rows, views and diff, over small Wine prefixes built here:
// system.reg and user.reg, a drive_c with the files that exist, and the dosdevices links.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/scan_diff.h"
#include "base/text.h"
#include "cli/command.h"
#include "tests/native/test_files.h"
#include "tests/support/tool_run.h"

namespace orlix::cli {
namespace {

namespace fs = std::filesystem;

// One class: its ProgID, CLSID and the default value of its InprocServer32 key (in hive syntax).
struct TestClass {
  std::string progId;
  std::string clsid;
  std::string server;
  std::string version = "1.0";
};

std::string HiveKey(const std::string& path) {
  std::string key;
  for (const char c : path) key += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return "[" + key + "] 1712345678\n";
}

std::string HiveClass(const TestClass& c, const std::string& classes) {
  return HiveKey(classes + c.progId) + "@=\"" + c.progId + "\"\n\n" + HiveKey(classes + c.progId + "\\Clsid") +
         "@=\"" + c.clsid + "\"\n\n" + HiveKey(classes + "CLSID\\" + c.clsid + "\\InprocServer32") + "@=\"" +
         c.server + "\"\n\n" + HiveKey(classes + "CLSID\\" + c.clsid + "\\Version") + "@=\"" + c.version + "\"\n\n";
}

void WriteText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// A prefix of the given architecture under the test's temporary folder, with C:\windows\system32
// holding present.dll (and syswow64 holding present.dll for the 32-bit view of a 64-bit prefix).
class Prefix {
 public:
  Prefix(const std::string& name, const std::string& arch) : root_(Base() / name), arch_(arch) {
    fs::remove_all(root_);
    fs::create_directories(root_ / "drive_c/windows/system32");
    fs::create_directories(root_ / "drive_c/windows/syswow64");
    fs::create_directories(root_ / "dosdevices");
    fs::create_directory_symlink("../drive_c", root_ / "dosdevices/c:");
    fs::create_directory_symlink("/", root_ / "dosdevices/z:");
    WriteText(root_ / "drive_c/windows/system32/present.dll", "MZ");
    WriteText(root_ / "drive_c/windows/syswow64/present.dll", "MZ");
  }
  // wow: the 32-bit view of a 64-bit prefix, as Wine keeps it.
  Prefix& Machine(const TestClass& c, bool wow = false) {
    machine_ += HiveClass(c, wow ? "Software\\Classes\\Wow6432Node\\" : "Software\\Classes\\");
    return *this;
  }
  Prefix& User(const TestClass& c) {
    user_ += HiveClass(c, "Software\\Classes\\");
    return *this;
  }
  // Writes the hives; the prefix's path.
  std::string Write() const {
    WriteText(root_ / "system.reg", "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=" + arch_ +
                                        "\n\n" + machine_);
    WriteText(root_ / "user.reg", "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=" +
                                      arch_ + "\n\n" + user_);
    return root_.string();
  }
  static fs::path Base() {
    static const testing_support::TempFolder folder;  // removed at exit
    return folder.Path();
  }

 private:
  fs::path root_;
  std::string arch_;
  std::string machine_;
  std::string user_;
};

TestClass Class(const std::string& name, const std::string& number, const std::string& dll = "present") {
  return {"Orlix." + name, "{00000000-0000-0000-0000-0000000000" + number + "}",
          "C:\\\\windows\\\\system32\\\\" + dll + ".dll"};
}
const TestClass kPresent = Class("Present", "A1"), kMissing = Class("Missing", "A2", "missing"),
                kGone = Class("Gone", "A3"), kAdded = Class("Added", "A4"), kUserOnly = Class("UserOnly", "A5");

using testing_support::Lines;
std::vector<std::string> Cells(const std::string& line) { return Split(line, "\t"); }

// The rows of `scan --details` by ProgID.
std::map<std::string, std::string> DetailLines(const std::string& source) {
  const ToolRun run = Orlixreport({"scan", "--details", "--wine-prefix", source});
  EXPECT_EQ(run.status, 0) << run.err;
  std::map<std::string, std::string> rows;
  for (const std::string& line : Lines(run.out)) rows[Cells(line)[0]] = line;
  return rows;
}

TEST(OrlixreportDetails, TsvAndJsonGiveTheTenColumnsInOrderAndBrokenKeepsMissingFiles) {
  const std::string prefix = Prefix("p", "win32").Machine(kPresent).Machine(kMissing).User(kUserOnly).Write();
  const ToolRun tsv = Orlixreport({"scan", "--details", "--wine-prefix", prefix});
  ASSERT_EQ(tsv.status, 0) << tsv.err;
  const std::vector<std::string> lines = Lines(tsv.out);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "ProgID\tFile Path\tVersion\tAttribute\tCLSID\tServer\tResolved Path\tFile\tView\tScope");
  const std::map<std::string, std::string> rows = DetailLines(prefix);
  EXPECT_EQ(Cells(rows.at("Orlix.Present")),
            (std::vector<std::string>{"Orlix.Present", "C:\\\\windows\\\\system32\\\\present.dll", "1.0", "",
                                      kPresent.clsid, "InprocServer32", "C:\\\\windows\\\\system32\\\\present.dll",
                                      "present", "32", "machine"}));
  EXPECT_EQ(Cells(rows.at("Orlix.Missing"))[7], "missing");
  EXPECT_EQ(Cells(rows.at("Orlix.UserOnly"))[9], "user");

  const ToolRun json = Orlixreport({"scan", "--json", "--details", "--wine-prefix", prefix});
  ASSERT_EQ(json.status, 0) << json.err;
  const std::string first = Lines(json.out).at(1);
  std::size_t at = 0;
  for (const char* key : {"progId", "filePath", "version", "attribute", "clsid", "server", "resolvedPath", "file",
                          "view", "scope"}) {
    const std::size_t found = first.find(std::string("\"") + key + "\": \"", at);
    ASSERT_NE(found, std::string::npos) << key << " in " << first;
    at = found;
  }

  // --broken keeps only the rows whose file is missing, in a scan and in a report.
  const ToolRun broken = Orlixreport({"scan", "--broken", "--wine-prefix", prefix});
  ASSERT_EQ(broken.status, 0) << broken.err;
  EXPECT_EQ(Lines(broken.out), (std::vector<std::string>{lines[0], rows.at("Orlix.Missing")}));
  const ToolRun report = Orlixreport({"report", "--format", "csv", "--broken", "--wine-prefix", prefix});
  ASSERT_EQ(report.status, 0) << report.err;
  EXPECT_NE(report.out.find("\"Resolved Path\",\"File\",\"View\",\"Scope\"\r\n"), std::string::npos) << report.out;
  EXPECT_NE(report.out.find("\"Orlix.Missing\""), std::string::npos);
  EXPECT_EQ(report.out.find("\"Orlix.Present\""), std::string::npos);
}

TEST(OrlixreportDetails, BothViewsListAClassOncePerView) {
  TestClass both = kPresent;
  both.server = "C:\\\\windows\\\\syswow64\\\\present.dll";
  const std::string prefix = Prefix("p64", "win64").Machine(kPresent).Machine(both, true).Write();
  const ToolRun run = Orlixreport({"scan", "--details", "--view", "both", "--wine-prefix", prefix});
  ASSERT_EQ(run.status, 0) << run.err;
  std::map<std::string, std::string> pathByView;
  for (const std::string& line : Lines(run.out)) {
    const std::vector<std::string> cells = Cells(line);
    if (cells[0] != kPresent.progId) continue;
    EXPECT_TRUE(pathByView.emplace(cells[8], cells[1]).second) << "twice in view " << cells[8];
  }
  EXPECT_EQ(pathByView, (std::map<std::string, std::string>{{"32", "C:\\\\windows\\\\syswow64\\\\present.dll"},
                                                           {"64", "C:\\\\windows\\\\system32\\\\present.dll"}}));
  ExpectOneLineFailure(Orlixreport({"scan", "--view", "16", "--wine-prefix", prefix}), "--view takes 32, 64 or both");
}

TEST(OrlixreportDetails, DiffOfPrefixesAndOfASnapshot) {
  TestClass changed = kPresent;
  changed.version = "2.0 \\\"beta\\\"";  // a quote, escaped in the hive
  const std::string before = Prefix("old", "win32").Machine(kPresent).Machine(kMissing).Machine(kGone).Write();
  const std::string after = Prefix("new", "win32").Machine(changed).Machine(kMissing).Machine(kAdded).Write();
  const std::map<std::string, std::string> oldRows = DetailLines(before);
  const std::map<std::string, std::string> newRows = DetailLines(after);
  const std::string expected = "+\t" + newRows.at("Orlix.Added") + "\n-\t" + oldRows.at("Orlix.Gone") + "\n~\t" +
                               newRows.at("Orlix.Present") + "\n";

  const ToolRun prefixes = Orlixreport({"diff", before, after});
  EXPECT_EQ(prefixes.status, 1) << prefixes.err;
  EXPECT_EQ(prefixes.out, expected);

  const std::string snapshot = (Prefix::Base() / "old.json").string();
  WriteText(snapshot, Orlixreport({"scan", "--json", "--details", "--wine-prefix", before}).out);
  const ToolRun fromSnapshot = Orlixreport({"diff", snapshot, after});
  EXPECT_EQ(fromSnapshot.status, 1) << fromSnapshot.err;
  EXPECT_EQ(fromSnapshot.out, expected);

  for (const std::vector<std::string>& same : {std::vector<std::string>{"diff", before, before},
                                               std::vector<std::string>{"diff", snapshot, before},
                                               std::vector<std::string>{"diff", snapshot, snapshot}}) {
    const ToolRun run = Orlixreport(same);
    EXPECT_EQ(run.status, 0) << same[1] << " " << same[2] << ": " << run.err;
    EXPECT_EQ(run.out, "");
  }
}

TEST(OrlixreportDetails, DiffTroubleIsOneLineAndStatusTwo) {
  const std::string prefix = Prefix("p", "win32").Machine(kPresent).Write();
  const fs::path base = Prefix::Base();
  const std::pair<std::string, std::string> snapshots[] = {
      {"hello\n", "garbage.txt"}, {"[\n  {\"progId\": \"A.B\"", "1.json:2"}, {"[{\"progId\": \"A.B\"}]", "no \"filePath\""},
      {"[{\"progId\": 1}]", "must be a string"}, {"[[\"A.B\", \"\"]]", "must be an object"}};
  // Unreadable snapshots name what is wrong; bad command lines are one line too.
  std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
      {{"diff", prefix, (base / "nothing-here").string()}, ""}, {{"diff", prefix}, ""},
      {{"diff", "--view", "both"}, ""}, {{"diff", "--bogus", prefix, prefix}, ""}};
  for (std::size_t k = 0; k < std::size(snapshots); ++k) {
    const std::string file = (base / (k == 0 ? "garbage.txt" : std::to_string(k) + ".json")).string();
    WriteText(file, snapshots[k].first);
    runs.push_back({{"diff", file, prefix}, snapshots[k].second});
  }
  for (const auto& [args, mentions] : runs) {
    const ToolRun run = Orlixreport(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find(mentions), std::string::npos) << run.err;
  }
}

TEST(ScanDiff, MatchesProgIdWithoutCaseByViewAndRepeatsInOrder) {
  auto row = [](const std::string& progId, const std::string& version, const std::string& view) {
    DetailedRow r;
    r[0] = progId;
    r[2] = version;
    r[detailed_column::kView] = view;
    return r;
  };
  const std::vector<DetailedRow> before = {row("A.B", "1", "32"), row("Twice.X", "1", "32"), row("Twice.X", "2", "32"),
                                           row("A.B", "1", "64")};
  const std::vector<DetailedRow> after = {row("a.b", "1", "32"), row("Twice.X", "1", "32"), row("A.B", "1", "64"),
                                          row("Twice.X", "2", "64")};
  std::vector<std::string> seen;
  for (const ScanDifference& d : DiffScans(before, after))
    seen.push_back(ScanChangeMark(d.change) + (*d.row)[0] + (*d.row)[2] + (*d.row)[detailed_column::kView]);
  // The case of a ProgID is a column like any other; the second Twice.X of view 32 is gone.
  EXPECT_EQ(seen, (std::vector<std::string>{"~a.b132", "-Twice.X232", "+Twice.X264"}));
}

}  // namespace
}  // namespace orlix::cli
