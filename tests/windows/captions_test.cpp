// The caption table end to end: a caption file beside a real program, read through the profile
// function; and the program itself starting and ending with any caption file beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/captions.h"
#include "app/options.h"
#include "platform/ansi_win.h"
#include "platform/profile_reader_win.h"
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

using namespace testing_support;

// A fresh folder under the temporary folder, removed with its files.
class Folder {
 public:
  Folder() : path_(TempFolder() + "\\orlix-captions-" + std::to_string(::GetCurrentProcessId())) {
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~Folder() {
    for (const char* name : {"OrlixObject.exe", "OrlixObject.dat"}) ::DeleteFileA((path_ + "\\" + name).c_str());
    ::RemoveDirectoryA(path_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(ProgramDirectory, IsTheFolderOfTheExecutable) {
  char exe[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  EXPECT_EQ(ProgramDirectory(), std::string(exe).substr(0, std::string(exe).rfind('\\')));
  EXPECT_EQ(DirectoryOfPath("C:\\OrlixObject.exe"), "C:\\");
  EXPECT_EQ(DirectoryOfPath("C:\\Tools\\OrlixObject.exe"), "C:\\Tools");
  EXPECT_EQ(DirectoryOfPath("\\\\server\\share\\OrlixObject.exe"), "\\\\server\\share");
}

TEST(CaptionFilePath, TheDoubledBackslashAtARootStillFindsTheFile) {
  EXPECT_EQ(CaptionFilePath("C:\\"), "C:\\\\OrlixObject.dat");
  EXPECT_EQ(CaptionFilePath("C:\\Tools"), "C:\\Tools\\OrlixObject.dat");
  Folder folder;
  WriteFileBytes(folder.path() + "\\OrlixObject.dat", "[General]\r\n1=found\r\n");
  const Win32ProfileReader reader;
  EXPECT_EQ(ReadCaption(CaptionSource{reader, folder.path() + "\\"}, "General", "1", "default"), "found");
}

// The table's rules are the portable reader's; here the file beside the program, read through the
// profile function in the ANSI code page, and the defaults once it is gone.
TEST(LoadCaptions, ReadsTheCaptionFileBesideTheProgram) {
  const std::string file = ProgramDirectory() + "\\OrlixObject.dat";
  WriteFileBytes(file, "[general]\r\n4=&Print\r\n2=Components found.{crlf}Pick one.\r\n101=Caf\xE9\r\n");
  LoadCaptions();
  EXPECT_EQ(Captions()[4], "&Print");
  EXPECT_EQ(Captions()[2], "Components found.\r\nPick one.");
  EXPECT_EQ(Captions()[101], "Caf\xC3\xA9");  // code page 1252 here
  EXPECT_EQ(Captions()[1], "Orlix Ravelin");
  ::DeleteFileA(file.c_str());
  LoadCaptions();
  for (const CaptionDefault& d : CaptionDefaults()) EXPECT_EQ(Captions()[d.number], d.text) << d.number;
}

// The real program, copied into a folder of its own: it opens with the About window alone, and
// closing it ends the program cleanly, whatever the caption file beside it holds.
TEST(OrlixObject, StartsWithTheAboutWindowAloneAndEndsCleanlyWhateverTheCaptionFileHolds) {
  const Folder folder;
  const std::string exe = folder.path() + "\\OrlixObject.exe";
  ASSERT_TRUE(::CopyFileA(WindowsPath(ORLIX_BINARY_DIR "/app/OrlixObject.exe").c_str(), exe.c_str(), FALSE));
  std::string noise;
  for (int i = 0; i < 200000; ++i) noise += static_cast<char>((i * 7919) % 256);
  for (const std::string& captions : {std::string(), "[General]\r\n2=" + std::string(70000, 'x') + "{crlf}\r\n" + noise}) {
    if (!captions.empty()) WriteFileBytes(folder.path() + "\\OrlixObject.dat", captions);
    std::vector<std::string> shown;  // class and caption of the windows found first
    const DWORD code = RunProgram("\"" + exe + "\"", 30, [&shown](DWORD processId) {
      if (shown.empty() && !ProcessWindows(processId).empty()) {
        ::Sleep(300);  // anything else the program might open
        for (HWND window : ProcessWindows(processId)) shown.push_back(ClassOf(window) + " " + WindowText(window));
      }
      for (HWND window : ProcessWindows(processId)) ::PostMessageA(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(shown, std::vector<std::string>{"OrlixAboutWindow Orlix Ravelin"});
  }
}

}  // namespace
}  // namespace orlix
