// The data intake cases on the real ListView, in a real window.
#include <gtest/gtest.h>

#include "reportview/listview_grid_win.h"
#include "tests/shared/data_intake_cases.h"
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

struct ListViewMaker {
  Grid& Get() { return grid; }
  bool RedrawReleased() { return window.RedrawReleased(); }
  testing_support::TestListViewWindow window;
  ListViewGrid grid{BorrowedWindow{window.List()}};
};

}  // namespace

namespace intake_cases {
INSTANTIATE_TYPED_TEST_SUITE_P(ListView, DataIntake, ListViewMaker);
}  // namespace intake_cases

}  // namespace orlix
