// The caption table end to end: a caption file beside a real program, read through the profile
// function; and the program itself starting and ending with any caption file beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/captions.h"
#include "app/options.h"
#include "platform/ansi_win.h"
#include "platform/profile_reader_win.h"

namespace orlix {
namespace {

std::string ExePath() {
  char buffer[MAX_PATH * 4];
  const DWORD n = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return std::string(buffer, n);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Deletes a file on every exit path.
class FileGuard {
 public:
  explicit FileGuard(std::string path) : path_(std::move(path)) {}
  ~FileGuard() { ::DeleteFileA(path_.c_str()); }
  FileGuard(const FileGuard&) = delete;
  FileGuard& operator=(const FileGuard&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A fresh folder under the temporary folder, removed with its files.
class TempFolder {
 public:
  TempFolder() {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "orlix-captions-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(::GetTickCount());
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const char* name : {"OrlixObject.exe", "OrlixObject.dat"}) ::DeleteFileA((path_ + "\\" + name).c_str());
    ::RemoveDirectoryA(path_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(ProgramDirectory, IsTheFolderOfTheExecutable) {
  const std::string exe = ExePath();
  EXPECT_EQ(ProgramDirectory(), exe.substr(0, exe.rfind('\\')));
  EXPECT_EQ(DirectoryOfPath("C:\\OrlixObject.exe"), "C:\\");
  EXPECT_EQ(DirectoryOfPath("C:\\Tools\\OrlixObject.exe"), "C:\\Tools");
  EXPECT_EQ(DirectoryOfPath("\\\\server\\share\\OrlixObject.exe"), "\\\\server\\share");
}

TEST(CaptionFilePath, TheDoubledBackslashAtARootStillFindsTheFile) {
  EXPECT_EQ(CaptionFilePath("C:\\"), "C:\\\\OrlixObject.dat");
  EXPECT_EQ(CaptionFilePath("C:\\Tools"), "C:\\Tools\\OrlixObject.dat");
  TempFolder folder;
  FileGuard file(folder.path() + "\\OrlixObject.dat");
  WriteFile(file.path(), "[General]\r\n1=found\r\n");
  const Win32ProfileReader reader;
  EXPECT_EQ(ReadCaption(CaptionSource{reader, folder.path() + "\\"}, "General", "1", "default"), "found");
}

TEST(LoadCaptions, ReadsTheCaptionFileBesideTheProgram) {
  const std::string dir = ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  {
    FileGuard file(dir + "\\OrlixObject.dat");
    WriteFile(file.path(),
              "; captions for the test\r\n"
              "[general]\r\n"
              "4=&Print\r\n"
              "2=Components found.{crlf}Pick one.\r\n"
              "3 =  \"Quoted list button\"  \r\n"
              "5=\r\n"
              "6=Upper {CRLF} kept\r\n"
              "7=seven\r\n103=hundred and three\r\n110=hundred and ten\r\n"
              "101=Caf\xE9\r\n"  // the ANSI code page (1252 here)
              "102=" + std::string(1030, 'p') + "\r\n"
              "109=first\r\n109=second");
    LoadCaptions();
    const CaptionTable& c = Captions();
    EXPECT_EQ(c[4], "&Print");
    EXPECT_EQ(c[2], "Components found.\r\nPick one.");
    EXPECT_EQ(c[3], "Quoted list button");
    EXPECT_EQ(c[5], "");
    EXPECT_EQ(c[6], "Upper {CRLF} kept");
    EXPECT_EQ(c[7], "");
    EXPECT_EQ(c[103], "");
    EXPECT_EQ(c[110], "");
    EXPECT_EQ(c[101], "Caf\xC3\xA9");
    EXPECT_EQ(c[102], std::string(1023, 'p'));
    EXPECT_EQ(c[109], "first");
    EXPECT_EQ(c[1], "Orlix Ravelin");
    EXPECT_EQ(c[108], CaptionDefaults()[13].text);
  }
  LoadCaptions();
  for (const CaptionDefault& d : CaptionDefaults()) EXPECT_EQ(Captions()[d.number], d.text) << d.number;
}

BOOL CALLBACK CloseWindowsOfProcess(HWND window, LPARAM processId) {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(processId)) ::PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// Starts the program and waits for it to end, closing its windows if it opens any.
DWORD RunProgram(const std::string& exe) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + exe + "\"";
  if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    ADD_FAILURE() << "cannot start " << exe << ": " << ::GetLastError();
    return 0xFFFFFFFF;
  }
  DWORD code = 0xFFFFFFFF;
  for (int attempt = 0; attempt < 300; ++attempt) {
    if (::WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
    if (attempt >= 10) ::EnumWindows(CloseWindowsOfProcess, static_cast<LPARAM>(process.dwProcessId));
  }
  if (::WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "the program did not end";
    ::TerminateProcess(process.hProcess, 1);
  }
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

TEST(OrlixObject, StartsAndEndsCleanlyWhateverTheCaptionFileHolds) {
  std::string built = std::string(ORLIX_BINARY_DIR) + "/app/OrlixObject.exe";
  for (char& ch : built) ch = ch == '/' ? '\\' : ch;
  if (built[1] != ':') built = "Z:" + built;
  TempFolder folder;
  const std::string exe = folder.path() + "\\OrlixObject.exe";
  ASSERT_TRUE(::CopyFileA(built.c_str(), exe.c_str(), FALSE)) << built;

  EXPECT_EQ(RunProgram(exe), 0u);

  std::string noise;
  for (int i = 0; i < 200000; ++i) noise += static_cast<char>((i * 7919) % 256);
  WriteFile(folder.path() + "\\OrlixObject.dat", "[General]\r\n2=" + std::string(70000, 'x') + "{crlf}\r\n" + noise);
  EXPECT_EQ(RunProgram(exe), 0u);
}

}  // namespace
}  // namespace orlix
