#include <windows.h>
#include <commctrl.h>

#include "app/options.h"

namespace {

BOOL CALLBACK NoteWindow(HWND, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

bool ThreadHasWindows() {
  bool found = false;
  ::EnumThreadWindows(::GetCurrentThreadId(), NoteWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);

  orlix::Main();

  // The program lives as long as one of its windows; the last one to close posts WM_QUIT.
  if (!ThreadHasWindows()) return 0;
  MSG message{};
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
