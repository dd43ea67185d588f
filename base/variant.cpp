#include "base/variant.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace orlix {

Variant Variant::Null() {
  Variant v;
  v.type_ = VariantType::Null;
  return v;
}

Variant Variant::Number(VariantType type, double number) {
  Variant v;
  v.type_ = type;
  v.number_ = number;
  return v;
}

Variant Variant::FromText(std::string text) {
  Variant v;
  v.type_ = VariantType::Text;
  v.text_ = std::move(text);
  return v;
}

Variant Variant::FromInt16(std::int16_t value) { return Number(VariantType::Int16, value); }
Variant Variant::FromInt32(std::int32_t value) { return Number(VariantType::Int32, value); }
Variant Variant::FromDouble(double value) { return Number(VariantType::Double, value); }
Variant Variant::FromDate(double oleDate) { return Number(VariantType::Date, oleDate); }
Variant Variant::FromBool(bool value) { return Number(VariantType::Bool, value ? 1 : 0); }

Variant Variant::FromArray(std::shared_ptr<const VariantArray> array) {
  Variant v;
  v.type_ = VariantType::Array;
  v.array_ = std::move(array);
  return v;
}

bool Variant::IsNumberType() const {
  return type_ == VariantType::Int16 || type_ == VariantType::Int32 || type_ == VariantType::Double;
}

const std::string& Variant::Text() const {
  if (type_ != VariantType::Text) throw std::logic_error("variant does not hold text");
  return text_;
}

std::string Variant::ReleaseText() {
  if (type_ != VariantType::Text) throw std::logic_error("variant does not hold text");
  type_ = VariantType::Empty;
  return std::move(text_);
}

std::int32_t Variant::Integer() const {
  if (type_ != VariantType::Int16 && type_ != VariantType::Int32)
    throw std::logic_error("variant does not hold an integer");
  return static_cast<std::int32_t>(number_);
}

double Variant::Number() const {
  if (!IsNumberType()) throw std::logic_error("variant does not hold a number");
  return number_;
}

double Variant::Date() const {
  if (type_ != VariantType::Date) throw std::logic_error("variant does not hold a date");
  return number_;
}

bool Variant::Bool() const {
  if (type_ != VariantType::Bool) throw std::logic_error("variant does not hold a boolean");
  return number_ != 0;
}

const VariantArray& Variant::Array() const {
  if (type_ != VariantType::Array || !array_) throw std::logic_error("variant does not hold an array");
  return *array_;
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.type_ != b.type_) return false;
  switch (a.type_) {
    case VariantType::Empty:
    case VariantType::Null:
      return true;
    case VariantType::Text:
      return a.text_ == b.text_;
    case VariantType::Array:
      return a.array_ == b.array_;
    default:
      return a.number_ == b.number_;
  }
}

VariantArray::VariantArray(std::vector<Bound> bounds) : bounds_(std::move(bounds)) {
  std::size_t total = bounds_.empty() ? 0 : 1;
  for (const Bound& b : bounds_) {
    if (b.Count() < 0) throw std::invalid_argument("array bound below lower bound - 1");
    if (b.Count() == 0) total = 0;
  }
  // The product of the counts must not wrap: a wrapped size would leave cells that At() reaches
  // outside the storage.
  const std::size_t limit = cells_.max_size();
  for (const Bound& b : bounds_) {
    if (total == 0) break;
    const auto count = static_cast<std::uint64_t>(b.Count());
    if (count > limit / total) throw std::length_error("array has too many cells");
    total *= static_cast<std::size_t>(count);
  }
  cells_.resize(total);
}

VariantArray VariantArray::TwoDimensional(std::int32_t fieldCount, std::int32_t rowCount) {
  return VariantArray({Bound{0, fieldCount - 1}, Bound{0, rowCount - 1}});
}

VariantArray VariantArray::TwoDimensional(std::int32_t fieldCount, std::int32_t rowCount, std::vector<Variant> cells) {
  if (fieldCount < 0 || rowCount < 0) throw std::invalid_argument("array bound below lower bound - 1");
  const std::size_t total = static_cast<std::size_t>(fieldCount) * static_cast<std::size_t>(rowCount);
  if (cells.size() != total)
    throw std::invalid_argument("an array of " + std::to_string(total) + " cells cannot take " +
                                std::to_string(cells.size()));
  VariantArray array(std::vector<Bound>{});  // no cells to make: they come whole
  array.bounds_ = {Bound{0, fieldCount - 1}, Bound{0, rowCount - 1}};
  array.cells_ = std::move(cells);
  return array;
}

std::size_t VariantArray::Offset(const std::vector<std::int32_t>& index) const {
  if (index.size() != bounds_.size()) throw std::out_of_range("wrong number of array dimensions");
  std::size_t offset = 0, stride = 1;
  for (std::size_t d = 0; d < bounds_.size(); ++d) {
    const Bound& b = bounds_[d];
    if (index[d] < b.lower || index[d] > b.upper) throw std::out_of_range("array index out of range");
    offset += static_cast<std::size_t>(index[d] - b.lower) * stride;
    stride *= static_cast<std::size_t>(b.Count());
  }
  return offset;
}

const Variant& VariantArray::At(const std::vector<std::int32_t>& index) const { return cells_[Offset(index)]; }
Variant& VariantArray::At(const std::vector<std::int32_t>& index) { return cells_[Offset(index)]; }

}  // namespace orlix
