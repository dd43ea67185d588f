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

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/unique_handle_win.h"
#include "tests/support/window_driver_win.h"

namespace {

using namespace orlix::testing_support;

constexpr char kClasses[] = "Software\\Classes\\";
constexpr char kTestType[] = "OrlixWalkthrough.Viewer";
constexpr char kSavedValue[] = "OrlixWalkthroughSaved";

// A visible top-level window of `className` (and `title`, unless it is empty or "-").
HWND FindTopLevel(const std::string& className, const std::string& title, double seconds = 15) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> windows = ProcessWindows(0, [&](HWND w) {
          return ClassOf(w) == className && (title.empty() || title == "-" || WindowText(w) == title);
        });
        found = windows.empty() ? nullptr : windows[0];
        return found != nullptr;
      },
      seconds);
  return found;
}

bool Answer(const char* path, const std::string& line) {
  std::ofstream out(path, std::ios::binary);
  return static_cast<bool>(out << line << "\n");
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

  if (command == "wait") return FindTopLevel(argv[3], argc > 4 ? argv[4] : "") && Answer(out, "ok") ? 0 : 1;
  if (command == "gone") return WaitUntil([&] { return !FindTopLevel(argv[3], "", 0); }, 15) && Answer(out, "ok") ? 0 : 1;
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
  TestKeys machine(HKEY_LOCAL_MACHINE);  // keys this process writes stay
  const std::string ext = std::string(kClasses) + argv[3];
  std::string previous;
  if (command == "viewer") {
    if (argc < 5) return 2;
    machine.Get(ext, &previous);
    if (previous != kTestType && !machine.Set(ext, previous, REG_SZ, kSavedValue)) return 1;
    const bool done = machine.Set(std::string(kClasses) + kTestType + "\\Shell\\Open\\Command", argv[4]) &&
                      machine.Set(ext, kTestType);
    return done && Answer(out, "ok") ? 0 : 1;
  }
  if (command == "restore") {
    machine.Get(ext, &previous, kSavedValue);
    machine.Set(ext, previous);
    orlix::UniqueHkey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, ext.c_str(), 0, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS)
      ::RegDeleteValueA(key.get(), kSavedValue);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string(kClasses) + kTestType);
    return Answer(out, "ok") ? 0 : 1;
  }
  return 2;
}
