// Helpers for tests that drive real windows under Wine: waiting for a window of a thread,
// file types registered in the class root for the length of a test, X input through xdotool,
// and counts of the process's GDI and USER objects.
#pragma once

#include <windows.h>
#include <shlwapi.h>
#include <winternl.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace orlix {
namespace testing_support {

// A Unix path of the build tree as Wine's Z: drive shows it.
inline std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string TempFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string folder = temp;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

// Polls `condition` every 10 ms for up to `seconds`.
inline bool WaitUntil(const std::function<bool()>& condition, double seconds = 10) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

struct WindowSearch {
  const std::string* title;
  HWND except;
  HWND found;
};

inline BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto& s = *reinterpret_cast<WindowSearch*>(context);
  if (window == s.except || !IsWindowVisible(window)) return TRUE;
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  if (!s.title->empty() && *s.title != text) return TRUE;
  s.found = window;
  return FALSE;
}

// A visible top-level window of `thread` whose caption is `title` (any caption when empty),
// other than `except`; null when there is none.
inline HWND FindThreadWindow(DWORD thread, const std::string& title, HWND except = nullptr) {
  WindowSearch search{&title, except, nullptr};
  EnumThreadWindows(thread, MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline HWND WaitForThreadWindow(DWORD thread, const std::string& title, HWND except = nullptr, double seconds = 20) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindThreadWindow(thread, title, except)) != nullptr; }, seconds);
  return found;
}

// Points file types of the class root at a program for the length of a test: "." + extension
// names a ProgID of the test's own whose open command is `command`. The previous association is
// put back afterwards.
class FileTypeRegistration {
 public:
  FileTypeRegistration(const std::string& extension, const std::string& command)
      : extensionKey_("." + extension), progId_("OrlixFormTest." + extension) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, extensionKey_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      existed_ = true;
      char value[512] = {};
      DWORD size = sizeof value - 1;
      DWORD type = 0;
      if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
          type == REG_SZ) {
        hadDefault_ = true;
        previous_ = value;
      }
      RegCloseKey(key);
    }
    ok_ = SetDefault(extensionKey_, progId_) && SetDefault(progId_ + "\\Shell\\Open\\Command", command);
  }
  ~FileTypeRegistration() {
    SHDeleteKeyA(HKEY_CLASSES_ROOT, progId_.c_str());
    if (!existed_) {
      SHDeleteKeyA(HKEY_CLASSES_ROOT, extensionKey_.c_str());
    } else if (hadDefault_) {
      SetDefault(extensionKey_, previous_);
    } else {
      HKEY key = nullptr;
      if (RegOpenKeyExA(HKEY_CLASSES_ROOT, extensionKey_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, nullptr);
        RegCloseKey(key);
      }
    }
  }
  FileTypeRegistration(const FileTypeRegistration&) = delete;
  FileTypeRegistration& operator=(const FileTypeRegistration&) = delete;
  bool ok() const { return ok_; }

 private:
  static bool SetDefault(const std::string& path, const std::string& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return false;
    const bool set = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return set;
  }

  std::string extensionKey_;
  std::string progId_;
  bool existed_ = false;
  bool hadDefault_ = false;
  std::string previous_;
  bool ok_ = false;
};

// Runs xdotool (a Unix program, started through Wine's shell) with `arguments` and waits until it
// has finished: Wine does not wait on Unix processes, so the shell leaves a mark file behind.
// Returns false when it cannot be started or does not finish within 20 s.
inline bool RunXdotool(const std::string& arguments) {
  static int runs = 0;
  const std::string mark = "/tmp/orlix-xdotool-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++runs);
  const std::string markPath = WindowsPath(mark);
  std::string commandLine = "/bin/sh -c \"xdotool " + arguments + "; touch " + mark + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA("Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "xdotool cannot be started: error %lu\n", GetLastError());
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const bool finished = WaitUntil([&] { return FileExists(markPath); }, 20);
  DeleteFileA(markPath.c_str());
  return finished;
}

// GDI and USER objects of this process. GetGuiResources where the system counts them; under
// Wine, which does not, the GDI objects in use in the process's own GDI handle table and the
// process's windows (Wine's icons hold GDI bitmaps, so a lost icon shows among the GDI objects).
struct GuiObjectCounts {
  long gdi = 0;
  long user = 0;
  bool operator==(const GuiObjectCounts& other) const { return gdi == other.gdi && user == other.user; }
};

inline BOOL CALLBACK CountChildWindow(HWND, LPARAM counter) {
  ++*reinterpret_cast<long*>(counter);
  return TRUE;
}

inline BOOL CALLBACK CountOwnWindow(HWND window, LPARAM counter) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<long*>(counter);
  EnumChildWindows(window, CountChildWindow, counter);
  return TRUE;
}

inline long CountProcessWindows() {
  long count = 0;
  EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

inline GuiObjectCounts CountGuiObjects() {
  GuiObjectCounts counts;
  SetLastError(0);
  counts.gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  if (counts.gdi != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
    counts.user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    return counts;
  }
  struct HandleEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
  };
  using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryProcess>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  counts.gdi = -1;
  if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return counts;
  const auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
  const auto* table =
      *reinterpret_cast<const HandleEntry* const*>(peb + (sizeof(void*) == 8 ? 0xF8 : 0x94));  // GdiSharedHandleTable
  if (table) {
    counts.gdi = 0;
    for (int i = 0; i < 0x10000; ++i)
      if (table[i].type != 0) ++counts.gdi;
  }
  counts.user = CountProcessWindows();
  return counts;
}

}  // namespace testing_support
}  // namespace orlix
