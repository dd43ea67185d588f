#include "app/ui/form_win.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <vector>

#include "app/captions.h"
#include "app/ui/app_resources.h"
#include "platform/ansi_win.h"
#include "platform/message_box_prompt_win.h"

namespace orlix {
namespace {

// The shell windows that exist, in creation order.
std::vector<HWND>& OpenForms() {
  static std::vector<HWND> forms;
  return forms;
}

// Functions of newer systems, looked up at run time so that the program still starts on older ones.
template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user32 = ::GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

int CALLBACK NoteFontFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontFamilyInstalled(const char* face) {
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  const WindowDc screen(nullptr);
  ::EnumFontFamiliesExA(screen.get(), &wanted, NoteFontFamily, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

const char* ShellFontFace() {
  static const char* const face = [] {
    for (const char* candidate : {"MS Sans Serif", "Microsoft Sans Serif", "Tahoma", "Arial"})
      if (FontFamilyInstalled(candidate)) return candidate;
    return "MS Shell Dlg";
  }();
  return face;
}

}  // namespace

int PixelsToTwips(int pixels, int dpi) { return ::MulDiv(pixels, 1440, dpi); }

void MakeProcessDpiAware() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  if (const auto setContext = User32Function<SetContextFn>("SetProcessDpiAwarenessContext")) {
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, then the first per-monitor version.
    if (setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4))) ||
        setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3))))
      return;
  }
  using SetAwareFn = BOOL(WINAPI*)();
  if (const auto setAware = User32Function<SetAwareFn>("SetProcessDPIAware")) setAware();
}

UniqueHfont CreateShellFont(int dpi, int tenthsOfPoint, bool bold, bool underline) {
  LOGFONTA font{};
  font.lfHeight = -::MulDiv(tenthsOfPoint, dpi, 720);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfUnderline = underline ? TRUE : FALSE;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynA(font.lfFaceName, ShellFontFace(), LF_FACESIZE);
  return UniqueHfont(::CreateFontIndirectA(&font));
}

HICON LoadProgramIcon(int dpi, int metric) {
  using MetricsForDpiFn = int(WINAPI*)(int, UINT);
  static const MetricsForDpiFn metricsForDpi = User32Function<MetricsForDpiFn>("GetSystemMetricsForDpi");
  const int size = metricsForDpi ? metricsForDpi(metric, static_cast<UINT>(dpi)) : ::GetSystemMetrics(metric);
  // Shared icons: the system frees them with the module.
  return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ORLIXOBJECT), IMAGE_ICON,
                                         size, size, LR_SHARED));
}

void SetControlText(HWND control, const std::string& text) {
  ::SetWindowTextA(control, Utf8ToAnsi(text).c_str());
}

Form::~Form() = default;

int Form::OpenCount() { return static_cast<int>(OpenForms().size()); }

bool Form::PreTranslateMessage(MSG* message) {
  if (!message->hwnd) return false;
  const HWND root = ::GetAncestor(message->hwnd, GA_ROOT);
  const std::vector<HWND>& forms = OpenForms();
  if (std::find(forms.begin(), forms.end(), root) == forms.end()) return false;
  if (message->message == WM_KEYDOWN && message->wParam == VK_RETURN) {
    // Enter presses the push button that has the focus; elsewhere the default button (below).
    const HWND focus = ::GetFocus();
    if (focus && ::IsChild(root, focus) && ::IsWindowEnabled(focus) &&
        (::SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
      ::SendMessageA(root, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(focus), BN_CLICKED), reinterpret_cast<LPARAM>(focus));
      return true;
    }
  }
  return ::IsDialogMessageA(root, message) != FALSE;
}

HWND Form::Open(std::unique_ptr<Form> form, const char* className, DWORD style, int clientWidthTwips,
                int clientHeightTwips) {
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (!::GetClassInfoExA(instance, className, &windowClass)) {
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = className;
    windowClass.hIcon = LoadProgramIcon(96, SM_CXICON);
    windowClass.hIconSm = LoadProgramIcon(96, SM_CXSMICON);
    if (!::RegisterClassExA(&windowClass)) return nullptr;
  }
  Form* const self = form.get();
  // Created hidden and small: the DPI is only known once the window exists. WM_NCCREATE takes
  // the object over; should creation fail after that, WM_NCDESTROY has deleted it already.
  const HWND window = ::CreateWindowExA(WS_EX_CONTROLPARENT, className, "", style, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                                        nullptr, nullptr, instance, &form);
  if (!window) return nullptr;
  RECT frame{0, 0, self->Px(clientWidthTwips), self->Px(clientHeightTwips)};
  using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const AdjustForDpiFn adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(window, GWL_EXSTYLE));
  if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(self->dpi_)))
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int left = static_cast<int>(work.left) + std::max(0, static_cast<int>(work.right - work.left) - width) / 2;
  const int top = static_cast<int>(work.top) + std::max(0, static_cast<int>(work.bottom - work.top) - height) / 2;
  ::SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  // The first WM_SIZE of the real size comes now; load handlers run before it (WM_CREATE).
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::UpdateWindow(window);
  return window;
}

void Form::ReportError(const std::exception& error) {
  try {
    MessageBoxPrompt(hwnd_).Warn(Captions()[1].empty() ? "Orlix Ravelin" : Captions()[1], error.what());
  } catch (...) {
    ::MessageBeep(MB_ICONWARNING);
  }
}

HWND Form::CreateControl(const char* windowClass, DWORD style, const Placement& at) {
  return ::CreateWindowExA(0, windowClass, "", WS_CHILD | WS_VISIBLE | style, Px(at.left), Px(at.top), Px(at.width),
                           Px(at.height), hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(at.id)),
                           ::GetModuleHandleA(nullptr), nullptr);
}

bool Form::MoveControl(HWND control, int left, int top, int width, int height) {
  if (!control || width < 0 || height < 0) return false;
  return ::SetWindowPos(control, nullptr, Px(left), Px(top), Px(width), Px(height), SWP_NOZORDER | SWP_NOACTIVATE) !=
         FALSE;
}

void Form::MoveControlTo(HWND control, int left, int top) {
  if (control) ::SetWindowPos(control, nullptr, Px(left), Px(top), 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Form* self = reinterpret_cast<Form*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<std::unique_ptr<Form>*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams)->release();
    self->hwnd_ = window;
    self->dpi_ = WindowDpi(window);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    OpenForms().push_back(window);
  }
  if (!self) return ::DefWindowProcA(window, message, wParam, lParam);

  if (message == WM_ACTIVATE) {
    // A window that is not a dialog keeps its own focus memory.
    if (LOWORD(wParam) == WA_INACTIVE) {
      const HWND focus = ::GetFocus();
      if (focus && ::IsChild(window, focus)) self->focus_ = focus;
    } else if (self->focus_ && ::IsWindow(self->focus_) && ::IsWindowEnabled(self->focus_)) {
      ::SetFocus(self->focus_);
      return 0;
    }
  }

  LRESULT result = 0;
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    self->ReportError(error);
    if (message == WM_CREATE) result = -1;  // a window that could not load is not shown
  } catch (...) {
    self->ReportError(std::runtime_error("unexpected failure"));
    if (message == WM_CREATE) result = -1;
  }

  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    std::vector<HWND>& forms = OpenForms();
    forms.erase(std::remove(forms.begin(), forms.end(), window), forms.end());
    delete self;
    if (forms.empty()) ::PostQuitMessage(0);
  }
  return result;
}

}  // namespace orlix
