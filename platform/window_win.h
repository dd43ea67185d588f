// Small helpers shared by the program's windows: the module that holds the code (so that a
// window class or dialog works the same from the program and from the control library), the
// window's DPI, and twips to pixels.
#pragma once

#include <windows.h>

namespace orlix {

// The module (program or library) that contains this code.
HINSTANCE CodeModule();

// The DPI the window is drawn at: GetDpiForWindow where the system has it, else the screen's
// LOGPIXELSX.
int WindowDpi(HWND window);

// Twips (1440 per inch) as pixels at `dpi`, rounded to the nearest pixel.
int TwipsToPixels(int twips, int dpi);

// Shows the wait cursor for a scope and puts the previous one back.
class WaitCursor {
 public:
  WaitCursor() : previous_(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { ::SetCursor(previous_ ? previous_ : ::LoadCursor(nullptr, IDC_ARROW)); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace orlix
