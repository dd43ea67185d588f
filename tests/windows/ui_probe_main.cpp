// The Windows side of the walkthrough test: finds windows and controls of a running program and
// tells a shell script where to click (the script moves the real X pointer with xdotool), and
// points a file type of the class root at a test viewer for the duration of the test.
// Usage: ui_probe OUTPUT_FILE COMMAND ARGS...; the answer goes to OUTPUT_FILE (one line), and the
// exit code is 0 on success, 1 when the window or control was not found in time, 2 on misuse.
//   wait CLASS [TITLE]          a visible top-level window of CLASS (and TITLE) exists
//   gone CLASS                  no visible top-level window of CLASS is left
//   point CLASS TITLE|- ID      screen point at the centre of control ID: "X Y"
//   enabled CLASS TITLE|- ID    "1" when the control is enabled, else "0"
//   count CLASS TITLE|- ID      the number of rows of the list view inside control ID (or ID itself)
//   row CLASS TITLE|- ID N      screen point in the first column of row N of that list view: "X Y"
//   viewer EXT COMMAND          EXT (".rtf") opens with COMMAND; the previous type name is kept
//   restore EXT                 EXT gets its previous type name back
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/unique_handle_win.h"

namespace {

constexpr char kClasses[] = "Software\\Classes\\";
constexpr char kTestType[] = "OrlixWalkthrough.Viewer";
constexpr char kSavedValue[] = "OrlixWalkthroughSaved";

struct Search {
  std::string className;
  std::string title;
  HWND found = nullptr;
};

BOOL CALLBACK Match(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  char name[256] = {};
  ::GetClassNameA(window, name, sizeof name);
  if (!::IsWindowVisible(window) || search->className != name) return TRUE;
  if (!search->title.empty() && search->title != "-") {
    char title[256] = {};
    ::GetWindowTextA(window, title, sizeof title);
    if (search->title != title) return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND FindTopLevel(const std::string& className, const std::string& title, int waitMilliseconds = 15000) {
  for (int waited = 0;; waited += 100) {
    Search search{className, title};
    ::EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    if (search.found || waited >= waitMilliseconds) return search.found;
    ::Sleep(100);
  }
}

bool Answer(const char* path, const std::string& line) {
  std::FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  std::fprintf(out, "%s\n", line.c_str());
  return std::fclose(out) == 0;
}

bool SetDefault(const std::string& path, const std::string& value, const char* name = nullptr) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const LONG status = ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

std::string GetValue(const std::string& path, const char* name) {
  char value[1024] = {};
  DWORD size = sizeof value - 1;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::string();
  ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  ::RegCloseKey(key);
  return value;
}

// The label rectangle of a row of another process's list view: the message's RECT has to live
// in that process.
bool RowRect(HWND list, int row, RECT* rect) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(list, &processId);
  const orlix::UniqueKernelHandle process(
      ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
  if (!process) return false;
  void* remote = ::VirtualAllocEx(process.get(), nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return false;
  const RECT request{LVIR_LABEL, 0, 0, 0};
  const bool done = ::WriteProcessMemory(process.get(), remote, &request, sizeof request, nullptr) &&
                    ::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote)) &&
                    ::ReadProcessMemory(process.get(), remote, rect, sizeof *rect, nullptr);
  ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  return done;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const char* out = argv[1];
  const std::string command = argv[2];

  if (command == "wait" || command == "gone") {
    const std::string title = argc > 4 ? argv[4] : "";
    if (command == "wait") return FindTopLevel(argv[3], title) && Answer(out, "ok") ? 0 : 1;
    for (int waited = 0; waited < 15000; waited += 100) {
      if (!FindTopLevel(argv[3], title, 0)) return Answer(out, "ok") ? 0 : 1;
      ::Sleep(100);
    }
    return 1;
  }
  if (command == "point" || command == "enabled" || command == "count" || command == "row") {
    if (argc < 6 || (command == "row" && argc < 7)) return 2;
    const HWND window = FindTopLevel(argv[3], argv[4]);
    HWND control = window ? ::GetDlgItem(window, std::atoi(argv[5])) : nullptr;
    if (!control) return 1;
    if (command == "enabled") return Answer(out, ::IsWindowEnabled(control) ? "1" : "0") ? 0 : 1;
    if (command == "count" || command == "row")
      if (const HWND list = ::FindWindowExA(control, nullptr, WC_LISTVIEWA, nullptr)) control = list;
    if (command == "count") return Answer(out, std::to_string(::SendMessageA(control, LVM_GETITEMCOUNT, 0, 0))) ? 0 : 1;
    if (command == "row") {
      RECT row{};
      if (!RowRect(control, std::atoi(argv[6]), &row)) return 1;
      POINT at{row.left + 24, (row.top + row.bottom) / 2};
      ::ClientToScreen(control, &at);
      return Answer(out, std::to_string(at.x) + " " + std::to_string(at.y)) ? 0 : 1;
    }
    RECT r{};
    ::GetWindowRect(control, &r);
    return Answer(out, std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2)) ? 0 : 1;
  }
  if (command == "viewer") {
    if (argc < 5) return 2;
    const std::string ext = std::string(kClasses) + argv[3];
    const std::string previous = GetValue(ext, nullptr);
    if (previous != kTestType && !SetDefault(ext, previous, kSavedValue)) return 1;
    const bool done = SetDefault(std::string(kClasses) + kTestType + "\\Shell\\Open\\Command", argv[4]) &&
                      SetDefault(ext, kTestType);
    return done && Answer(out, "ok") ? 0 : 1;
  }
  if (command == "restore") {
    const std::string ext = std::string(kClasses) + argv[3];
    const std::string previous = GetValue(ext, kSavedValue);
    SetDefault(ext, previous);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, ext.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      ::RegDeleteValueA(key, kSavedValue);
      ::RegCloseKey(key);
    }
    for (const char* sub : {"\\Shell\\Open\\Command", "\\Shell\\Open", "\\Shell", ""})
      ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kClasses) + kTestType + sub).c_str());
    return Answer(out, "ok") ? 0 : 1;
  }
  return 2;
}
