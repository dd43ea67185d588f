#include "report/report_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/locale_info.h"
#include "platform/file_system.h"
#include "platform/process_launcher.h"
#include "report/report.h"
#include "report/report_jobs.h"
#include "report/report_pipeline.h"
#include "reportview/memory_grid.h"
#include "tests/support/fake_class_root.h"
#include "tests/native/test_files.h"
#include "tests/support/scripted_prompt.h"

namespace orlix {
namespace {

using testing_support::FakeClassRoot;
using testing_support::ReadAll;
using testing_support::ScriptedPrompt;

// 6 March 2002, 9:05:07.
constexpr double kMarch6th2002At090507 = 37321.0 + (9 * 3600 + 5 * 60 + 7) / 86400.0;

const char kExistsQuestionTail[] = "' already exists.\r\n\r\nOverwrite the existing file?";
std::string CouldNotDelete(const std::string& path) {
  return "Could not delete the file '" + path +
         "'.\r\nPlease make sure that the file is not currently being used by another application\r\n"
         "and that you have rights to delete the file.";
}

// The machine's file system with the temporary folder moved into the test's own folder and
// failures that a test can switch on.
class TestFileSystem : public FileSystem {
 public:
  std::string tempBuffer;
  std::string windowsBuffer;
  bool failReplace = false;
  std::set<std::string> hidden;

  char PathSeparator() const override { return '/'; }
  std::string TempPathBuffer() override { return tempBuffer; }
  std::string WindowsDirectoryBuffer() override { return windowsBuffer; }
  PathState StatePath(const std::string& path) override {
    const PathState state = LocalFileSystem().StatePath(path);
    return state == PathState::NormalFile && hidden.count(path) ? PathState::HiddenOrSystem : state;
  }
  bool RemoveFile(const std::string& path) override { return LocalFileSystem().RemoveFile(path); }
  WriteResult WriteNewFile(const std::string& path, const std::string& bytes, std::string* error) override {
    return LocalFileSystem().WriteNewFile(path, bytes, error);
  }
  WriteResult WriteNewFileInPieces(const std::string& path, const std::function<void(const PieceSink&)>& produce,
                                   std::string* error) override {
    return LocalFileSystem().WriteNewFileInPieces(path, produce, error);
  }
  bool ReplaceFile(const std::string& source, const std::string& target, std::string* error) override {
    if (failReplace) {
      *error = "Sharing violation";
      return false;
    }
    return LocalFileSystem().ReplaceFile(source, target, error);
  }
};

class RecordingLauncher : public ProcessLauncher {
 public:
  std::vector<std::string> started;
  std::vector<std::string> opened;
  std::string failWith;

  bool StartCommandLine(const std::string& commandLine, std::string* error) override {
    started.push_back(commandLine);
    if (!failWith.empty()) *error = failWith;
    return failWith.empty();
  }
  bool OpenDocument(const std::string& path, std::string* commandLine, std::string* error) override {
    opened.push_back(path);
    *commandLine = "xdg-open \"" + path + "\"";
    if (!failWith.empty()) *error = failWith;
    return failWith.empty();
  }
};

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  return names;
}

class ReportFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files_.tempBuffer = "  " + folder_ + "/ " + std::string(1, '\0') + "garbage after the terminator";
    files_.windowsBuffer = "C:/WINDOWS/" + std::string(1, '\0');
    params_ = std::make_shared<ReportParameters>();
    report_.Title = "Classic Black";
    report_.ReportType = kReportHtml;
    report_.Generated = true;
    report_.ReportContents = "<html>report</html>";
    report_.ExtraParameters(params_);
    ReportServices services;
    services.files = &files_;
    services.prompt = &prompt_;
    services.registry = &registry_;
    services.launcher = &launcher_;
    services.locale = &EnglishUnitedStates();
    services.now = [] { return kMarch6th2002At090507; };
    report_.SetServices(services);
  }
  void AddParameter(const std::string& key, const std::string& value) {
    params_->Add(std::make_shared<cReportParam>(cReportParam{key, value}), key);
  }
  // Stores to the temporary folder and gives the file name without the folder.
  std::string StoreTemporaryName() {
    EXPECT_TRUE(report_.StoreReportContent(true, ""));
    EXPECT_TRUE(report_.LocalFileIsTemporary);
    const std::string prefix = folder_ + "/";
    EXPECT_EQ(report_.LocalFileName.compare(0, prefix.size(), prefix), 0) << report_.LocalFileName;
    EXPECT_TRUE(Exists(report_.LocalFileName));
    return report_.LocalFileName.substr(prefix.size());
  }

  const testing_support::TempFolder temp_;
  const std::string folder_ = temp_.Path();
  TestFileSystem files_;
  ScriptedPrompt prompt_;
  FakeClassRoot registry_;
  RecordingLauncher launcher_;
  std::shared_ptr<ReportParameters> params_;
  cReport report_;
};

TEST_F(ReportFilesTest, TemporaryNameIsTitleDateTimeAndExtension) {
  AddParameter("{||ReportTitle||}", "Report");
  EXPECT_EQ(StoreTemporaryName(), "Report Mar 6 2002 9-5-7.html");
  EXPECT_EQ(ReadAll(report_.LocalFileName), "<html>report</html>");
  // A second view in the same second replaces the first without asking.
  report_.ReportContents = "second";
  EXPECT_EQ(StoreTemporaryName(), "Report Mar 6 2002 9-5-7.html");
  EXPECT_EQ(ReadAll(report_.LocalFileName), "second");
  EXPECT_TRUE(prompt_.History().empty());
  for (const auto& [type, extension] : {std::pair{kReportRtf, "rtf"}, std::pair{kReportCsv, "csv"}, std::pair{3, ""}}) {
    report_.ReportType = type;
    EXPECT_EQ(report_.FileExtension(), extension);
    EXPECT_EQ(StoreTemporaryName(), std::string("Report Mar 6 2002 9-5-7.") + extension);
  }
}

TEST_F(ReportFilesTest, NameTitlesAreCutCleanedAndFallBack) {
  using Params = std::vector<std::pair<std::string, std::string>>;
  const std::pair<Params, std::string> cases[] = {
      // 60 characters, one of them two bytes long in UTF-8: the cut counts characters.
      {{{"{||ReportTitle||}", "\xC3\xA9" + std::string(59, 'x')}}, "\xC3\xA9" + std::string(49, 'x')},
      {{{"{||ReportTitle||}", std::string(55, 'T')}, {"{||CurrentItemTitle||}", std::string(70, 'I')}},
       std::string(50, 'T') + " " + std::string(50, 'I')},
      {{{"{||ReportTitle||}", ""}}, "Talvern Report"},
      {{{"{||CurrentItemTitle||}", "Item"}}, " Item"},
      {{{"{||Date||}", "Wednesday"}, {"{||ReportTitle||}", "On {||Date||}"}}, "On {||Date||}"},  // unexpanded
  };
  for (const auto& [params, title] : cases) {
    params_->Clear();
    for (const auto& [key, value] : params) AddParameter(key, value);
    EXPECT_EQ(NameTitle(params_.get()), title);
  }
  EXPECT_EQ(NameTitle(nullptr), "Talvern Report");
  params_->Clear();
  AddParameter("{||ReportTitle||}", "Q1: a/b <c> *d?* \"e\" f|g h\\i");  // the file name is cleaned
  EXPECT_EQ(StoreTemporaryName(), "Q1 ab c d e fg hi Mar 6 2002 9-5-7.html");
}

TEST_F(ReportFilesTest, SavingOverAnExistingFileAsksFirst) {
  const std::string target = temp_.Write("saved.html", "old content");

  prompt_.Answer(false);
  EXPECT_FALSE(report_.StoreReportContent(false, target));
  ASSERT_EQ(prompt_.History().size(), 1u);
  EXPECT_TRUE(prompt_.History()[0].question);
  EXPECT_EQ(prompt_.History()[0].caption, "Talvern");
  EXPECT_EQ(prompt_.History()[0].text, "The file '" + target + kExistsQuestionTail);
  EXPECT_EQ(ReadAll(target), "old content");
  EXPECT_EQ(report_.LocalFileName, target);
  EXPECT_FALSE(report_.LocalFileIsTemporary);

  prompt_.Answer(true);
  EXPECT_TRUE(report_.StoreReportContent(false, target));
  EXPECT_EQ(prompt_.History().size(), 2u);
  EXPECT_EQ(ReadAll(target), "<html>report</html>");
  // Only the saved file is left: the staging copy was moved into place.
  EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"saved.html"});
}

TEST_F(ReportFilesTest, FailedReplacementKeepsTheOldFileAndSaysSo) {
  const std::string target = temp_.Write("locked.rtf", "old content");
  files_.failReplace = true;
  prompt_.Answer(true);
  EXPECT_FALSE(report_.StoreReportContent(false, target));
  ASSERT_EQ(prompt_.History().size(), 2u);
  EXPECT_FALSE(prompt_.History()[1].question);
  EXPECT_EQ(prompt_.History()[1].caption, "Talvern");
  EXPECT_EQ(prompt_.History()[1].text, CouldNotDelete(target));
  EXPECT_EQ(ReadAll(target), "old content");
  EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"locked.rtf"});
}

TEST_F(ReportFilesTest, StagingSkipsNamesAlreadyTaken) {
  const std::string target = temp_.Write("busy.csv", "old");
  temp_.Write("busy.csv.1.tmp", "somebody else's");
  prompt_.Answer(true);
  EXPECT_TRUE(report_.StoreReportContent(false, target));
  EXPECT_EQ(ReadAll(target), "<html>report</html>");
  EXPECT_EQ(ReadAll(target + ".1.tmp"), "somebody else's");
}

TEST_F(ReportFilesTest, HiddenFilesAreAskedAboutAndReplacedToo) {
  const std::string target = temp_.Write("hidden.html", "old");
  files_.hidden.insert(target);
  prompt_.Answer(true);
  EXPECT_TRUE(report_.StoreReportContent(false, target));
  ASSERT_EQ(prompt_.History().size(), 1u);
  EXPECT_EQ(prompt_.History()[0].text, "The file '" + target + kExistsQuestionTail);
  EXPECT_EQ(ReadAll(target), "<html>report</html>");
}

TEST_F(ReportFilesTest, WriteErrorsAreShownWithTheReason) {
  const std::string target = folder_ + "/missing/report.html";
  EXPECT_FALSE(report_.StoreReportContent(false, target));
  const std::string folder = folder_ + "/folder";  // a folder in the way is no question
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  EXPECT_FALSE(report_.StoreReportContent(false, folder));
  ASSERT_EQ(prompt_.History().size(), 2u);
  EXPECT_FALSE(prompt_.History()[0].question);
  EXPECT_EQ(prompt_.History()[0].text, "Error writing file '" + target + "':\r\n\r\nNo such file or directory");
  EXPECT_FALSE(prompt_.History()[1].question);
  EXPECT_EQ(prompt_.History()[1].text.rfind("Error writing file '" + folder + "':\r\n\r\n", 0), 0u);
}

TEST_F(ReportFilesTest, FileBytesAreWindows1252WithoutMark) {
  report_.ReportContents = "caf\xC3\xA9 \xE2\x80\x93 \xE2\x82\xAC \xE2\x84\xA2 \xE4\xB8\xAD\r\n";
  const std::string target = folder_ + "/bytes.csv";
  EXPECT_TRUE(report_.StoreReportContent(false, target));
  EXPECT_EQ(ReadAll(target), "caf\xE9 \x96 \x80 \x99 ?\r\n");
}

TEST_F(ReportFilesTest, AReportNotYetRenderedIsRenderedBeforeWriting) {
  MemoryGrid grid;
  grid.AddColumn("", "Name");
  grid.AddColumn("", "Note");
  grid.AddItem("a");
  grid.SetSubItem(0, 1, "say \"hi\"");
  report_.ListView(&grid);
  report_.ReportType = kReportCsv;
  report_.Generated = false;
  report_.ReportContents = "stale";
  const std::string target = folder_ + "/fresh.csv";
  EXPECT_TRUE(report_.StoreReportContent(false, target));
  EXPECT_TRUE(report_.Generated);
  EXPECT_EQ(ReadAll(target), "\"Name\",\"Note\"\r\n\"a\",\"say 'hi'\"\r\n");

  // Once rendered, what the job holds is written as it stands.
  report_.ReportContents = "kept";
  const std::string second = folder_ + "/kept.csv";
  EXPECT_TRUE(report_.StoreReportContent(false, second));
  EXPECT_EQ(ReadAll(second), "kept");
}

// A job that does not keep its document renders it into the file piece by piece: the bytes of
// the whole document, also where a piece of text ends inside a character. One that fails mid-way
// leaves the old file and no piece.
TEST_F(ReportFilesTest, AReportNotKeptIsRenderedIntoTheFileInPieces) {
  MemoryGrid grid;
  grid.AddColumn("", "Name");
  grid.AddColumn("", "Note");
  // Some megabytes of text, with two- and three-byte characters at shifting offsets.
  for (int r = 0; r < 60000; ++r)
    grid.AddRow({"row " + std::to_string(r),
                 "a note of some length " + std::string(r % 13, 'x') + (r % 3 ? "caf\xC3\xA9" : "\xE2\x82\xAC")});
  ReportStyles jobs;
  LoadReportJobs(jobs, &grid, params_);
  const auto store = [&](std::int32_t type) {
    const std::shared_ptr<cReport> job = FindReportJob(jobs, type, "");
    job->KeepContents = false;
    job->SetServices(report_.Services());
    const std::string target = temp_.Write("pieces." + ExtensionForReportType(type), "old");
    prompt_.Answer(true);
    const bool stored = job->StoreReportContent(false, target);
    EXPECT_FALSE(job->Generated);
    EXPECT_TRUE(job->ReportContents.empty());
    return stored ? ReadAll(target) : "failed, " + ReadAll(target);
  };
  for (const std::int32_t type : {kReportCsv, kReportRtf, kReportHtml}) {
    cReport& job = *FindReportJob(jobs, type, "");
    ASSERT_TRUE(job.Generate());
    const std::string expected = TextToFileBytes(job.ReportContents);
    ASSERT_GT(expected.size(), std::size_t{2} << 20);
    job.Generated = false;
    job.ReportContents.clear();
    EXPECT_TRUE(store(type) == expected) << ExtensionForReportType(type);
  }
  // The last row gets a cell that the column order read by the job has no place for: rendering
  // fails after pieces were written.
  grid.AddColumn("", "Late");
  grid.SetSubItem(grid.ItemCount() - 1, 2, "stray");
  EXPECT_EQ(store(kReportHtml), "failed, old");
  EXPECT_EQ(FolderEntries(folder_).size(), 3u);  // the three reports, no piece
}

TEST(MakeExportParameters, TitlesAndTheDateAndTimeInTheReportsPictures) {
  const auto params = MakeExportParameters("T", "S", 37321.0, 0.75, EnglishUnitedStates());
  EXPECT_EQ(params->Find("{||ReportTitle||}")->Value, "T");
  EXPECT_EQ(params->Find("{||ReportSubTitle||}")->Value, "S");
  EXPECT_EQ(params->Find("{||Date||}")->Value, "Wednesday, March 6 2002");
  EXPECT_EQ(params->Find("{||Time||}")->Value, "06:00:00 PM");
}

TEST(TextToFileBytes, MapsWhatTheCodePageHasAndMarksTheRest) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""}, {"plain {\\rtf1}", "plain {\\rtf1}"},
      {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},            // Latin-1 range kept
      {"\xC5\x92\xC5\xB8\xC6\x92", "\x8C\x9F\x83"},  // the 0x80-0x9F block
      {"\xE2\x80\x98q\xE2\x80\x99", "\x91q\x92"},    // single quotation marks
      {"\xC2\x81", "?"},                             // a C1 control cp1252 lacks
      {"\xF0\x9F\x98\x80!", "?!"},                   // outside the BMP
      // Broken UTF-8 costs one '?' per bad byte and never swallows what follows.
      {"a\xC3", "a?"}, {"\xC3(x", "?(x"}, {"\xC0\xAF", "??"}, {"\xED\xA0\x80z", "???z"}};
  for (const auto& [text, bytes] : cases) EXPECT_EQ(TextToFileBytes(text), bytes) << text;
  // ASCII runs are copied a machine word at a time: whatever stands at a word's edge converts.
  for (std::size_t at = 0; at < 20; ++at) {
    const std::string before(at, 'x'), after(19 - at, 'y');
    EXPECT_EQ(TextToFileBytes(before + "\xC3\xA9" + after), before + "\xE9" + after) << at;
    EXPECT_EQ(TextToFileBytes(before + "\xE2\x82\xAC\xC3" + after), before + "\x80?" + after) << at;
    EXPECT_EQ(TextToFileBytes(before + "\xE2\x82"), before + "??") << at;
  }
}

TEST_F(ReportFilesTest, DeleteLocalFileRemovesOnlyExistingFiles) {
  report_.LocalFileName = folder_ + "/gone.html";
  EXPECT_FALSE(report_.DeleteLocalFile());
  temp_.Write("gone.html", "x");
  ::chmod(report_.LocalFileName.c_str(), 0400);
  EXPECT_TRUE(report_.DeleteLocalFile());
  EXPECT_FALSE(Exists(report_.LocalFileName));
  report_.LocalFileName = folder_;
  EXPECT_FALSE(report_.DeleteLocalFile());
  EXPECT_TRUE(Exists(folder_));
  report_.LocalFileName.clear();
  EXPECT_FALSE(report_.DeleteLocalFile());

  // A temporary folder without its terminator is empty: the name then stands at the root of
  // the file system, which a test cannot write to; what matters is the name attempted.
  files_.tempBuffer = folder_ + "/";
  report_.StoreReportContent(true, "");
  EXPECT_EQ(report_.LocalFileName, "/Talvern Report Mar 6 2002 9-5-7.html");
}

// --- Viewer command lines ---

TEST(BuildViewerCommand, InsertsTheQuotedPathAtOnePlaceholderAndExpandsSystemRoot) {
  const std::string path = "C:\\T\\r.rtf";
  const std::pair<const char*, const char*> cases[] = {
      {"viewer.exe %1", "viewer.exe \"C:\\T\\r.rtf\""},
      {"viewer.exe \"%1\"", "viewer.exe \"C:\\T\\r.rtf\""},
      {"\"C:\\Program Files\\V\\v.exe\" \"%1\"", "\"C:\\Program Files\\V\\v.exe\" \"C:\\T\\r.rtf\""},
      {"viewer.exe %*", "viewer.exe \"C:\\T\\r.rtf\""},
      {"viewer.exe /open %L", "viewer.exe /open \"C:\\T\\r.rtf\""},
      {"viewer.exe /open \"%l\"", "viewer.exe /open \"C:\\T\\r.rtf\""},
      {"notepad.exe", "notepad.exe \"C:\\T\\r.rtf\""},
      // One placeholder is chosen, the others are dropped.
      {"v.exe %1 %L", "v.exe \"C:\\T\\r.rtf\" "},
      {"v.exe %1 %* %1", "v.exe \"C:\\T\\r.rtf\"  \"C:\\T\\r.rtf\""},
      {"v.exe %* %l", "v.exe \"C:\\T\\r.rtf\" "},
      {"v.exe \"\" %1", "v.exe \" \"C:\\T\\r.rtf\""},
      {"%SystemRoot%\\system32\\notepad.exe %1", "C:\\WINDOWS\\system32\\notepad.exe \"C:\\T\\r.rtf\""},
      {"%systemroot%\\notepad.exe %1", "%systemroot%\\notepad.exe \"C:\\T\\r.rtf\""}};
  for (const auto& [command, line] : cases) EXPECT_EQ(BuildViewerCommand(command, path, "C:\\WINDOWS"), line) << command;
  // Title text that looks like placeholders reaches the viewer untouched.
  const std::string odd = "C:\\Temp\\Up 50%1 %Lead %* %SystemRoot% Mar 6 2002 9-5-7.html";
  EXPECT_EQ(BuildViewerCommand("v.exe \"%1\"", odd, "C:\\WINDOWS"), "v.exe \"" + odd + "\"");
}

TEST_F(ReportFilesTest, ShellToAppStartsTheRegisteredViewer) {
  registry_.Set(".html", "", "htmlfile");
  registry_.Set("htmlfile\\Shell\\Open\\Command", "", "%SystemRoot%\\viewer.exe \"%1\"");
  report_.LocalFileName = "C:/Temp/Report Mar 6 2002 9-5-7.html";
  EXPECT_TRUE(report_.ShellToApp());
  EXPECT_EQ(launcher_.started, std::vector<std::string>{"C:/WINDOWS\\viewer.exe \"C:/Temp/Report Mar 6 2002 9-5-7.html\""});
  EXPECT_TRUE(prompt_.History().empty());
  EXPECT_EQ(registry_.OpenKeyCount(), 0u);
}

TEST_F(ReportFilesTest, ShellToAppWarnsWithoutAViewerAndReportsAFailedStart) {
  report_.ReportType = kReportCsv;
  report_.Title = "Comma Delimited";
  report_.LocalFileName = "C:\\T\\r.csv";
  EXPECT_TRUE(report_.ShellToApp());
  registry_.Set(".csv", "", "csvfile");  // a file type without an open command
  EXPECT_TRUE(report_.ShellToApp());
  EXPECT_TRUE(launcher_.started.empty());
  registry_.Set("csvfile\\shell\\open\\command", "", "sheet.exe");
  launcher_.failWith = "File not found.";
  EXPECT_FALSE(report_.ShellToApp());
  ASSERT_EQ(prompt_.History().size(), 3u);
  for (int i : {0, 1}) {
    EXPECT_FALSE(prompt_.History()[i].question);
    EXPECT_EQ(prompt_.History()[i].caption, "Talvern");
    EXPECT_EQ(prompt_.History()[i].text, "No program is associated with files of this type.");
  }
  EXPECT_EQ(prompt_.History()[2].text,
            "Error trying to open report 'Comma Delimited' using:\r\nsheet.exe \"C:\\T\\r.csv\"\r\n\r\n"
            "Error: File not found.");
  EXPECT_EQ(registry_.OpenKeyCount(), 0u);
}

TEST_F(ReportFilesTest, ShellToAppWithoutClassRootOpensWithTheDesktop) {
  ReportServices services = report_.Services();
  services.registry = nullptr;
  report_.SetServices(services);
  report_.LocalFileName = "/tmp/r.html";
  EXPECT_TRUE(report_.ShellToApp());
  EXPECT_EQ(launcher_.opened, std::vector<std::string>{"/tmp/r.html"});
  launcher_.failWith = "No such file or directory";
  EXPECT_FALSE(report_.ShellToApp());
  ASSERT_EQ(prompt_.History().size(), 1u);
  EXPECT_EQ(prompt_.History()[0].text,
            "Error trying to open report 'Classic Black' using:\r\nxdg-open \"/tmp/r.html\"\r\n\r\n"
            "Error: No such file or directory");
}

TEST_F(ReportFilesTest, IconPathDropsTheIndexAndPlacesTheWindowsFolder) {
  EXPECT_EQ(report_.GetIconPath(), "");
  registry_.Set(".html", "", "htmlfile");
  EXPECT_EQ(report_.GetIconPath(), "");
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Apps\\viewer.exe", "C:\\Apps\\viewer.exe"},
      {"%SystemRoot%\\system32\\shell32.dll,-154", "C:/WINDOWS\\system32\\shell32.dll"},
      {"\"C:\\My,Apps\\v.exe\",1", "\"C:\\My,Apps\\v.exe\""},
      {std::string(253, 'i'), std::string(253, 'i')},
      {std::string(254, 'i'), ""}};  // too long for the buffer: read as missing
  for (const auto& [value, icon] : cases) {
    registry_.Set("htmlfile\\DefaultIcon", "", value);
    EXPECT_EQ(report_.GetIconPath(), icon) << value;
  }
  EXPECT_EQ(registry_.OpenKeyCount(), 0u);
}

// --- Process start off Windows ---

TEST(SplitCommandLine, FollowsTheWindowsArgumentRules) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"", {}}, {"  a  b\tc ", {"a", "b", "c"}}, {"\"C:\\Program Files\\v.exe\" \"a b\"", {"C:\\Program Files\\v.exe", "a b"}},
      {"x a\"b c\"d", {"x", "ab cd"}}, {"x \"\"", {"x", ""}}, {"x a\\\\\"b c\"", {"x", "a\\b c"}},
      {"x a\\\"b", {"x", "a\"b"}}, {"x C:\\dir\\ y", {"x", "C:\\dir\\", "y"}}};
  for (const auto& [line, arguments] : cases) EXPECT_EQ(SplitCommandLine(line), arguments) << line;
}

TEST(LocalProcessLauncher, StartsWithoutWaitingAndReportsMissingPrograms) {
  const testing_support::TempFolder temp;
  const std::string marker = temp.Path("started");
  std::string error;
  ASSERT_TRUE(LocalProcessLauncher().StartCommandLine("/bin/sh -c \"echo ok > '" + marker + "'\"", &error)) << error;
  // The child runs on its own; give it a generous while to leave its mark.
  for (int i = 0; i < 500 && ReadAll(marker) != "ok\n"; ++i) ::usleep(20000);
  EXPECT_EQ(ReadAll(marker), "ok\n");

  error.clear();
  EXPECT_FALSE(LocalProcessLauncher().StartCommandLine("\"/nonexistent/viewer program\" x", &error));
  EXPECT_EQ(error, "No such file or directory");
  EXPECT_FALSE(LocalProcessLauncher().StartCommandLine("   ", &error));
}

}  // namespace
}  // namespace orlix
