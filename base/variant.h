// The dynamically typed cell value: what a host hands the grid, one per data-array cell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orlix {

enum class VariantType { Empty, Null, Int16, Int32, Double, Date, Bool, Text, Array };

class VariantArray;
class VariantTextPool;

// A tag and one union, 24 bytes: a data array holds hundreds of thousands of them. A text of up
// to 16 bytes lives in the variant itself; a longer one in a reference-counted block that copies
// of the variant share, and that many texts can share (VariantTextPool).
class Variant {
 public:
  Variant() noexcept {}  // Empty
  Variant(const Variant& other) { CopyFrom(other); }
  Variant(Variant&& other) noexcept { MoveFrom(other); }
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept;
  ~Variant() {
    if (OwnsShared()) Release();
  }

  static Variant Null();
  static Variant FromText(std::string text);
  static Variant FromInt16(std::int16_t value);
  static Variant FromInt32(std::int32_t value);
  static Variant FromDouble(double value);
  // OLE Automation date: days since 30 December 1899, time as the fraction.
  static Variant FromDate(double oleDate);
  static Variant FromBool(bool value);
  static Variant FromArray(std::shared_ptr<const VariantArray> array);

  VariantType Type() const { return type_; }
  bool IsEmpty() const { return type_ == VariantType::Empty; }
  bool IsNull() const { return type_ == VariantType::Null; }
  bool IsText() const { return type_ == VariantType::Text; }
  bool IsArray() const { return type_ == VariantType::Array; }
  // A number type (16/32-bit integer, floating point); dates and booleans are not numbers here.
  bool IsNumberType() const;

  // Accessors: each throws std::logic_error when the variant holds another type. The text's
  // view lasts as long as the variant holds it.
  std::string_view Text() const;
  std::int32_t Integer() const;  // Int16 or Int32
  double Number() const;         // Int16, Int32 or Double
  double Date() const;
  bool Bool() const;
  const VariantArray& Array() const;
  // Takes the text out, leaving the variant Empty; std::logic_error for another type. A text
  // whose block no other variant shares is moved out rather than copied.
  std::string ReleaseText();

  friend bool operator==(const Variant& a, const Variant& b);
  friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }

 private:
  static Variant Number(VariantType type, double number);
  friend class VariantTextPool;
  struct TextBlock;
  static constexpr std::size_t kInlineText = 16;
  struct SharedText {
    const char* data;
    TextBlock* block;
  };

  bool OwnsShared() const {
    return type_ == VariantType::Text ? size_ > kInlineText : type_ == VariantType::Array;
  }
  const char* TextData() const { return size_ > kInlineText ? storage_.shared.data : storage_.chars; }
  void CopyFrom(const Variant& other);
  void MoveFrom(Variant& other) noexcept;
  void Release() noexcept;  // drops a shared text or array; the variant is left Empty

  VariantType type_ = VariantType::Empty;
  std::uint32_t size_ = 0;  // text length
  union Storage {
    Storage() noexcept : number(0) {}
    ~Storage() {}
    double number;  // integers, doubles, dates and booleans (0/1)
    char chars[kInlineText];
    SharedText shared;
    std::shared_ptr<const VariantArray> array;
  } storage_;
};

// Texts made into Text variants as they come, the longer ones copied end to end into blocks of
// a fixed size that the variants holding them share: a few allocations for a whole scan's texts
// rather than one per text.
class VariantTextPool {
 public:
  VariantTextPool() = default;
  VariantTextPool(const VariantTextPool&) = delete;
  VariantTextPool& operator=(const VariantTextPool&) = delete;
  ~VariantTextPool() { LeaveBlock(); }

  // Appends a Text variant holding `text` to `cells`.
  void Append(std::vector<Variant>& cells, std::string_view text);

 private:
  static constexpr std::size_t kBlockBytes = 64 * 1024;
  void LeaveBlock() noexcept;

  // The block being filled holds, besides the pool's own reference, one for every long text it
  // has room for, so that counting a text given out needs no atomic operation: the references
  // not given out are handed back when the pool leaves the block.
  Variant::TextBlock* block_ = nullptr;
  std::size_t used_ = 0;
  std::size_t reserved_ = 0;  // references held for texts not yet given out
};

// A multi-dimensional array of variants with per-dimension bounds (lower may be non-zero,
// upper may be lower - 1 for an empty dimension). Cells are stored first dimension fastest.
class VariantArray {
 public:
  struct Bound {
    std::int32_t lower = 0;
    std::int32_t upper = -1;
    std::int64_t Count() const { return static_cast<std::int64_t>(upper) - lower + 1; }
  };

  explicit VariantArray(std::vector<Bound> bounds);
  // The common shape: fields 0..fieldCount-1 by rows 0..rowCount-1.
  static VariantArray TwoDimensional(std::int32_t fieldCount, std::int32_t rowCount);
  // The same shape taking over `cells`, field fastest; their number must be fieldCount x rowCount
  // (std::invalid_argument otherwise).
  static VariantArray TwoDimensional(std::int32_t fieldCount, std::int32_t rowCount, std::vector<Variant> cells);

  int Dimensions() const { return static_cast<int>(bounds_.size()); }
  const Bound& DimensionBound(int dimension) const { return bounds_.at(static_cast<std::size_t>(dimension)); }
  std::int32_t UpperBound(int dimension) const { return DimensionBound(dimension).upper; }

  // Indices are absolute (bounds apply); out of range throws std::out_of_range.
  const Variant& At(const std::vector<std::int32_t>& index) const;
  Variant& At(const std::vector<std::int32_t>& index);
  const Variant& At(std::int32_t field, std::int32_t row) const { return cells_[Offset(field, row)]; }
  Variant& At(std::int32_t field, std::int32_t row) { return cells_[Offset(field, row)]; }

  std::size_t CellCount() const { return cells_.size(); }

 private:
  std::size_t Offset(const std::vector<std::int32_t>& index) const;
  // Offset(index) for two indices, without building an index list: cells are read per row.
  std::size_t Offset(std::int32_t field, std::int32_t row) const {
    if (bounds_.size() != 2) return Offset(std::vector<std::int32_t>{field, row});
    const Bound& f = bounds_[0];
    const Bound& r = bounds_[1];
    if (field < f.lower || field > f.upper || row < r.lower || row > r.upper)
      throw std::out_of_range("array index out of range");
    return static_cast<std::size_t>(field - f.lower) +
           static_cast<std::size_t>(row - r.lower) * static_cast<std::size_t>(f.Count());
  }
  std::vector<Bound> bounds_;
  std::vector<Variant> cells_;
};

}  // namespace orlix
