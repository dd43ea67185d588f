// frmAbout: the product picture, names, version and the maker's web address. The opening window
// at start-up, and shown again from the main window's About button; OK leads to the main window.
#pragma once

#include <windows.h>

#include <string>

#include "app/ui/form_win.h"

namespace orlix {

// The maker's web address shown by the link label and opened by clicking it.
constexpr char kMakerWebAddress[] = "https://www.orlix.example/";
constexpr char kMakerWebAddressText[] = "www.orlix.example";
constexpr char kAboutWindowClass[] = "OrlixAboutWindow";

// Control identifiers, for tests and tools that find the controls.
enum AboutControlId : int {
  kAboutOk = IDOK,
  kAboutCompanyName = 200,
  kAboutAppName,
  kAboutNote,
  kAboutUrl,
  kAboutVersion,
  kAboutNotice,
  kAboutCompany,
  kAboutRights,
};

// The running program's version from its own version resource: major, minor and revision
// (FILEVERSION's first three numbers) in plain decimal joined by dots; empty without one.
std::string ProgramVersion();

class frmAbout : public Form {
 public:
  // Creates and shows a new About window (non-modal); null when it cannot be created.
  static HWND Show();

 private:
  frmAbout() = default;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void Form_Load();
  void ApplyCaptions();
  void CreateFonts();
  void LayOut();
  void Form_Paint();
  void Form_DpiChanged(int dpi, const RECT& suggested);
  void cmdOK_Click();
  void lblURL_Click();

  std::string mVersion;
  HWND lblCompanyName = nullptr, lblAppName = nullptr, lblNote = nullptr, lblURL = nullptr, lblESVersion = nullptr,
       lblNotice = nullptr, lblCompany = nullptr, lblRights = nullptr, cmdOK = nullptr;
  UniqueHbitmap splash_;
  UniqueHfont normalFont_, titleFont_, linkFont_;
};

}  // namespace orlix
