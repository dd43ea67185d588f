#include "base/variant.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "base/word_scan.h"

namespace orlix {

// A long text's storage: shared by the variants that copy it, and by all the texts of a pool.
// A pool's block is room that is never cleared: its texts are written there once.
struct Variant::TextBlock {
  std::atomic<std::size_t> references;
  std::string bytes;                // one text's
  std::unique_ptr<char[]> room;     // a pool's
  std::size_t roomSize = 0;
};

namespace {

std::uint32_t TextLength(std::size_t size) {
  if (size > UINT32_MAX) throw std::length_error("text too long for a variant");
  return static_cast<std::uint32_t>(size);
}

}  // namespace

Variant& Variant::operator=(const Variant& other) {
  // Through a copy: `other` may live inside the array this variant is about to let go of.
  Variant copy(other);
  return *this = std::move(copy);
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    if (OwnsShared()) Release();
    MoveFrom(other);
  }
  return *this;
}

void Variant::CopyFrom(const Variant& other) {
  if (other.type_ == VariantType::Array) {
    new (&storage_.array) std::shared_ptr<const VariantArray>(other.storage_.array);
  } else {
    std::memcpy(static_cast<void*>(&storage_), &other.storage_, sizeof storage_);
    if (other.OwnsShared()) storage_.shared.block->references.fetch_add(1, std::memory_order_relaxed);
  }
  type_ = other.type_;
  size_ = other.size_;
}

void Variant::MoveFrom(Variant& other) noexcept {
  // The moved-from variant keeps its type, holding an empty text or no array.
  if (other.type_ == VariantType::Array) {
    new (&storage_.array) std::shared_ptr<const VariantArray>(std::move(other.storage_.array));
  } else {
    std::memcpy(static_cast<void*>(&storage_), &other.storage_, sizeof storage_);
  }
  type_ = other.type_;
  size_ = other.size_;
  other.size_ = 0;
}

void Variant::Release() noexcept {
  if (type_ == VariantType::Array) {
    using ArrayPointer = std::shared_ptr<const VariantArray>;
    storage_.array.~ArrayPointer();
  } else if (TextBlock* block = storage_.shared.block;
             block->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    delete block;
  }
  type_ = VariantType::Empty;
  size_ = 0;
  storage_.number = 0;
}

Variant Variant::Null() {
  Variant v;
  v.type_ = VariantType::Null;
  return v;
}

Variant Variant::Number(VariantType type, double number) {
  Variant v;
  v.type_ = type;
  v.storage_.number = number;
  return v;
}

Variant Variant::FromText(std::string text) {
  Variant v;
  const std::uint32_t size = TextLength(text.size());
  if (size <= kInlineText) {
    if (size > 0) std::memcpy(v.storage_.chars, text.data(), size);
  } else {
    TextBlock* block = new TextBlock{{1}, std::move(text), nullptr, 0};
    v.storage_.shared = SharedText{block->bytes.data(), block};
  }
  v.type_ = VariantType::Text;
  v.size_ = size;
  return v;
}

Variant Variant::FromInt16(std::int16_t value) { return Number(VariantType::Int16, value); }
Variant Variant::FromInt32(std::int32_t value) { return Number(VariantType::Int32, value); }
Variant Variant::FromDouble(double value) { return Number(VariantType::Double, value); }
Variant Variant::FromDate(double oleDate) { return Number(VariantType::Date, oleDate); }
Variant Variant::FromBool(bool value) { return Number(VariantType::Bool, value ? 1 : 0); }

Variant Variant::FromArray(std::shared_ptr<const VariantArray> array) {
  Variant v;
  new (&v.storage_.array) std::shared_ptr<const VariantArray>(std::move(array));
  v.type_ = VariantType::Array;
  return v;
}

bool Variant::IsNumberType() const {
  return type_ == VariantType::Int16 || type_ == VariantType::Int32 || type_ == VariantType::Double;
}

std::string_view Variant::Text() const {
  if (type_ != VariantType::Text) throw std::logic_error("variant does not hold text");
  return std::string_view(TextData(), size_);
}

std::string Variant::ReleaseText() {
  if (type_ != VariantType::Text) throw std::logic_error("variant does not hold text");
  std::string text;
  if (size_ > kInlineText) {
    TextBlock* block = storage_.shared.block;
    const bool whole = storage_.shared.data == block->bytes.data() && size_ == block->bytes.size();
    if (whole && block->references.load(std::memory_order_acquire) == 1) {
      text = std::move(block->bytes);
    } else {
      text.assign(storage_.shared.data, size_);
    }
    Release();
  } else {
    text.assign(storage_.chars, size_);
  }
  type_ = VariantType::Empty;
  size_ = 0;
  return text;
}

std::int32_t Variant::Integer() const {
  if (type_ != VariantType::Int16 && type_ != VariantType::Int32)
    throw std::logic_error("variant does not hold an integer");
  return static_cast<std::int32_t>(storage_.number);
}

double Variant::Number() const {
  if (!IsNumberType()) throw std::logic_error("variant does not hold a number");
  return storage_.number;
}

double Variant::Date() const {
  if (type_ != VariantType::Date) throw std::logic_error("variant does not hold a date");
  return storage_.number;
}

bool Variant::Bool() const {
  if (type_ != VariantType::Bool) throw std::logic_error("variant does not hold a boolean");
  return storage_.number != 0;
}

const VariantArray& Variant::Array() const {
  if (type_ != VariantType::Array || !storage_.array) throw std::logic_error("variant does not hold an array");
  return *storage_.array;
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.type_ != b.type_) return false;
  switch (a.type_) {
    case VariantType::Empty:
    case VariantType::Null:
      return true;
    case VariantType::Text:
      return a.Text() == b.Text();
    case VariantType::Array:
      return a.storage_.array == b.storage_.array;
    default:
      return a.storage_.number == b.storage_.number;
  }
}

void VariantTextPool::Append(std::vector<Variant>& cells, std::string_view text) {
  const std::uint32_t size = TextLength(text.size());
  char* at = nullptr;  // a long text's place in the block
  if (size > Variant::kInlineText) {
    if (block_ == nullptr || block_->roomSize - used_ < size) {
      const std::size_t bytes = std::max<std::size_t>(kBlockBytes, size);
      const std::size_t texts = bytes / (Variant::kInlineText + 1);  // texts this long or longer
      std::unique_ptr<char[]> room(new char[bytes]);
      auto* block = new Variant::TextBlock{{texts + 1}, std::string(), std::move(room), bytes};
      LeaveBlock();
      block_ = block;
      used_ = 0;
      reserved_ = texts;
    }
    at = block_->room.get() + used_;
  }
  // Made in place: a cell moved in would be one more copy and destruction per text.
  Variant& cell = cells.emplace_back();
  cell.type_ = VariantType::Text;
  cell.size_ = size;
  if (at == nullptr) {
    wordscan::Copy(cell.storage_.chars, text.data(), size);
  } else {
    wordscan::Copy(at, text.data(), size);
    used_ += size;
    --reserved_;
    cell.storage_.shared = Variant::SharedText{at, block_};
  }
}

void VariantTextPool::LeaveBlock() noexcept {
  if (block_ == nullptr) return;
  const std::size_t handBack = reserved_ + 1;
  if (block_->references.fetch_sub(handBack, std::memory_order_acq_rel) == handBack) delete block_;
  block_ = nullptr;
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
