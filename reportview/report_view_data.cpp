#include "reportview/report_view_data.h"

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
    const LocaleInfo& locale = Locale();
    // The alignment each column ends with is that of its last row; it is only sent on a change.
    std::vector<ColumnAlignment> alignment(fieldCount, ColumnAlignment::Left);
    for (std::size_t j = 1; j < fieldCount; ++j) alignment[j] = grid_.GetColumnAlignment(static_cast<int>(j));
    std::vector<std::string> texts;
    std::vector<bool> numeric(fieldCount);
    // A field without translations or a format picture shows its cell as it is (a null cell
    // as empty text): the cell is read in place rather than copied through TranslateValue.
    std::vector<bool> direct(fieldCount);
    for (std::size_t j = 0; j < fieldCount; ++j)
      direct[j] = !fields[j]->HasTranslations() && fields[j]->FormatString().empty();
    // A text may move out of the data only when no other entry reads its field.
    std::vector<bool> moves(fieldCount);
    for (std::size_t j = 0; movable != nullptr && j < fieldCount; ++j) {
      std::size_t readers = 0;
      for (std::size_t k = 0; k < fieldCount; ++k) readers += fields[k]->FieldNumber() == fields[j]->FieldNumber();
      moves[j] = direct[j] && readers == 1;
    }
    const auto arrayCell = [&](std::size_t j, std::int32_t r) {
      throw std::invalid_argument("the cell (" + std::to_string(fields[j]->FieldNumber()) + ", " + std::to_string(r) +
                                  ") holds an array, which has no text to show");
    };

    for (std::int64_t row = rows.lower; row <= rows.upper; ++row) {
      const auto r = static_cast<std::int32_t>(row);
      // The grid takes the texts over: each row starts with fresh ones.
      texts.resize(fieldCount);
      for (std::size_t j = 0; j < fieldCount; ++j) {
        const Variant& cell = data->At(fields[j]->FieldNumber(), r);
        if (direct[j] && cell.IsText()) {
          const std::string& text = cell.Text();
          numeric[j] = ParseNumberText(text, locale, nullptr);
          if (numeric[j])
            texts[j] = PadLeft(text, kNumberWidth);
          else if (moves[j])
            texts[j] = movable->At(fields[j]->FieldNumber(), r).ReleaseText();
          else
            texts[j] = text;
          continue;
        }
        if (direct[j] && (cell.IsNull() || cell.IsEmpty())) {
          numeric[j] = false;
          texts[j].clear();
          continue;
        }
        if (direct[j]) {
          if (cell.IsArray()) arrayCell(j, r);
          numeric[j] = cell.IsNumberType();
          texts[j] = numeric[j] ? PadLeft(VariantToText(cell, locale), kNumberWidth) : VariantToText(cell, locale);
          continue;
        }
        const Variant value = fields[j]->TranslateValue(cell, locale);
        if (value.IsArray()) arrayCell(j, r);
        numeric[j] = IsNumericVariant(value, locale);
        texts[j] = numeric[j] ? PadLeft(VariantToText(value, locale), kNumberWidth) : VariantToText(value, locale);
      }
      grid_.AddRow(std::move(texts));
      texts.clear();
      for (std::size_t j = 1; j < fieldCount; ++j) {
        const ColumnAlignment wanted = numeric[j] ? ColumnAlignment::Centre : ColumnAlignment::Left;
        if (wanted != alignment[j]) {
          grid_.SetColumnAlignment(static_cast<int>(j), wanted);
          alignment[j] = wanted;
        }
      }
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

void ReportViewData::ClearItems() { grid_.RemoveAllItems(); }

void ReportViewData::ClearView() {
  grid_.RemoveAllColumns();
  grid_.RemoveAllItems();
}

std::string ReportViewData::PadLeft(const std::string& text, int width) {
  std::size_t length = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++length;
  }
  if (width <= 0 || length >= static_cast<std::size_t>(width)) return text;
  return std::string(static_cast<std::size_t>(width) - length, ' ') + text;
}

}  // namespace orlix
