#include "reportview/report_view_data.h"

#include <exception>
#include <stdexcept>
#include <vector>

#include "base/format.h"
#include "base/scope_exit.h"
#include "base/text.h"
#include "platform/current_locale.h"

namespace orlix {

namespace {

// Columns narrower than this many characters get their numbers right-justified, so that the
// grid's text sort orders short numbers by value.
constexpr int kNumberWidth = 4;

std::string DescribeEntry(std::size_t position, const cFieldMaskInfo& field) {
  return "field mask entry " + std::to_string(position + 1) + " (" + std::to_string(field.FieldNumber()) + "=\"" +
         field.Description() + "\")";
}

// Shows rows of cells in a grid, translated and formatted by the field entries, one row at a time.
class RowShower {
 public:
  // With `movable`, texts that one entry shows as they are may be moved out of the cells.
  RowShower(Grid& grid, const std::vector<const cFieldMaskInfo*>& fields, bool movable, const LocaleInfo& locale)
      : grid_(grid), fields_(fields), locale_(locale), count_(fields.size()), alignment_(count_, ColumnAlignment::Left),
        numeric_(count_), direct_(count_), moves_(count_) {
    // The alignment each column ends with is that of its last row; it is only sent on a change.
    for (std::size_t j = 1; j < count_; ++j) alignment_[j] = grid_.GetColumnAlignment(static_cast<int>(j));
    // A field without translations or a format picture shows its cell as it is (a null cell
    // as empty text): the cell is read in place rather than copied through TranslateValue.
    for (std::size_t j = 0; j < count_; ++j)
      direct_[j] = !fields_[j]->HasTranslations() && fields_[j]->FormatString().empty();
    // A text may move out of the data only when no other entry reads its field.
    for (std::size_t j = 0; movable && j < count_; ++j) {
      std::size_t readers = 0;
      for (std::size_t k = 0; k < count_; ++k) readers += fields_[k]->FieldNumber() == fields_[j]->FieldNumber();
      moves_[j] = direct_[j] && readers == 1;
    }
  }

  // Adds row `r`: cellAt(field) is its cell of a field, release(field) takes that cell's text.
  template <typename CellAt, typename Release>
  void Show(std::int32_t r, CellAt cellAt, Release release) {
    // The grid takes the texts over: each row starts with fresh ones.
    texts_.resize(count_);
    for (std::size_t j = 0; j < count_; ++j) {
      const Variant& cell = cellAt(fields_[j]->FieldNumber());
      if (direct_[j] && cell.IsText()) {
        const std::string_view text = cell.Text();
        numeric_[j] = ParseNumberText(text, locale_, nullptr);
        if (numeric_[j])
          texts_[j] = ReportViewData::PadLeft(text, kNumberWidth);
        else if (moves_[j])
          texts_[j] = release(fields_[j]->FieldNumber());
        else
          texts_[j] = text;
        continue;
      }
      if (direct_[j] && (cell.IsNull() || cell.IsEmpty())) {
        numeric_[j] = false;
        texts_[j].clear();
        continue;
      }
      if (direct_[j]) {
        if (cell.IsArray()) ArrayCell(j, r);
        numeric_[j] = cell.IsNumberType();
        texts_[j] = numeric_[j] ? ReportViewData::PadLeft(VariantToText(cell, locale_), kNumberWidth)
                                : VariantToText(cell, locale_);
        continue;
      }
      const Variant value = fields_[j]->TranslateValue(cell, locale_);
      if (value.IsArray()) ArrayCell(j, r);
      numeric_[j] = IsNumericVariant(value, locale_);
      texts_[j] = numeric_[j] ? ReportViewData::PadLeft(VariantToText(value, locale_), kNumberWidth)
                              : VariantToText(value, locale_);
    }
    grid_.AddRow(std::move(texts_));
    texts_.clear();
    for (std::size_t j = 1; j < count_; ++j) {
      const ColumnAlignment wanted = numeric_[j] ? ColumnAlignment::Centre : ColumnAlignment::Left;
      if (wanted != alignment_[j]) {
        grid_.SetColumnAlignment(static_cast<int>(j), wanted);
        alignment_[j] = wanted;
      }
    }
  }

 private:
  [[noreturn]] void ArrayCell(std::size_t j, std::int32_t r) const {
    throw std::invalid_argument("the cell (" + std::to_string(fields_[j]->FieldNumber()) + ", " + std::to_string(r) +
                                ") holds an array, which has no text to show");
  }

  Grid& grid_;
  const std::vector<const cFieldMaskInfo*>& fields_;
  const LocaleInfo& locale_;
  std::size_t count_;
  std::vector<ColumnAlignment> alignment_;
  std::vector<std::string> texts_;
  std::vector<bool> numeric_;
  std::vector<bool> direct_;
  std::vector<bool> moves_;
};

}  // namespace

ReportViewData::ReportViewData(Grid& grid, const LocaleInfo* locale) : grid_(grid), locale_(locale) {}

const LocaleInfo& ReportViewData::Locale() const { return locale_ ? *locale_ : CurrentLocale(); }

void ReportViewData::LayOutAgain() {
  if (!layout_) return;
  try {
    layout_();
  } catch (const std::exception&) {
    // A layout that cannot be done leaves the grid where it is.
  }
}

void ReportViewData::StoreDataToShow(const Variant& vntData) {
  mTakenData.reset();
  if (vntData.IsArray()) {
    mvntDataToShow = Variant::FromArray(std::make_shared<const VariantArray>(vntData.Array()));
  } else {
    mvntDataToShow = vntData;
  }
}

void ReportViewData::TakeDataToShow(VariantArray data) {
  mTakenData = std::make_shared<VariantArray>(std::move(data));
  mvntDataToShow = Variant::FromArray(mTakenData);
}

void ReportViewData::ApplyFieldMask(std::string strFieldMask) {
  StoreFieldMask(std::move(strFieldMask));
  ParseFieldMask();
  BuildColumns();
}

void ReportViewData::Generate() {
  if (!mcolFields) {
    ParseFieldMask();
    BuildColumns();
  }
  PopulateRows();
}

void ReportViewData::GenerateFromTakenData() {
  // Held by this object alone: here and in the data to show.
  VariantArray* movable = mTakenData && mTakenData.use_count() == 2 ? mTakenData.get() : nullptr;
  if (movable == nullptr) {
    Generate();
    return;
  }
  const ScopeExit release([this]() noexcept {
    mvntDataToShow = Variant();
    mTakenData.reset();
  });
  if (!mcolFields) {
    ParseFieldMask();
    BuildColumns();
  }
  Populate(movable);
}

void ReportViewData::ParseFieldMask() {
  auto fields = std::make_shared<FieldList>();
  std::string rest = TrimSpaces(mstrFieldMask);
  while (!rest.empty()) {
    auto field = std::make_shared<cFieldMaskInfo>();
    rest = field->SetProperties(rest);
    const bool failed = field->ReadFailed();
    fields->Add(std::move(field));
    if (failed) break;
  }
  mcolFields = std::move(fields);
}

void ReportViewData::BuildColumns() {
  grid_.RemoveAllColumns();
  grid_.RemoveAllItems();
  if (mcolFields) {
    for (std::size_t i = 0; i < mcolFields->Count(); ++i) {
      const cFieldMaskInfo& field = *mcolFields->At(i);
      try {
        grid_.AddColumn(field.Key(), field.Description());
      } catch (const std::invalid_argument& error) {
        throw std::invalid_argument(DescribeEntry(i, field) + ": the column key '" + field.Key() +
                                    "' is already taken by an earlier entry with the same field number (" +
                                    error.what() + ")");
      }
    }
  }
  LayOutAgain();
}

void ReportViewData::PopulateRows() { Populate(nullptr); }

void ReportViewData::Populate(VariantArray* movable) {
  GridRedrawLock lock(grid_);

  const VariantArray* data = nullptr;
  if (mvntDataToShow.IsArray()) {
    data = &mvntDataToShow.Array();
    if (data->Dimensions() != 2)
      throw std::invalid_argument("the data to show has " + std::to_string(data->Dimensions()) +
                                  " dimensions; it must be a two-dimensional array (field, row)");
  } else if (!mvntDataToShow.IsEmpty() && !mvntDataToShow.IsNull()) {
    throw std::invalid_argument("the data to show is a single value; it must be a two-dimensional array (field, row)");
  }

  const std::size_t fieldCount = mcolFields ? mcolFields->Count() : 0;
  std::vector<const cFieldMaskInfo*> fields;
  fields.reserve(fieldCount);
  for (std::size_t i = 0; i < fieldCount; ++i) fields.push_back(mcolFields->At(i).get());

  const VariantArray::Bound rows = data ? data->DimensionBound(1) : VariantArray::Bound{};
  if (data && rows.Count() > 0) {
    const VariantArray::Bound fieldBound = data->DimensionBound(0);
    for (std::size_t i = 0; i < fieldCount; ++i) {
      const std::int32_t number = fields[i]->FieldNumber();
      if (number < fieldBound.lower || number > fieldBound.upper)
        throw std::out_of_range(DescribeEntry(i, *fields[i]) + " names field " + std::to_string(number) +
                                ", but the data has the fields " + std::to_string(fieldBound.lower) + " to " +
                                std::to_string(fieldBound.upper));
    }
    if (fieldCount > 1 && static_cast<std::size_t>(grid_.ColumnCount()) < fieldCount)
      throw std::invalid_argument("the grid has " + std::to_string(grid_.ColumnCount()) + " columns for " +
                                  std::to_string(fieldCount) +
                                  " field mask entries; the columns were cleared, so the field mask must be set again");
  }

  grid_.RemoveAllItems();
  bool empty = true;
  if (data) {
    RowShower shower(grid_, fields, movable != nullptr, Locale());
    for (std::int64_t row = rows.lower; row <= rows.upper; ++row) {
      const auto r = static_cast<std::int32_t>(row);
      shower.Show(
          r, [&](std::int32_t field) -> const Variant& { return data->At(field, r); },
          [&](std::int32_t field) { return movable->At(field, r).ReleaseText(); });
    }
    empty = false;
  }
  if (grid_.ItemCount() == 0) empty = true;

  if (empty) {
    ClearItems();
    mblnViewIsEmpty = true;
  } else {
    mblnViewIsEmpty = false;
  }

  if (data && data->UpperBound(0) >= 1) {
    for (int column = 0; column < grid_.ColumnCount(); ++column) grid_.AutoSizeColumn(column);
  }
  LayOutAgain();
}

void ReportViewData::GenerateFromRows(const std::function<DataShape(const DataRowSink&)>& read) {
  mTakenData.reset();
  mvntDataToShow = Variant();
  if (!mcolFields) {
    ParseFieldMask();
    BuildColumns();
  }
  GridRedrawLock lock(grid_);
  const std::size_t fieldCount = mcolFields ? mcolFields->Count() : 0;
  std::vector<const cFieldMaskInfo*> fields;
  fields.reserve(fieldCount);
  for (std::size_t i = 0; i < fieldCount; ++i) fields.push_back(mcolFields->At(i).get());

  grid_.RemoveAllItems();
  RowShower shower(grid_, fields, true, Locale());
  static const Variant kMissing;
  std::int32_t r = 0;
  // A row that cannot be shown ends the showing, not the reading: the faults of the data as a
  // whole (the file's, then a field beyond every row) come first, as they would for an array.
  std::exception_ptr rowFault;
  const DataShape shape = read([&](std::vector<Variant>& cells) {
    if (rowFault) return;
    try {
      if (r == 0 && fieldCount > 1 && static_cast<std::size_t>(grid_.ColumnCount()) < fieldCount)
        throw std::invalid_argument("the grid has " + std::to_string(grid_.ColumnCount()) + " columns for " +
                                    std::to_string(fieldCount) +
                                    " field mask entries; the columns were cleared, so the field mask must be set again");
      // Cells beyond a short row, and fields beyond every row (found out after the last), are empty.
      const auto has = [&cells](std::int32_t field) {
        return field >= 0 && static_cast<std::size_t>(field) < cells.size();
      };
      shower.Show(
          r,
          [&](std::int32_t field) -> const Variant& {
            return has(field) ? cells[static_cast<std::size_t>(field)] : kMissing;
          },
          [&](std::int32_t field) { return cells[static_cast<std::size_t>(field)].ReleaseText(); });
      ++r;
    } catch (const std::exception&) {
      rowFault = std::current_exception();
    }
  });
  if (shape.rows > 0) {
    for (std::size_t i = 0; i < fieldCount; ++i) {
      const std::int32_t number = fields[i]->FieldNumber();
      if (number < 0 || static_cast<std::size_t>(number) >= shape.fields)
        throw std::out_of_range(DescribeEntry(i, *fields[i]) + " names field " + std::to_string(number) +
                                ", but the data has the fields 0 to " + std::to_string(static_cast<std::int64_t>(shape.fields) - 1));
    }
  }

  if (rowFault) std::rethrow_exception(rowFault);

  mblnViewIsEmpty = grid_.ItemCount() == 0;
  if (mblnViewIsEmpty) ClearItems();
  if (shape.fields >= 2) {
    for (int column = 0; column < grid_.ColumnCount(); ++column) grid_.AutoSizeColumn(column);
  }
  LayOutAgain();
}

void ReportViewData::ClearItems() { grid_.RemoveAllItems(); }

void ReportViewData::ClearView() {
  grid_.RemoveAllColumns();
  grid_.RemoveAllItems();
}

std::string ReportViewData::PadLeft(std::string_view text, int width) {
  std::size_t length = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++length;
  }
  if (width <= 0 || length >= static_cast<std::size_t>(width)) return std::string(text);
  std::string padded(static_cast<std::size_t>(width) - length, ' ');
  return padded.append(text);
}

}  // namespace orlix
