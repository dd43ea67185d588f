// The Create Report dialog, shown for real: a driver thread works the dialog while the test's
// own thread holds it modally, as a host does. File types of a private class root open with the
// test viewer, which records how it was started.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/locale_info.h"
#include "base/variant.h"
#include "platform/file_system.h"
#include "report/report_jobs.h"
#include "report/ui/report_form.h"
#include "report/ui/report_view_window.h"
#include "reportview/listview_grid_win.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

using namespace testing_support;

// Counts the files the jobs write, and passes everything on to the real file system.
class CountingFileSystem : public FileSystem {
 public:
  char PathSeparator() const override { return LocalFileSystem().PathSeparator(); }
  std::string TempPathBuffer() override { return LocalFileSystem().TempPathBuffer(); }
  std::string WindowsDirectoryBuffer() override { return LocalFileSystem().WindowsDirectoryBuffer(); }
  PathState StatePath(const std::string& path) override { return LocalFileSystem().StatePath(path); }
  bool RemoveFile(const std::string& path) override { return LocalFileSystem().RemoveFile(path); }
  WriteResult WriteNewFile(const std::string& path, const std::string& bytes, std::string* error) override {
    ++writes;
    return LocalFileSystem().WriteNewFile(path, bytes, error);
  }
  bool ReplaceFile(const std::string& source, const std::string& target, std::string* error) override {
    ++writes;
    return LocalFileSystem().ReplaceFile(source, target, error);
  }
  std::atomic<int> writes{0};
};

// Chooses a format as the combo box reports a user's choice.
void SelectFormat(HWND dialog, int entry) {
  HWND combo = GetDlgItem(dialog, ReportForm::kCboFormat);
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ReportForm::kCboFormat, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// A button press, posted: the dialog may open a modal window of its own in the handler.
void Press(HWND dialog, int button) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

class ReportFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempFolder() + "\\orlix-form-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    log_ = folder_ + "\\viewer.log";
    ASSERT_TRUE(SetEnvironmentVariableA("ORLIX_TEST_VIEWER_LOG", log_.c_str()));
    viewer_ = WindowsPath(ORLIX_TEST_VIEWER);

    // The grid: a report view with three rows.
    view_.FieldMask("0=\"Name\",1=\"Size\"");
    auto cells = std::make_shared<VariantArray>(VariantArray::TwoDimensional(2, 3));
    const char* names[] = {"alpha", "beta", "gamma"};
    for (int row = 0; row < 3; ++row) {
      cells->At(0, row) = Variant::FromText(names[row]);
      cells->At(1, row) = Variant::FromText(std::to_string(row * 10));
    }
    view_.DataToShow(Variant::FromArray(cells));
    view_.Generate();
    grid_ = std::make_unique<ListViewGrid>(BorrowedWindow{view_.ListView()});

    form_.ListView(grid_.get());
    form_.ExtraParameters(MakeExportParameters("Report", "{||Date||}", 37321.0, 0.5, EnglishUnitedStates()));
    form_.MessageBoxCaption("");
  }

  void TearDown() override {
    form_.CleanUp();
    DeleteFileA((log_ + ".part").c_str());
    DeleteFileA(log_.c_str());
    DeleteFileA((folder_ + "\\saved.csv").c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  // Saves through the real save dialog: types `path` into its file name box and presses Save.
  static bool SaveAs(DWORD uiThread, HWND dialog, const std::string& path) {
    Press(dialog, ReportForm::kCmdSave);
    HWND save = WaitForThreadWindow(uiThread, "", dialog);
    if (!save) return false;
    HWND name = GetDlgItem(save, 0x480);             // edt1
    if (!name) name = GetDlgItem(save, 0x47c);       // cmb13
    if (!name) return false;
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(save, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitUntil([&] { return !IsWindow(save); });
  }

  std::string folder_;
  std::string log_;
  std::string viewer_;
  ReportView view_;
  std::unique_ptr<ListViewGrid> grid_;
  ReportForm form_;
};

TEST_F(ReportFormTest, ListsTheStylesOfEachFormatOnceAndLaysOutItsControls) {
  EXPECT_TRUE(DriveModal("Create Report", [this] { form_.Show(nullptr); },
             [](HWND dialog) {
               HWND list = GetDlgItem(dialog, ReportForm::kLvwStyle);
               EXPECT_EQ(WindowText(GetDlgItem(dialog, ReportForm::kCboFormat)), "Rich Text Format (RTF) for Word Processors");
               const std::vector<std::string> rtf = ListColumn(list, 0);
               ASSERT_EQ(rtf.size(), 16u);
               EXPECT_EQ(rtf[0], "ClassicBlack");
               EXPECT_FALSE(ListText(list, 0, 1).empty());
               EXPECT_EQ(ListSelectedRow(list), 0) << "Save and View work at once";

               SelectListRows(list, {5});
               SelectFormat(dialog, 2);
               ASSERT_EQ(ListRowCount(list), 1);
               EXPECT_EQ(ListSelectedRow(list), 0);
               EXPECT_EQ(ListText(list, 0, 0), "Comma Delimited");
               EXPECT_EQ(ListText(list, 0, 1), "Comma-delimited output suitable for spreadsheet analysis");

               SelectFormat(dialog, 1);
               EXPECT_EQ(ListSelectedRow(list), 0);
               const std::vector<std::string> html = ListColumn(list, 0);
               EXPECT_EQ(html.size(), 16u);
               EXPECT_EQ(std::set<std::string>(html.begin(), html.end()).size(), 16u);
               SelectFormat(dialog, 0);
               SelectFormat(dialog, 2);
               SelectFormat(dialog, 0);
               EXPECT_EQ(ListColumn(list, 0), rtf);  // the same rows: no job and no row was made twice

               // The controls lie where the geometry table says, at 96 DPI.
               RECT client{};
               GetClientRect(dialog, &client);
               EXPECT_NEAR(client.right, 375, 1);
               EXPECT_NEAR(client.bottom, 333, 1);
               struct Expected {
                 int id, left, top, width, height;
               } const table[] = {
                   {ReportForm::kLblFormat, 120, 120, 1815, 255}, {ReportForm::kCboFormat, 120, 360, 5415, 315},
                   {ReportForm::kLblStyle, 120, 720, 2295, 255},  {ReportForm::kLvwStyle, 120, 960, 5415, 3015},
                   {ReportForm::kPrgReportStatus, 120, 4080, 5415, 255}, {ReportForm::kCmdView, 2400, 4440, 975, 375},
                   {ReportForm::kCmdSave, 3480, 4440, 975, 375},  {ReportForm::kCmdClose, 4560, 4440, 975, 375},
               };
               for (const Expected& e : table) {
                 RECT r{};
                 GetWindowRect(GetDlgItem(dialog, e.id), &r);
                 MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
                 EXPECT_NEAR(r.left, e.left / 15, 1) << e.id;
                 EXPECT_NEAR(r.top, e.top / 15, 1) << e.id;
                 // Labels may grow to the right to fit their text in the system's font.
                 if (e.id == ReportForm::kLblFormat || e.id == ReportForm::kLblStyle)
                   EXPECT_GE(r.right - r.left, e.width / 15 - 1) << e.id;
                 else
                   EXPECT_NEAR(r.right - r.left, e.width / 15, 1) << e.id;
                 EXPECT_NEAR(r.bottom - r.top, e.height / 15, 1) << e.id;
               }
               EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, ReportForm::kPrgReportStatus)));
             }));
}

// View, then Save of the same job (its file name moves on to the saved file), then a cancelled
// Save that writes nothing; CleanUp deletes the viewed file but not the saved one.
TEST_F(ReportFormTest, ViewStartsTheViewerSaveWritesTheChosenFileAndCleanUpKeepsOnlyIt) {
  PrivateClassRoot classes;
  ASSERT_TRUE(classes.Register(".csv", "\"" + viewer_ + "\" \"%1\""));
  CountingFileSystem files;
  ScriptedPrompt prompt;
  ReportServices services;
  services.files = &files;
  services.prompt = &prompt;
  form_.Services(services);
  const std::string saved = folder_ + "\\saved.csv";
  const DWORD uiThread = GetCurrentThreadId();
  std::string viewed;
  EXPECT_TRUE(DriveModal("Create Report", [this] { form_.Show(nullptr); },
             [&](HWND dialog) {
               HWND bar = GetDlgItem(dialog, ReportForm::kPrgReportStatus);
               EXPECT_FALSE(IsWindowVisible(bar));
               SelectFormat(dialog, 2);
               SelectListRows(GetDlgItem(dialog, ReportForm::kLvwStyle), {0});
               Press(dialog, ReportForm::kCmdView);
               const std::vector<std::string> record = ViewerRecord(log_);
               ASSERT_GE(record.size(), 3u);
               viewed = record[1];
               EXPECT_EQ(record[2], "exists");
               EXPECT_EQ(viewed.rfind(TempFolder() + "\\", 0), 0u) << viewed;
               SendMessageA(dialog, WM_NULL, 0, 0);
               EXPECT_FALSE(IsWindowVisible(bar));  // the last row's report hid it again
               EXPECT_TRUE(FileExists(viewed));     // kept while the dialog lives, for the viewer
               ASSERT_TRUE(SaveAs(uiThread, dialog, saved));
               ASSERT_TRUE(WaitUntil([&] { return FileExists(saved); }));
               const int written = files.writes;

               Press(dialog, ReportForm::kCmdSave);
               HWND save = WaitForThreadWindow(uiThread, "", dialog);
               ASSERT_NE(save, nullptr);
               PostMessageA(save, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
               ASSERT_TRUE(WaitUntil([&] { return !IsWindow(save); }));
               SendMessageA(dialog, WM_NULL, 0, 0);
               EXPECT_EQ(files.writes, written);
             }));
  form_.CleanUp();  // while the services above live
  EXPECT_TRUE(prompt.History().empty());
  ASSERT_FALSE(viewed.empty());
  EXPECT_FALSE(FileExists(viewed));
  EXPECT_EQ(ReadFileBytes(saved).substr(0, 6), "\"Name\"");
}

TEST_F(ReportFormTest, TwentyOpenAndCloseCyclesLeaveNoGdiOrUserObjects) {
  auto cycle = [this] {
    ReportForm form;
    form.ListView(grid_.get());
    form.ExtraParameters(MakeExportParameters("Report", "", 37321.0, 0.5, EnglishUnitedStates()));
    EXPECT_TRUE(DriveModal("Create Report", [&form] { form.Show(nullptr); },
               [](HWND dialog) {
                 SelectFormat(dialog, 1);
                 SelectFormat(dialog, 2);
               }));
    form.CleanUp();
  };
  cycle();  // the first opening loads the system's own caches (fonts, icons of the types)
  const GuiObjectCounts before = CountGuiObjects();
  ASSERT_GT(before.gdi, 0);
  for (int i = 0; i < 20; ++i) cycle();
  const GuiObjectCounts after = CountGuiObjects();
  EXPECT_EQ(after.gdi, before.gdi);
  EXPECT_EQ(after.user, before.user);
}

// A person's way: the mouse clicks the second RTF style, Enter views it, Esc closes the dialog.
// The dialog comes from the grid window's Export, with the machine's own services.
TEST_F(ReportFormTest, ClickAStyleAndPressEnterThroughXInputThenEscape) {
  PrivateClassRoot classes;
  ASSERT_TRUE(classes.Register(".rtf", "\"" + viewer_ + "\" \"%1\""));
  std::string viewed;
  std::string secondStyle;
  EXPECT_TRUE(DriveModal("Create Report", [this] { view_.Export(nullptr); },
             [&](HWND dialog) {
               HWND list = GetDlgItem(dialog, ReportForm::kLvwStyle);
               secondStyle = ListText(list, 1, 0);
               RECT row{};
               row.left = LVIR_LABEL;
               SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
               POINT at{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
               ClientToScreen(list, &at);
               Sleep(300);  // the X server maps the window
               ASSERT_TRUE(RunXdotool("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) + " click 1"));
               ASSERT_TRUE(WaitUntil([&] { return ListSelectedRow(list) == 1; })) << "the click did not select the second style";
               ASSERT_TRUE(RunXdotool("key Return"));
               const std::vector<std::string> record = ViewerRecord(log_);
               ASSERT_GE(record.size(), 3u);
               viewed = record[1];
               ASSERT_TRUE(RunXdotool("key Escape"));
               EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "Esc did not close the dialog";
             }));
  ASSERT_FALSE(viewed.empty()) << "Enter did not view the report";
  EXPECT_NE(viewed.find(".rtf"), std::string::npos);
  EXPECT_FALSE(FileExists(viewed));  // Export cleaned the dialog up when it closed
  EXPECT_EQ(secondStyle, "ClassicBlueGray");
}

}  // namespace
}  // namespace orlix
