// What the shell's two windows share: the window class plumbing (this stored at WM_NCCREATE,
// messages forwarded to HandleMessage, no exception leaving the window procedure), the count of
// open windows that ends the program with the last one, keyboard handling in the message loop,
// and geometry in twips at the window's own DPI.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/unique_handle_win.h"
#include "platform/window_win.h"

namespace orlix {

// Pixels as twips (1440 to the inch) at `dpi`; TwipsToPixels and WindowDpi in window_win.h.
int PixelsToTwips(int pixels, int dpi);

// Per-monitor DPI awareness for the process, in case the manifest's setting was not applied
// (older systems ignore the manifest's newer element; an already set awareness stays).
void MakeProcessDpiAware();

// The shell's font: MS Sans Serif where installed, else the closest sans serif
// at `tenthsOfPoint` for `dpi`.
UniqueHfont CreateShellFont(int dpi, int tenthsOfPoint, bool bold = false, bool underline = false);

// The program's own icon resource at the size of `metric` (SM_CXICON, SM_CXSMICON) for `dpi`.
HICON LoadProgramIcon(int dpi, int metric);

// A control's identifier and design geometry (twips).
struct Placement {
  int id;
  int left, top, width, height;
};

// A top-level window of the shell. The object belongs to its window: it is created with the
// window and deleted when the window is destroyed (WM_NCDESTROY). When the last open shell window
// is destroyed, WM_QUIT is posted: the program ends with its last window.
class Form {
 public:
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  HWND Window() const { return hwnd_; }
  int Dpi() const { return dpi_; }

  // Number of shell windows that exist right now.
  static int OpenCount();
  // Keyboard navigation for the shell window that `message` is aimed at (Tab, mnemonics, Enter
  // for the default button, Esc for the cancel button). True when the message was consumed.
  static bool PreTranslateMessage(MSG* message);

 protected:
  Form() = default;

  // Creates the window of `form` (class registered on first use) with the given client size in
  // twips, centred on the primary monitor's work area, and shows it. Ownership of the object
  // passes to the window. Returns the window, or null (the object is then already gone).
  static HWND Open(std::unique_ptr<Form> form, const char* className, DWORD style, int clientWidthTwips,
                   int clientHeightTwips);

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Called after every exception a handler let escape, with the window still alive.
  void ReportError(const std::exception& error);

  // A control without text at its design geometry for the window's DPI.
  HWND CreateControl(const char* windowClass, DWORD style, const Placement& at);
  // Places a control, geometry in twips. False, with nothing changed, when a size is negative.
  bool MoveControl(HWND control, int left, int top, int width, int height);
  // Moves a control, keeping its size.
  void MoveControlTo(HWND control, int left, int top);
  int Px(int twips) const { return TwipsToPixels(twips, dpi_); }
  int Tw(int pixels) const { return PixelsToTwips(pixels, dpi_); }

  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  // The control that has the focus while the window is active, kept across deactivation; set it
  // to the first control of the tab order when loading.
  HWND focus_ = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// BeginPaint and EndPaint around one WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Sets a control's text from UTF-8.
void SetControlText(HWND control, const std::string& text);

}  // namespace orlix
