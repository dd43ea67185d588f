// The grid on the real ListView: the wrapper read back through the control's own messages, and
// the ReportView grid window (column-click sorting, persistence, siting).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/variant.h"
#include "report/ui/report_view_window.h"
#include "reportview/listview_grid_win.h"
#include "reportview/memory_property_store.h"
#include "reportview/report_view_data.h"
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

using namespace testing_support;

// A grid of texts, field by row.
Variant Cells(const std::vector<std::vector<std::string>>& rows) {
  const auto fields = static_cast<std::int32_t>(rows.empty() ? 0 : rows[0].size());
  auto array = std::make_shared<VariantArray>(VariantArray::TwoDimensional(fields, static_cast<std::int32_t>(rows.size())));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::int32_t f = 0; f < fields; ++f) array->At(f, static_cast<std::int32_t>(r)) = Variant::FromText(rows[r][f]);
  return Variant::FromArray(array);
}

class ListViewGridTest : public ::testing::Test {
 protected:
  // The header text of `column`, and its alignment in `format`.
  std::string Header(int column, int* format = nullptr) const {
    char buffer[512] = {};
    LVCOLUMNA request{};
    request.mask = LVCF_TEXT | LVCF_FMT;
    request.pszText = buffer;
    request.cchTextMax = sizeof buffer;
    SendMessageA(window.List(), LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&request));
    if (format) *format = request.fmt & LVCFMT_JUSTIFYMASK;
    return buffer;
  }
  int Columns() const {
    const auto header = reinterpret_cast<HWND>(SendMessageA(window.List(), LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  }

  TestListViewWindow window;
  ListViewGrid grid{BorrowedWindow{window.List()}};
};

TEST_F(ListViewGridTest, PopulationTextsAndAlignmentsAreWhatTheControlShows) {
  ReportViewData view(grid, &EnglishUnitedStates());
  view.ApplyFieldMask("0=\"ProgID\",1=\"Count\",2=\"Note\"");
  view.StoreDataToShow(Cells({{"Orlix.Object.0", "0", "text"}, {"Orlix.Object.1", "7", "t"}, {"Orlix.Object.2", "14", "t"}}));
  view.Generate();
  ASSERT_EQ(Columns(), 3);
  ASSERT_EQ(ListRowCount(window.List()), 3);
  EXPECT_EQ(Header(1), "Count");
  EXPECT_EQ(ListColumn(window.List(), 1), (std::vector<std::string>{"   0", "   7", "  14"}));
  EXPECT_EQ(ListText(window.List(), 2, 0), "Orlix.Object.2");
  std::vector<int> formats(3);
  for (int column = 0; column < 3; ++column) Header(column, &formats[column]);
  EXPECT_EQ(formats, (std::vector<int>{LVCFMT_LEFT, LVCFMT_CENTER, LVCFMT_LEFT}));
  EXPECT_EQ(grid.ColumnKey(2), "MASK2");

  // Texts cross the boundary in the ANSI code page, and long ones are read whole.
  grid.RemoveAllColumns();
  grid.RemoveAllItems();
  const std::string header(700, 'h'), text(3000, 't');
  grid.AddColumn("", "Caf\xC3\xA9");
  grid.AddColumn("", header);
  grid.AddRow({"\xE2\x82\xAC 5", text});
  EXPECT_EQ(Header(0), "Caf\xE9");
  EXPECT_EQ(ListText(window.List(), 0, 0), "\x80 5");
  EXPECT_EQ(grid.ItemText(0, 0), "\xE2\x82\xAC 5");
  EXPECT_EQ(grid.ColumnHeader(1), header);
  EXPECT_EQ(grid.ItemText(0, 1), text);
}

TEST_F(ListViewGridTest, WidthsOrderAndKeysOfTheColumns) {
  grid.AddColumn("MASK1", "A");
  grid.AddColumn("", "B");
  grid.AddColumn("", "C");
  EXPECT_THROW(grid.AddColumn("Mask1", "D"), std::invalid_argument);
  EXPECT_EQ(Columns(), 3);
  grid.AddRow({"i", "a text much wider than a single letter", ""});
  grid.SetColumnWidth(0, 300);
  EXPECT_EQ(grid.ColumnWidth(0), 300);
  grid.AutoSizeColumn(0);
  grid.AutoSizeColumn(1);
  EXPECT_LT(grid.ColumnWidth(0), 300);
  EXPECT_GT(grid.ColumnWidth(1), grid.ColumnWidth(0));
  EXPECT_THROW(grid.SetColumnWidth(0, -1), std::invalid_argument);  // not an auto-size request

  int order[3] = {2, 0, 1};
  ASSERT_TRUE(SendMessageA(window.List(), LVM_SETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order)));
  EXPECT_EQ(grid.ColumnOrder(), (std::vector<int>{2, 0, 1}));
  grid.SetColumnOrder({1, 2, 0});
  SendMessageA(window.List(), LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order));
  EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{1, 2, 0}));
  for (const std::vector<int>& wrong : {std::vector<int>{0, 0, 1}, std::vector<int>{0, 1, 3}, std::vector<int>{0, 1}})
    EXPECT_THROW(grid.SetColumnOrder(wrong), std::invalid_argument) << wrong.back();

  grid.RemoveAllColumns();
  EXPECT_EQ(Columns(), 0);
  grid.AddColumn("MASK1", "A");  // free again
  EXPECT_EQ(grid.ColumnKey(0), "MASK1");
}

// Orders items by their own text, as a column click does.
int CALLBACK CompareItemTexts(LPARAM first, LPARAM second, LPARAM list) {
  const HWND l = reinterpret_cast<HWND>(list);
  return ListText(l, static_cast<int>(first), 0).compare(ListText(l, static_cast<int>(second), 0));
}

TEST_F(ListViewGridTest, SubItemCountFollowsTheItemThroughASort) {
  for (const char* name : {"A", "B", "C"}) grid.AddColumn("", name);
  grid.AddItem("b");
  grid.SetSubItem(0, 1, "x");
  grid.AddRow({"a", "y", "z"});
  ASSERT_EQ(grid.SubItemCount(0), 1);
  ASSERT_EQ(grid.SubItemCount(1), 2);
  ASSERT_TRUE(SendMessageA(window.List(), LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(window.List()),
                           reinterpret_cast<LPARAM>(&CompareItemTexts)));
  EXPECT_EQ(grid.ItemText(0, 0), "a");
  EXPECT_EQ(grid.SubItemCount(0), 2);
  EXPECT_EQ(grid.SubItemCount(1), 1);
  EXPECT_THROW(grid.SetSubItem(0, 3, "no column"), std::out_of_range);
  EXPECT_THROW(grid.AddRow({"1", "2", "3", "4"}), std::out_of_range);
  EXPECT_EQ(ListRowCount(window.List()), 2) << "a refused row adds nothing";
}

TEST_F(ListViewGridTest, TheRedrawLockNestsAndLeavesOthersLocksAlone) {
  ASSERT_TRUE(LockWindowUpdate(window.Other()));
  grid.LockRedraw();
  grid.UnlockRedraw();
  EXPECT_FALSE(LockWindowUpdate(window.Top())) << "the other window's lock was released by the grid";
  LockWindowUpdate(nullptr);

  grid.UnlockRedraw();  // one unlock too many: the next lock still locks
  {
    GridRedrawLock outer(grid);
    EXPECT_FALSE(window.RedrawReleased());
    { GridRedrawLock inner(grid); }  // nested: one lock for both
    EXPECT_FALSE(window.RedrawReleased());
  }
  EXPECT_TRUE(window.RedrawReleased());
  EXPECT_TRUE(IsWindowVisible(window.List())) << "the redraw switch is back on";
  EXPECT_TRUE(LockWindowUpdate(window.List())) << "the list view itself takes the lock again";
  LockWindowUpdate(nullptr);
}

TEST_F(ListViewGridTest, TheWrapperDoesNotOwnTheWindow) {
  {
    ListViewGrid second{BorrowedWindow{window.List()}};
    second.AddColumn("", "A");
  }
  EXPECT_TRUE(IsWindow(window.List()));
  EXPECT_EQ(grid.ColumnCount(), 1) << "a second wrapper sees the columns of the first";
  EXPECT_THROW(ListViewGrid(BorrowedWindow{nullptr}), std::invalid_argument);
}

// --- the ReportView window ---

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

void Fill(ReportView& view, const std::string& mask, const std::vector<std::vector<std::string>>& rows) {
  view.FieldMask(mask);
  view.DataToShow(Cells(rows));
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
  const std::vector<std::string> march = dayFirst ? std::vector<std::string>{"2/3/2002", "e"}
                                                   : std::vector<std::string>{"3/2/2002", "d"};
  const std::vector<std::string> february = dayFirst ? std::vector<std::string>{"3/2/2002", "d"}
                                                      : std::vector<std::string>{"2/3/2002", "e"};
  ClickHeader(view, 0);  // from the initial ascending order: descending
  EXPECT_EQ(ListColumn(list, 0), (std::vector<std::string>{march[0], february[0], "1/1/2002", "31/12/2001", "n/a"}));
  EXPECT_EQ(ListColumn(list, 1), (std::vector<std::string>{march[1], february[1], "c", "a", "b"}));
  ClickHeader(view, 0);  // then ascending, the texts that are no dates first
  EXPECT_EQ(ListColumn(list, 0), (std::vector<std::string>{"n/a", "31/12/2001", "1/1/2002", february[0], march[0]}));
  EXPECT_EQ(ListColumn(list, 1), (std::vector<std::string>{"b", "a", "c", february[1], march[1]}));
  EXPECT_EQ(LockWindowUpdate(list), TRUE) << "the redraw lock was not released";
  LockWindowUpdate(nullptr);
}

TEST(ReportViewWindow, TextSortIgnoresCaseAndTogglesOnEveryClick) {
  ReportView view;
  Fill(view, "0=\"Name\",1=\"Version\"", {{"bravo", "1"}, {"Alpha", "3"}, {"charlie", "2"}, {"Delta", "10"}});
  const std::vector<std::string> descending{"Delta", "charlie", "bravo", "Alpha"};
  for (int click = 0; click < 3; ++click) {  // descending, ascending, descending again
    ClickHeader(view, 0);
    EXPECT_EQ(ListColumn(view.ListView(), 0),
              click % 2 ? std::vector<std::string>(descending.rbegin(), descending.rend()) : descending);
  }
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
