// The ReportView grid window: column-click sorting (dates through their sortable keys, texts as
// Windows lists compare them) and persistence through the property store.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "base/variant.h"
#include "report/ui/report_view_window.h"
#include "reportview/memory_property_store.h"

namespace orlix {
namespace {

std::string CellText(HWND list, int row, int column) {
  char buffer[256] = {};
  LVITEMA request{};
  request.iSubItem = column;
  request.pszText = buffer;
  request.cchTextMax = sizeof buffer;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&request));
  return buffer;
}

std::vector<std::string> Column(HWND list, int column) {
  std::vector<std::string> texts;
  const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) texts.push_back(CellText(list, row, column));
  return texts;
}

// A click on a column header, as the list view reports it to its parent.
void ClickHeader(const ReportView& view, int column) {
  NMLISTVIEW click{};
  click.hdr.hwndFrom = view.ListView();
  click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(view.ListView()));
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageA(view.Window(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

// Shows `rows` (first field, second field) in a report view under `mask`.
void Fill(ReportView& view, const std::string& mask, const std::vector<std::pair<std::string, std::string>>& rows) {
  auto cells = std::make_shared<VariantArray>(VariantArray::TwoDimensional(2, static_cast<std::int32_t>(rows.size())));
  for (std::size_t row = 0; row < rows.size(); ++row) {
    cells->At(0, static_cast<std::int32_t>(row)) = Variant::FromText(rows[row].first);
    cells->At(1, static_cast<std::int32_t>(row)) = Variant::FromText(rows[row].second);
  }
  view.FieldMask(mask);
  view.DataToShow(Variant::FromArray(cells));
  view.Generate();
}

// Dates in the first column, read in the user's locale: "3/2/2002" and "2/3/2002" change places
// between month-first and day-first, the others do not.
TEST(ReportViewWindow, DateSortOrdersByTheLocalesDatesAndRestoresTheTexts) {
  const char* expected = std::getenv("ORLIX_EXPECT_LOCALE");
  const LCID lcid = GetUserDefaultLCID();
  if (expected) {
    ASSERT_EQ(lcid, std::string(expected) == "en_GB" ? 0x809u : 0x409u) << "the process runs in another locale";
  }
  if (lcid != 0x409 && lcid != 0x809) GTEST_SKIP() << "neither en-US nor en-GB";
  const bool dayFirst = lcid == 0x809;

  ReportView view;  // unsited: it makes a hidden window of its own
  Fill(view, "0=\"Date Created\",1=\"Name\"",
       {{"31/12/2001", "a"}, {"n/a", "b"}, {"1/1/2002", "c"}, {"3/2/2002", "d"}, {"2/3/2002", "e"}});
  HWND list = view.ListView();
  ASSERT_NE(list, nullptr);

  ClickHeader(view, 0);  // from the initial ascending order: descending
  const std::vector<std::string> march = dayFirst ? std::vector<std::string>{"2/3/2002", "e"}
                                                   : std::vector<std::string>{"3/2/2002", "d"};
  const std::vector<std::string> february = dayFirst ? std::vector<std::string>{"3/2/2002", "d"}
                                                      : std::vector<std::string>{"2/3/2002", "e"};
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{march[0], february[0], "1/1/2002", "31/12/2001", "n/a"}));
  EXPECT_EQ(Column(list, 1), (std::vector<std::string>{march[1], february[1], "c", "a", "b"}));

  ClickHeader(view, 0);  // then ascending, the texts that are no dates first
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"n/a", "31/12/2001", "1/1/2002", february[0], march[0]}));
  EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"b", "a", "c", february[1], march[1]}));
  EXPECT_EQ(LockWindowUpdate(list), TRUE) << "the redraw lock was not released";
  LockWindowUpdate(nullptr);
}

TEST(ReportViewWindow, TextSortIgnoresCaseAndTogglesOnEveryClick) {
  ReportView view;
  Fill(view, "0=\"Name\",1=\"Version\"", {{"bravo", "1"}, {"Alpha", "3"}, {"charlie", "2"}, {"Delta", "10"}});
  HWND list = view.ListView();
  ClickHeader(view, 0);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Delta", "charlie", "bravo", "Alpha"}));
  ClickHeader(view, 0);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Alpha", "bravo", "charlie", "Delta"}));
  ClickHeader(view, 0);  // the order toggles whichever column is clicked: descending again
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Delta", "charlie", "bravo", "Alpha"}));
}

TEST(ReportViewWindow, PropertiesRoundTripThroughTheStoreWithoutTheirDefaults) {
  ReportView view;
  std::vector<std::string> changed;
  view.SetPropertyChangedHandler([&changed](const std::string& name) { changed.push_back(name); });
  view.InitProperties();
  EXPECT_FALSE(view.ViewIsEmpty());
  view.ReportTitle("Components");
  view.FieldMask("0=\"ProgID\"");
  view.ReportSubTitle("{||Date||}");  // its default again
  EXPECT_EQ(changed, (std::vector<std::string>{"ReportTitle", "FieldMask", "ReportSubTitle"}));

  MemoryPropertyStore store;
  store.Set("ReportSubTitle", "stale");
  view.WriteProperties(store);
  EXPECT_EQ(store.Values(), (std::map<std::string, std::string>{{"FieldMask", "0=\"ProgID\""}, {"ReportTitle", "Components"}}));

  ReportView loaded;
  loaded.ReadProperties(store);
  EXPECT_EQ(loaded.ReportTitle(), "Components");
  EXPECT_EQ(loaded.ReportSubTitle(), "{||Date||}");
  EXPECT_EQ(loaded.FieldMask(), "0=\"ProgID\"");
}

// A control used before it is sited keeps a hidden window of its own; Create moves that window
// into the host, and the list view fills the control at every size.
TEST(ReportViewWindow, UnsitedControlMovesIntoItsHostAndItsListFillsItOnResize) {
  ReportView view;
  view.FieldMask("0=\"Name\"");
  HWND own = view.Window();
  ASSERT_NE(own, nullptr);
  EXPECT_FALSE(IsWindowVisible(own));

  HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  view.Create(host, RECT{10, 20, 210, 120}, 7);
  EXPECT_EQ(view.Window(), own);
  EXPECT_EQ(GetParent(own), host);
  EXPECT_EQ(GetDlgCtrlID(own), 7);
  EXPECT_EQ(view.FieldMask(), "0=\"Name\"");
  auto listSize = [&view] {
    RECT r{};
    GetWindowRect(view.ListView(), &r);
    return std::make_pair(r.right - r.left, r.bottom - r.top);
  };
  EXPECT_EQ(listSize(), std::make_pair(200L, 100L));
  MoveWindow(own, 0, 0, 300, 150, TRUE);
  EXPECT_EQ(listSize(), std::make_pair(300L, 150L));
  DestroyWindow(host);
  EXPECT_EQ(view.Window(), nullptr);
  EXPECT_EQ(view.FieldMask(), "0=\"Name\"");  // what the host gave outlives the window
}

}  // namespace
}  // namespace orlix
