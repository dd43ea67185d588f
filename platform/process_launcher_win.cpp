#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "platform/ansi_win.h"
#include "platform/file_system_win.h"
#include "platform/process_launcher.h"
#include "platform/unique_handle_win.h"

namespace orlix {
namespace {

class Win32ProcessLauncher : public ProcessLauncher {
 public:
  bool StartCommandLine(const std::string& commandLine, std::string* error) override {
    // CreateProcessA may write into the command line: hand it a private copy.
    const std::string ansi = Utf8ToAnsi(commandLine);
    std::vector<char> buffer(ansi.begin(), ansi.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      if (error) *error = SystemErrorDescription(GetLastError());
      return false;
    }
    // The viewer is independent: its handles are not needed, and it is never waited for.
    const UniqueKernelHandle thread(process.hThread);
    const UniqueKernelHandle started(process.hProcess);
    return true;
  }

  std::string ExpandEnvironment(const std::string& text) override {
    const std::string ansi = Utf8ToAnsi(text);
    const DWORD needed = ExpandEnvironmentStringsA(ansi.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::vector<char> buffer(needed + 1, '\0');
    const DWORD n = ExpandEnvironmentStringsA(ansi.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n > buffer.size()) return text;
    return AnsiToUtf8(std::string(buffer.data()));
  }

  bool OpenDocument(const std::string& path, std::string* commandLine, std::string* error) override {
    if (commandLine) *commandLine = "\"" + path + "\"";
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = "open";
    const std::string file = Utf8ToAnsi(path);
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&info)) return true;
    if (error) *error = SystemErrorDescription(GetLastError());
    return false;
  }
};

}  // namespace

ProcessLauncher& LocalProcessLauncher() {
  static Win32ProcessLauncher instance;
  return instance;
}

}  // namespace orlix
