#include <windows.h>
#include <commctrl.h>

#include "app/options.h"
#include "app/ui/form_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  orlix::MakeProcessDpiAware();
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);

  orlix::Main();

  // The program lives as long as one of its windows; the last one to close posts WM_QUIT.
  if (orlix::Form::OpenCount() == 0) return 0;
  MSG message{};
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (orlix::Form::PreTranslateMessage(&message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
