// The data side of the ReportView control: the field mask read into column definitions, the
// data array, and the population of a grid from both. Works on any Grid (the ListView of the
// control, or an in-memory grid), so the whole intake runs without a window as well.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/keyed_collection.h"
#include "base/locale_info.h"
#include "base/variant.h"
#include "reportview/data_file.h"
#include "reportview/field_mask_info.h"
#include "reportview/grid.h"

namespace orlix {

class ReportViewData {
 public:
  using FieldList = KeyedCollection<cFieldMaskInfo>;

  // `grid` must outlive this object. Cells are shown in `locale`, or in the user's locale when
  // it is null.
  explicit ReportViewData(Grid& grid, const LocaleInfo* locale = nullptr);

  // The mask as last set; storing it reads nothing (see ApplyFieldMask).
  const std::string& FieldMask() const { return mstrFieldMask; }
  void StoreFieldMask(std::string strFieldMask) { mstrFieldMask = std::move(strFieldMask); }
  // The parsed mask; null until the first ParseFieldMask.
  const std::shared_ptr<FieldList>& Fields() const { return mcolFields; }

  // Stores a copy of the data: an array is copied cell by cell, so later changes to the
  // caller's array do not reach the grid.
  void StoreDataToShow(const Variant& vntData);
  // Stores `data` itself, without a copy: for an owner that hands its array over.
  void TakeDataToShow(VariantArray data);
  const Variant& DataToShow() const { return mvntDataToShow; }
  // Result of the last population; false before the first.
  bool ViewIsEmpty() const { return mblnViewIsEmpty; }

  // Run after the columns or rows change, so that the owner can lay itself out again.
  // Errors thrown by it are ignored, like every error of the layout.
  void SetLayoutHandler(std::function<void()> layout) { layout_ = std::move(layout); }

  // The control's operations, each as one step:
  //   FieldMask assigned:  StoreFieldMask, ParseFieldMask, BuildColumns (ApplyFieldMask);
  //   Generate:            ParseFieldMask and BuildColumns when no field list exists, PopulateRows;
  //   Clear:               ClearView.
  void ApplyFieldMask(std::string strFieldMask);
  void Generate();
  // Generate for a one-time report of data given by TakeDataToShow and needed no more: texts
  // of cells that one field entry shows as they are move into the grid instead of being
  // copied. The data to show is empty afterwards (also after a failure). Data that was stored
  // otherwise, or that is shared, is generated as by Generate and kept.
  void GenerateFromTakenData();
  // Generate for data read row by row (ReadDataFileRows), never held whole: `read` hands each
  // row to the sink it is given and returns the data's shape. Each row is shown as it arrives,
  // its texts moved into the grid, and the data to show is empty afterwards. The rows and the
  // failures are those of Generate for the same data as an array; a failure that depends on the
  // whole data (a field beyond the widest row) is found after the last row.
  void GenerateFromRows(const std::function<DataShape(const DataRowSink&)>& read);

  // Rebuilds the field list from the mask. An entry that cannot be read (a field number beyond
  // 32 bits, a mask longer than the reader takes) ends the list; it stays in the list with what
  // was read of it.
  void ParseFieldMask();
  // Replaces all columns and rows by one column per field entry, keyed by the entry's Key.
  // Two entries with the same field number of 1 or more give the same key: throws
  // std::invalid_argument, with the columns before the second one in place.
  void BuildColumns();
  // Fills one row per element of the data array's second dimension, translated and formatted
  // by the field entries; numbers are padded to four characters and centred (never the first
  // column). Sizes the columns to their contents when the array has two fields or more.
  // No data (empty or null) gives an empty view. Throws, with the redraw lock released and
  // the rows before the failing one in place:
  //   std::invalid_argument  data that is not a two-dimensional array, a cell holding an array,
  //                          a grid with fewer columns than field entries (after ClearView);
  //   std::out_of_range      a field number outside the array's first dimension.
  void PopulateRows();
  void ClearItems();
  void ClearView();

  // `text` with spaces in front up to `width` characters; longer texts are unchanged.
  static std::string PadLeft(std::string_view text, int width);

 private:
  const LocaleInfo& Locale() const;
  void LayOutAgain();
  // PopulateRows, moving cell texts out of `movable` (the data to show) where it may.
  void Populate(VariantArray* movable);

  Grid& grid_;
  const LocaleInfo* locale_;
  std::function<void()> layout_;

  std::string mstrFieldMask;
  std::shared_ptr<FieldList> mcolFields;
  Variant mvntDataToShow;
  std::shared_ptr<VariantArray> mTakenData;  // the array of mvntDataToShow when it was handed over
  bool mblnViewIsEmpty = false;
};

}  // namespace orlix
