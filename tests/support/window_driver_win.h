// What tests that drive real windows under Wine share: waiting for windows, reading and selecting
// list view rows, registry keys written for the length of a test, programs started and awaited,
// X input through xdotool, a list view in a window of its own, and counts of GDI and USER objects.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <winternl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/unique_handle_win.h"

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
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
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

inline std::string WindowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

inline std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct WindowSearch {
  const std::function<bool(HWND)>* match;
  DWORD processId;  // 0: any
  std::vector<HWND> found;
};

inline BOOL CALLBACK NoteWindow(HWND window, LPARAM data) {
  auto& s = *reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if ((s.processId == 0 || owner == s.processId) && IsWindowVisible(window) && (!s.match || (*s.match)(window)))
    s.found.push_back(window);
  return TRUE;
}

// The visible top-level windows of `thread` that `match` accepts.
inline std::vector<HWND> ThreadWindows(DWORD thread, const std::function<bool(HWND)>& match) {
  WindowSearch search{&match, 0, {}};
  EnumThreadWindows(thread, NoteWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A visible top-level window of `thread` whose caption is `title` (any caption when empty), other
// than `except`, once there is one within `seconds` (0: now); else null.
inline HWND WaitForThreadWindow(DWORD thread, const std::string& title, HWND except = nullptr, double seconds = 20) {
  std::vector<HWND> found;
  WaitUntil([&] {
    found = ThreadWindows(thread, [&](HWND w) { return w != except && (title.empty() || WindowText(w) == title); });
    return !found.empty();
  }, seconds);
  return found.empty() ? nullptr : found[0];
}

// The lines the stand-in viewer (test_viewer_main.cpp) records in `log`, once they are there.
inline std::vector<std::string> ViewerRecord(const std::string& log) {
  WaitUntil([&] { return FileExists(log); }, 20);
  std::vector<std::string> lines;
  std::istringstream in(ReadFileBytes(log));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Runs `show` (which shows a modal dialog titled `title` on this thread) while `steps` drive it from
// another thread; false when the dialog did not appear. Whatever the steps leave open is closed
// afterwards, so the test never hangs.
inline bool DriveModal(const std::string& title, const std::function<void()>& show,
                       const std::function<void(HWND dialog)>& steps) {
  const DWORD uiThread = GetCurrentThreadId();
  std::atomic<bool> showing{true};
  HWND dialog = nullptr;
  std::thread driver([&] {
    dialog = WaitForThreadWindow(uiThread, title);
    if (dialog) steps(dialog);
    while (showing) {
      if (HWND other = WaitForThreadWindow(uiThread, "", dialog, 0)) PostMessageA(other, WM_CLOSE, 0, 0);
      if (dialog && IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      Sleep(50);
    }
  });
  const auto stop = [&] {
    showing = false;
    driver.join();
  };
  try {
    show();
  } catch (...) {
    stop();
    throw;
  }
  stop();
  return dialog != nullptr;
}

// Runs the thread's messages for a while.
inline void PumpMessages(DWORD milliseconds) {
  const DWORD until = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

// --- list views, read and driven through their own messages ---

inline std::string ListText(HWND list, int row, int column) {
  char buffer[1024] = {};
  LVITEMA request{};
  request.iSubItem = column;
  request.pszText = buffer;
  request.cchTextMax = sizeof buffer;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&request));
  return buffer;
}

inline int ListRowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

inline std::vector<std::string> ListColumn(HWND list, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < ListRowCount(list); ++row) texts.push_back(ListText(list, row, column));
  return texts;
}

inline int ListSelectedRow(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// Selects exactly `rows` (the first also focused).
inline void SelectListRows(HWND list, const std::vector<int>& rows) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    state.state = i == 0 ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(rows[i]), reinterpret_cast<LPARAM>(&state));
  }
}

// A real top-level window holding a SysListView32 in report view, and a second top-level window
// that tells whether the redraw lock is free: only one window can be locked at a time.
class TestListViewWindow {
 public:
  TestListViewWindow() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    top_ = UniqueHwnd(CreateWindowExA(0, "STATIC", "Grid test", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                      nullptr, nullptr));
    other_ = UniqueHwnd(CreateWindowExA(0, "STATIC", "Other window", WS_OVERLAPPEDWINDOW, 50, 50, 200, 100, nullptr,
                                        nullptr, nullptr, nullptr));
    list_ = top_ ? CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 620, 440, top_.get(),
                                   reinterpret_cast<HMENU>(1), nullptr, nullptr)
                 : nullptr;
    if (!list_ || !other_) throw std::runtime_error("no test window");
    ShowWindow(top_.get(), SW_SHOWNOACTIVATE);
    ShowWindow(other_.get(), SW_SHOWNOACTIVATE);
  }
  HWND List() const { return list_; }
  HWND Top() const { return top_.get(); }
  HWND Other() const { return other_.get(); }
  bool RedrawReleased() const {
    if (!LockWindowUpdate(other_.get())) return false;
    LockWindowUpdate(nullptr);
    return true;
  }

 private:
  UniqueHwnd top_;
  UniqueHwnd other_;
  HWND list_ = nullptr;  // a child of top_, destroyed with it
};

// --- the registry ---

// Deletes base\path and everything below it, in a view; a missing key is fine.
inline void DeleteKeyTree(HKEY base, const std::string& path, REGSAM view = 0) {
  {
    UniqueHkey key;
    if (RegOpenKeyExA(base, path.c_str(), 0, KEY_ALL_ACCESS | view, key.put()) != ERROR_SUCCESS) return;
    RegDeleteTreeA(key.get(), nullptr);  // what is below it
  }
  RegDeleteKeyExA(base, path.c_str(), view, 0);
}

// Keys a test writes below `base` (in a view of the registry); the ones it owns go again, with
// everything below them, when the object goes.
class TestKeys {
 public:
  explicit TestKeys(HKEY base, REGSAM view = 0) : base_(base), view_(view) {}
  ~TestKeys() {
    for (auto it = owned_.rbegin(); it != owned_.rend(); ++it) DeleteKeyTree(base_, *it, view_);
  }
  TestKeys(const TestKeys&) = delete;
  TestKeys& operator=(const TestKeys&) = delete;

  void Own(const std::string& path) { owned_.push_back(path); }
  // Writes `bytes` as they are into the value `name` (the default value when empty) of `path`. A
  // non-NUL byte follows them in memory: the API counts a NUL found right after string data as
  // its forgotten terminator.
  bool SetBytes(const std::string& path, const std::string& name, DWORD type, const std::string& bytes) {
    const std::string buffer = bytes + 'X';
    UniqueHkey key;
    if (RegCreateKeyExA(base_, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
      return false;
    return RegSetValueExA(key.get(), name.empty() ? nullptr : name.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(buffer.data()), static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
  }
  // A string value with its terminator.
  bool Set(const std::string& path, const std::string& text, DWORD type = REG_SZ, const std::string& name = "") {
    return SetBytes(path, name, type, text + '\0');
  }
  bool Add(const std::string& path) {
    UniqueHkey key;
    return RegCreateKeyExA(base_, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, key.put(), nullptr) ==
           ERROR_SUCCESS;
  }
  // The value `name` of `path` (the default value when empty), if it is a string.
  bool Get(const std::string& path, std::string* text, const std::string& name = "") const {
    UniqueHkey key;
    char value[1024] = {};
    DWORD size = sizeof value - 1, type = 0;
    if (RegOpenKeyExA(base_, path.c_str(), 0, KEY_READ | view_, key.put()) != ERROR_SUCCESS ||
        RegQueryValueExA(key.get(), name.empty() ? nullptr : name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ)
      return false;
    *text = value;
    return true;
  }

 private:
  HKEY base_;
  REGSAM view_;
  std::vector<std::string> owned_;
};

// For this process only, and as long as the object lives, the class root is a key of the test's
// own (HKCU\Software\OrlixTestClassRoot<process>), where file types open with commands of the
// test's choosing.
class PrivateClassRoot {
 public:
  PrivateClassRoot() : path_("Software\\OrlixTestClassRoot" + std::to_string(GetCurrentProcessId())) {
    keys_.Own(path_);
    ok_ = keys_.Add(path_) && RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, root_.put()) == ERROR_SUCCESS &&
          RegOverridePredefKey(HKEY_CLASSES_ROOT, root_.get()) == ERROR_SUCCESS;
  }
  ~PrivateClassRoot() { RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr); }
  PrivateClassRoot(const PrivateClassRoot&) = delete;
  PrivateClassRoot& operator=(const PrivateClassRoot&) = delete;

  // Files of `extension` (".rtf") open with `command`.
  bool Register(const std::string& extension, const std::string& command) {
    return ok_ && keys_.Set(path_ + "\\" + extension, "OrlixTest" + extension) &&
           keys_.Set(path_ + "\\OrlixTest" + extension + "\\Shell\\Open\\Command", command);
  }

 private:
  TestKeys keys_{HKEY_CURRENT_USER};
  std::string path_;
  UniqueHkey root_;
  bool ok_ = false;
};

// --- processes ---

// Starts `commandLine` and waits up to `seconds` for it to end; `whileRunning` is called every
// 100 ms until then (for instance to close its windows). The exit code, or ~0u when it could not
// be started or did not end (it is then terminated).
inline DWORD RunProgram(std::string commandLine, double seconds = 30,
                        const std::function<void(DWORD processId)>& whileRunning = nullptr) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return ~0u;
  const UniqueKernelHandle owned(process.hProcess), thread(process.hThread);
  for (int waited = 0; WaitForSingleObject(process.hProcess, 100) != WAIT_OBJECT_0; waited += 100) {
    if (waited >= seconds * 1000) {
      TerminateProcess(process.hProcess, ~0u);
      return ~0u;
    }
    if (whileRunning) whileRunning(process.dwProcessId);
  }
  DWORD code = ~0u;
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}

// The visible top-level windows of a process (of every process when `processId` is 0) that
// `match` accepts.
inline std::vector<HWND> ProcessWindows(DWORD processId, const std::function<bool(HWND)>& match = nullptr) {
  WindowSearch search{match ? &match : nullptr, processId, {}};
  EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

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
  long gdi = 0, user = 0;
};

inline BOOL CALLBACK CountChildWindow(HWND, LPARAM counter) { return ++*reinterpret_cast<long*>(counter) > 0; }

inline BOOL CALLBACK CountOwnWindow(HWND window, LPARAM counter) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<long*>(counter);
  EnumChildWindows(window, CountChildWindow, counter);
  return TRUE;
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
  counts.user = 0;
  EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&counts.user));
  return counts;
}

}  // namespace testing_support
}  // namespace orlix
