// Report files and the viewer launch on Windows: real files, a private class root holding the
// test's file types, a test viewer that records how it was started, and real message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "base/locale_info.h"
#include "platform/file_system.h"
#include "platform/file_system_win.h"
#include "platform/message_box_prompt_win.h"
#include "platform/process_launcher.h"
#include "platform/registry_win.h"
#include "platform/unique_handle_win.h"
#include "report/report.h"
#include "report/report_files.h"
#include "tests/support/allocation_failure.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

using namespace testing_support;

constexpr double kMarch6th2002At090507 = 37321.0 + (9 * 3600 + 5 * 60 + 7) / 86400.0;

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  return names;
}

class ReportFilesWin : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempFolder() + "\\orlix-files-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    log_ = folder_ + "\\viewer.log";
    ASSERT_TRUE(SetEnvironmentVariableA("ORLIX_TEST_VIEWER_LOG", log_.c_str()));
    viewer_ = WindowsPath(ORLIX_TEST_VIEWER);
    ASSERT_TRUE(classes_.Register(".html", "\"" + viewer_ + "\" \"%1\""));

    params_ = std::make_shared<ReportParameters>();
    params_->Add(std::make_shared<cReportParam>(cReportParam{"{||ReportTitle||}", "Report"}), "{||ReportTitle||}");
    report_.Title = "Classic Blue";
    report_.ReportType = kReportHtml;
    report_.Generated = true;
    report_.ReportContents = "<p>caf\xC3\xA9</p>";
    report_.ExtraParameters(params_);
    ReportServices services;
    services.files = &LocalFileSystem();
    services.prompt = &prompt_;
    services.registry = &registry_;
    services.launcher = &LocalProcessLauncher();
    services.locale = &EnglishUnitedStates();
    services.now = [] { return kMarch6th2002At090507; };
    report_.SetServices(services);
  }

  void TearDown() override {
    for (const std::string& name : FolderEntries(folder_)) {
      const std::string path = folder_ + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(folder_.c_str());
  }

  std::string folder_;
  std::string log_;
  PrivateClassRoot classes_;
  Win32Registry registry_{HKEY_CLASSES_ROOT};  // the private class root, while classes_ lives
  std::string viewer_;
  ScriptedPrompt prompt_;
  std::shared_ptr<ReportParameters> params_;
  cReport report_;
};

TEST_F(ReportFilesWin, ViewStoresATemporaryFileAndStartsTheRegisteredViewer) {
  ASSERT_TRUE(report_.StoreReportContent(true, ""));
  EXPECT_EQ(report_.LocalFileName, TempFolder() + "\\Report Mar 6 2002 9-5-7.html");
  EXPECT_TRUE(report_.LocalFileIsTemporary);
  EXPECT_EQ(ReadFileBytes(report_.LocalFileName), "<p>caf\xE9</p>");  // the ANSI code page, no mark

  ASSERT_TRUE(report_.ShellToApp());
  const std::vector<std::string> record = ViewerRecord(log_);
  ASSERT_EQ(record.size(), 4u) << ReadFileBytes(log_);
  EXPECT_EQ(record[0], "\"" + viewer_ + "\" \"" + report_.LocalFileName + "\"");
  EXPECT_EQ(record[1], report_.LocalFileName);
  EXPECT_EQ(record[2], "exists");
  EXPECT_EQ(record[3], "showwindow=" + std::to_string(SW_SHOWNORMAL));
  EXPECT_TRUE(prompt_.History().empty());

  EXPECT_TRUE(report_.DeleteLocalFile());
  EXPECT_EQ(GetFileAttributesA(report_.LocalFileName.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(report_.DeleteLocalFile());
}

TEST_F(ReportFilesWin, CommandsWithEnvironmentNamesAndLongNamePlaceholderStartTheViewer) {
  const std::string viewerFolder = viewer_.substr(0, viewer_.rfind('\\'));
  ASSERT_TRUE(SetEnvironmentVariableA("ORLIX_VIEWER_FOLDER", viewerFolder.c_str()));
  ASSERT_TRUE(classes_.Register(".rtf", "\"%ORLIX_VIEWER_FOLDER%\\" + viewer_.substr(viewerFolder.size() + 1) + "\" %l"));
  report_.ReportType = kReportRtf;
  report_.LocalFileName = folder_ + "\\Up 50%1 report.rtf";
  WriteFileBytes(report_.LocalFileName, "{\\rtf1}");
  ASSERT_TRUE(report_.ShellToApp());
  const std::vector<std::string> record = ViewerRecord(log_);
  ASSERT_EQ(record.size(), 4u) << ReadFileBytes(log_);
  EXPECT_EQ(record[0], "\"" + viewer_ + "\" \"" + report_.LocalFileName + "\"");
  EXPECT_EQ(record[2], "exists");
}

TEST_F(ReportFilesWin, ViewerFailuresAndMissingAssociationsAreReported) {
  ASSERT_TRUE(classes_.Register(".csv", "\"C:\\no such folder\\viewer.exe\" %1"));
  report_.ReportType = kReportCsv;
  report_.Title = "Comma Delimited";
  report_.LocalFileName = folder_ + "\\r.csv";
  EXPECT_FALSE(report_.ShellToApp());
  ASSERT_EQ(prompt_.History().size(), 1u);
  const std::string expected = "Error trying to open report 'Comma Delimited' using:\r\n\"C:\\no such folder\\viewer.exe\" \"" +
                               report_.LocalFileName + "\"\r\n\r\nError: ";
  EXPECT_EQ(prompt_.History()[0].text.substr(0, expected.size()), expected);
  EXPECT_GT(prompt_.History()[0].text.size(), expected.size());
  EXPECT_EQ(prompt_.History()[0].caption, "Talvern");

  report_.ReportType = kReportRtf;  // nothing registered for .rtf in the private class root
  EXPECT_TRUE(report_.ShellToApp());
  ASSERT_EQ(prompt_.History().size(), 2u);
  EXPECT_EQ(prompt_.History()[1].text, "No program is associated with files of this type.");
}

TEST_F(ReportFilesWin, OverwriteQuestionNoKeepsTheFileYesReplacesIt) {
  const std::string target = folder_ + "\\saved.html";
  WriteFileBytes(target, "old");
  prompt_.Answer(false);
  EXPECT_FALSE(report_.StoreReportContent(false, target));
  ASSERT_EQ(prompt_.History().size(), 1u);
  EXPECT_TRUE(prompt_.History()[0].question);
  EXPECT_EQ(ReadFileBytes(target), "old");

  // A read-only file is replaced as well once the user agrees.
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
  prompt_.Answer(true);
  EXPECT_TRUE(report_.StoreReportContent(false, target));
  EXPECT_EQ(prompt_.History().size(), 2u);
  EXPECT_EQ(ReadFileBytes(target), "<p>caf\xE9</p>");
  EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"saved.html"});
}

TEST_F(ReportFilesWin, LockedFileStaysIntactAndTheUserIsTold) {
  const std::string target = folder_ + "\\locked.html";
  WriteFileBytes(target, "old");
  UniqueFile holder(CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder);
  prompt_.Answer(true);
  EXPECT_FALSE(report_.StoreReportContent(false, target));
  ASSERT_EQ(prompt_.History().size(), 2u);
  EXPECT_EQ(prompt_.History()[1].text.rfind("Could not delete the file '" + target + "'", 0), 0u);
  holder.reset();
  EXPECT_EQ(ReadFileBytes(target), "old");
  EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"locked.html"});
}

TEST_F(ReportFilesWin, HiddenFilesAreNotFilesForTheExistenceTestButAreStillAskedAbout) {
  const std::string target = folder_ + "\\hidden.html";
  WriteFileBytes(target, "old");
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(LocalFileSystem().StatePath(target), PathState::HiddenOrSystem);
  prompt_.Answer(false);
  EXPECT_FALSE(report_.StoreReportContent(false, target));
  EXPECT_EQ(prompt_.History().size(), 1u);
  EXPECT_EQ(ReadFileBytes(target), "old");
}

TEST_F(ReportFilesWin, WritingIntoAMissingFolderGivesTheSystemsReason) {
  const std::string target = folder_ + "\\missing\\r.html";
  EXPECT_FALSE(report_.StoreReportContent(false, target));
  ASSERT_EQ(prompt_.History().size(), 1u);
  EXPECT_EQ(prompt_.History()[0].text,
            "Error writing file '" + target + "':\r\n\r\n" + SystemErrorDescription(ERROR_PATH_NOT_FOUND));
  EXPECT_NE(SystemErrorDescription(ERROR_PATH_NOT_FOUND).rfind("Error ", 0), 0u);
}

size_t ProcessHeapBlocksInUse() {
  const HANDLE heap = GetProcessHeap();
  size_t busy = 0;
  HeapLock(heap);
  PROCESS_HEAP_ENTRY entry{};
  while (HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++busy;
  }
  HeapUnlock(heap);
  return busy;
}

// The message buffer the system allocates is freed also when copying the text out of it fails.
TEST(LocalFileSystemWin, ErrorTextFreesTheSystemBufferWhenCopyingFails) {
  (void)SystemErrorDescription(ERROR_PATH_NOT_FOUND);  // the message table found once
  const size_t before = ProcessHeapBlocksInUse();
  long n = 1;
  for (;; ++n) {
    OrlixFailAllocation(n);
    try {
      (void)SystemErrorDescription(ERROR_PATH_NOT_FOUND);
    } catch (const std::bad_alloc&) {
    }
    if (OrlixFailAllocation(0) != 0) break;
  }
  EXPECT_GT(n, 1);
  EXPECT_EQ(ProcessHeapBlocksInUse(), before);
}

TEST(LocalFileSystemWin, FolderBuffersEndInATerminator) {
  const std::string temp = LocalFileSystem().TempPathBuffer();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\0');
  EXPECT_EQ(temp[temp.size() - 2], '\\');
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(LocalFileSystem().WindowsDirectoryBuffer(), std::string(windows) + '\0');
}

// --- The message boxes ---

// Asks through a real message box and answers it with `button` from another thread: the answer,
// and the box's text and whether it had Yes (else OK) as its first button.
bool AnswerBox(const std::function<bool()>& ask, int button, std::string* text, bool* hasYes) {
  std::thread answerer([=] {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FindWindowA("#32770", "Talvern")) != nullptr; })) return;
    char buffer[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
    *text = buffer;
    *hasYes = GetDlgItem(box, IDYES) != nullptr && GetDlgItem(box, IDOK) == nullptr;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  });
  const bool answer = ask();
  answerer.join();
  return answer;
}

TEST(MessageBoxPrompt, AsksWithYesAndNoAndWarnsWithOk) {
  MessageBoxPrompt prompt;
  std::string text;
  bool hasYes = false;
  EXPECT_TRUE(AnswerBox([&] { return prompt.AskYesNo("Talvern", "Overwrite the existing file?"); }, IDYES, &text, &hasYes));
  EXPECT_EQ(text, "Overwrite the existing file?");
  EXPECT_TRUE(hasYes);
  EXPECT_FALSE(AnswerBox([&] { return prompt.AskYesNo("Talvern", "Again?"); }, IDNO, &text, &hasYes));
  AnswerBox([&] { prompt.Warn("Talvern", "No program is associated."); return true; }, IDOK, &text, &hasYes);
  EXPECT_EQ(text, "No program is associated.");
  EXPECT_FALSE(hasYes);
}

}  // namespace
}  // namespace orlix
