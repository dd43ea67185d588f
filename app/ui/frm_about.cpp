#include "app/ui/frm_about.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/captions.h"
#include "app/ui/app_resources.h"
#include "app/ui/frm_main.h"

namespace orlix {
namespace {

// Client area and picture in twips.
constexpr int kClientWidth = 6855;
constexpr int kClientHeight = 4080;
constexpr RECT kSplashTwips{120, 150, 120 + 3780, 150 + 3780};

constexpr DWORD kAboutStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kLabelStyle = SS_LEFT | SS_NOPREFIX | WS_CLIPSIBLINGS;

// The controls with their design geometry.
constexpr Placement kLayout[] = {
    {kAboutCompanyName, 4200, 120, 2655, 375}, {kAboutAppName, 4200, 480, 2655, 375},
    {kAboutNote, 4200, 1080, 2535, 855},       {kAboutUrl, 4200, 2040, 3375, 375},
    {kAboutVersion, 4200, 2520, 2535, 255},    {kAboutNotice, 4200, 2760, 2415, 255},
    {kAboutCompany, 4200, 3000, 2535, 255},    {kAboutRights, 4200, 3240, 2055, 255},
    {kAboutOk, 5550, 3600, 1095, 375},
};

bool IsOneLineLabel(int id) { return id != kAboutNote && id != kAboutOk; }

// Width and height in pixels of `control`'s text on one line in its own font; the height is the
// font's line height, whatever the text.
SIZE OneLineExtent(HWND control) {
  char text[512] = {};
  ::GetWindowTextA(control, text, sizeof text);
  SIZE extent{0, 0};
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  if (!dc) return extent;
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
  SelectedObject withFont(dc.get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(dc.get(), &metrics);
  RECT measured{0, 0, 0, 0};
  ::DrawTextA(dc.get(), text, -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | DT_LEFT);
  extent.cx = measured.right - measured.left;
  extent.cy = metrics.tmHeight;
  return extent;
}

}  // namespace

std::string ProgramVersion() {
  char path[MAX_PATH * 4] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, static_cast<DWORD>(sizeof path));
  if (length == 0 || length >= sizeof path) return std::string();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return std::string();
  std::vector<char> block(size);
  if (!::GetFileVersionInfoA(path, 0, size, block.data())) return std::string();
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
      fixedSize < sizeof(VS_FIXEDFILEINFO))
    return std::string();
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(fixed->dwFileVersionLS));
}

HWND frmAbout::Show() {
  return Open(std::unique_ptr<Form>(new frmAbout), kAboutWindowClass, kAboutStyle, kClientWidth, kClientHeight);
}

LRESULT frmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      Form_Load();
      return 0;
    case WM_PAINT:
      Form_Paint();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kAboutOk && HIWORD(wParam) == BN_CLICKED) {
        cmdOK_Click();
      } else if (LOWORD(wParam) == kAboutUrl && HIWORD(wParam) == STN_CLICKED) {
        lblURL_Click();
      }
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(kAboutOk, DC_HASDEFID);
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == lblURL) {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, RGB(0, 0, 255));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == lblURL) {
        ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
        return TRUE;
      }
      break;
    case 0x02E0: {  // WM_DPICHANGED
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      Form_DpiChanged(HIWORD(wParam), *suggested);
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

void frmAbout::Form_Load() {
  for (const Placement& p : kLayout) {
    const char* windowClass = p.id == kAboutOk ? "BUTTON" : "STATIC";
    DWORD style = p.id == kAboutOk ? WS_TABSTOP | BS_DEFPUSHBUTTON : kLabelStyle;
    if (p.id == kAboutUrl) style |= SS_NOTIFY;
    if (IsOneLineLabel(p.id)) style |= SS_ENDELLIPSIS;
    CreateControl(windowClass, style, p);
  }
  const auto item = [this](int id) { return ::GetDlgItem(hwnd_, id); };
  lblCompanyName = item(kAboutCompanyName);
  lblAppName = item(kAboutAppName);
  lblNote = item(kAboutNote);
  lblURL = item(kAboutUrl);
  lblESVersion = item(kAboutVersion);
  lblNotice = item(kAboutNotice);
  lblCompany = item(kAboutCompany);
  lblRights = item(kAboutRights);
  cmdOK = item(kAboutOk);
  ::SetWindowTextA(lblURL, kMakerWebAddressText);
  splash_.reset(static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT_SPLASH),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  CreateFonts();
  focus_ = cmdOK;

  mVersion = ProgramVersion();
  ApplyCaptions();
  LayOut();
}

void frmAbout::ApplyCaptions() {
  const CaptionTable& captions = Captions();
  SetControlText(cmdOK, captions[109]);
  SetControlText(hwnd_, captions[100]);
  SetControlText(lblCompanyName, captions[101]);
  SetControlText(lblAppName, captions[102]);
  SetControlText(lblCompany, captions[106]);
  SetControlText(lblNotice, captions[105]);
  SetControlText(lblRights, captions[107]);
  SetControlText(lblNote, captions[108]);
  SetControlText(lblESVersion, captions[104] + " " + mVersion);
}

void frmAbout::CreateFonts() {
  normalFont_ = CreateShellFont(dpi_, 80);
  titleFont_ = CreateShellFont(dpi_, 135, true);
  linkFont_ = CreateShellFont(dpi_, 98, true, true);
  for (const Placement& p : kLayout) {
    HFONT font = normalFont_.get();
    if (p.id == kAboutCompanyName || p.id == kAboutAppName) font = titleFont_.get();
    if (p.id == kAboutUrl) font = linkFont_.get();
    ::SendMessageA(::GetDlgItem(hwnd_, p.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

// The design geometry, except that a one-line label is as high as its font's line and, when
// its text is wider than designed (fonts differ between systems), grows to the right up to the
// window's edge, as the first label reaches: a taller label or a wrapped line would be drawn over
// the label below it.
void frmAbout::LayOut() {
  for (const Placement& p : kLayout) {
    const HWND control = ::GetDlgItem(hwnd_, p.id);
    int width = Px(p.width), height = Px(p.height);
    if (IsOneLineLabel(p.id)) {
      const SIZE text = OneLineExtent(control);
      width = std::max(width, std::min(static_cast<int>(text.cx), Px(kClientWidth) - Px(p.left)));
      if (text.cy > 0) height = text.cy;
    }
    ::SetWindowPos(control, nullptr, Px(p.left), Px(p.top), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void frmAbout::Form_Paint() {
  PaintScope paint(hwnd_);
  if (!splash_) return;
  BITMAP info{};
  ::GetObjectA(splash_.get(), sizeof info, &info);
  UniqueHdc source(::CreateCompatibleDC(paint.Dc()));
  if (!source) return;
  SelectedObject picture(source.get(), splash_.get());
  const int left = Px(kSplashTwips.left), top = Px(kSplashTwips.top);
  const int width = Px(kSplashTwips.right - kSplashTwips.left), height = Px(kSplashTwips.bottom - kSplashTwips.top);
  if (width == info.bmWidth && height == info.bmHeight) {
    ::BitBlt(paint.Dc(), left, top, width, height, source.get(), 0, 0, SRCCOPY);
    return;
  }
  // Other DPIs: the picture grows with the window, smoothed.
  const int oldMode = ::SetStretchBltMode(paint.Dc(), HALFTONE);
  ::SetBrushOrgEx(paint.Dc(), 0, 0, nullptr);
  ::StretchBlt(paint.Dc(), left, top, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  ::SetStretchBltMode(paint.Dc(), oldMode);
}

void frmAbout::Form_DpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  CreateFonts();
  LayOut();
  ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmAbout::cmdOK_Click() {
  frmMain::Show();
  ::DestroyWindow(hwnd_);  // deletes this object
}

void frmAbout::lblURL_Click() {
  // Whether a browser could be started is not reported: the window stays as it is either way.
  ::ShellExecuteA(nullptr, "open", kMakerWebAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace orlix
