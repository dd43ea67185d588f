// Variant cells and multi-dimensional arrays with their bounds.
#include "base/variant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orlix {
namespace {

TEST(Variant, HoldsOneTypeRefusesTheOthersAndComparesTypeAndValue) {
  EXPECT_EQ(Variant::FromInt16(-3).Integer(), -3);
  EXPECT_EQ(Variant::FromInt32(70000).Number(), 70000);
  EXPECT_EQ(Variant::FromDate(2.25).Date(), 2.25);
  EXPECT_TRUE(Variant::FromDouble(1).IsNumberType());
  EXPECT_FALSE(Variant::FromDate(1).IsNumberType());
  EXPECT_FALSE(Variant::FromBool(true).IsNumberType());
  EXPECT_THROW(Variant::FromText("1").Number(), std::logic_error);
  EXPECT_THROW(Variant::FromDouble(1).Integer(), std::logic_error);
  EXPECT_THROW(Variant::FromDate(1).Number(), std::logic_error);
  EXPECT_THROW(Variant::Null().Text(), std::logic_error);
  EXPECT_NE(Variant::FromText("a"), Variant::FromText("A"));
  EXPECT_NE(Variant::FromInt16(1), Variant::FromInt32(1));
  EXPECT_NE(Variant::FromDouble(1), Variant::FromDate(1));
  EXPECT_NE(Variant::Null(), Variant());
}

// Texts on either side of the length held in the variant itself, alone and from one pool.
TEST(Variant, TextsKeepTheirBytesThroughCopiesMovesAndRelease) {
  const std::string texts[] = {"", "sixteen bytes ok", "seventeen bytes x", std::string("nul\0inside", 10),
                               std::string(300, 'z')};
  std::vector<Variant> pooled;
  {
    VariantTextPool pool;
    for (const std::string& t : texts) pool.Append(pooled, t);
  }
  ASSERT_EQ(pooled.size(), std::size(texts));
  for (std::size_t k = 0; k < std::size(texts); ++k) {
    const std::string& t = texts[k];
    for (Variant original : {Variant::FromText(t), pooled[k]}) {
      SCOPED_TRACE(k);
      const Variant copy = original;
      Variant assigned = Variant::FromInt32(1);
      assigned = copy;
      EXPECT_EQ(copy.Text(), t);
      EXPECT_EQ(assigned, original);
      Variant moved = std::move(assigned);
      EXPECT_EQ(moved.Text(), t);
      EXPECT_EQ(moved.ReleaseText(), t);
      EXPECT_TRUE(moved.IsEmpty());
      // Releasing one holder leaves the others' text whole.
      EXPECT_EQ(original.ReleaseText(), t);
      EXPECT_EQ(copy.Text(), t);
    }
  }
  // The last holder of a pool's block takes out its own text, not the block's.
  EXPECT_EQ(pooled[2].Text(), texts[2]);
  pooled[2] = Variant();
  EXPECT_EQ(pooled[4].ReleaseText(), texts[4]);

  // Enough texts to fill several of the pool's blocks, one longer than a block, empty ones
  // among them.
  std::vector<std::string> many;
  for (int k = 0; k < 5000; ++k)
    many.push_back(std::string(static_cast<std::size_t>(k % 71), static_cast<char>('a' + k % 26)));
  many[2500] = std::string(100000, 'L');
  std::vector<Variant> manyCells;
  {
    VariantTextPool pool;
    for (const std::string& t : many) pool.Append(manyCells, t);
  }
  ASSERT_EQ(manyCells.size(), many.size());
  for (std::size_t k = 0; k < many.size(); ++k) ASSERT_EQ(manyCells[k].Text(), many[k]) << k;

  // A cell assigned from inside the array it held.
  auto inner = std::make_shared<VariantArray>(VariantArray::TwoDimensional(1, 1));
  inner->At(0, 0) = Variant::FromText(texts[4]);
  Variant holder = Variant::FromArray(std::move(inner));
  holder = holder.Array().At(0, 0);
  EXPECT_EQ(holder.Text(), texts[4]);
}

TEST(VariantArray, TwoIndicesAndCellsTakenWhole) {
  // Two indices honour non-zero lower bounds, and need exactly two dimensions.
  VariantArray shifted({{1, 2}, {-1, 0}});
  shifted.At(2, -1) = Variant::FromInt32(5);
  EXPECT_EQ(shifted.At({2, -1}).Integer(), 5);
  EXPECT_TRUE(shifted.At(1, 0).IsEmpty());
  EXPECT_THROW(shifted.At(0, 0), std::out_of_range);
  EXPECT_THROW(shifted.At(1, 1), std::out_of_range);
  VariantArray three({{0, 1}, {0, 1}, {0, 1}});
  EXPECT_THROW(three.At(0, 0), std::out_of_range);

  std::vector<Variant> cells;
  for (int k = 0; k < 6; ++k) cells.push_back(Variant::FromText("cell " + std::to_string(k)));
  const VariantArray taken = VariantArray::TwoDimensional(3, 2, cells);
  EXPECT_EQ(taken.UpperBound(0), 2);
  EXPECT_EQ(taken.UpperBound(1), 1);
  EXPECT_EQ(taken.At(1, 0).Text(), "cell 1");  // field fastest
  EXPECT_EQ(taken.At(0, 1).Text(), "cell 3");
  EXPECT_EQ(VariantArray::TwoDimensional(0, 4, {}).CellCount(), 0u);
  EXPECT_THROW(VariantArray::TwoDimensional(2, 2, cells), std::invalid_argument);
  EXPECT_THROW(VariantArray::TwoDimensional(-1, 0, {}), std::invalid_argument);
}

TEST(VariantArray, BoundsAndIndexing) {
  VariantArray a = VariantArray::TwoDimensional(5, 3);
  EXPECT_EQ(a.Dimensions(), 2);
  EXPECT_EQ(a.UpperBound(0), 4);
  EXPECT_EQ(a.UpperBound(1), 2);
  EXPECT_EQ(a.CellCount(), 15u);
  a.At(4, 2) = Variant::FromText("last");
  a.At(0, 1) = Variant::FromInt32(7);
  EXPECT_EQ(a.At(4, 2).Text(), "last");
  EXPECT_EQ(a.At(0, 1).Integer(), 7);
  EXPECT_TRUE(a.At(1, 1).IsEmpty());
  EXPECT_THROW(a.At(5, 0), std::out_of_range);
  EXPECT_THROW(a.At(0, -1), std::out_of_range);
  EXPECT_THROW(a.At({0}), std::out_of_range);

  // Non-zero lower bounds, three dimensions: every cell is distinct.
  VariantArray b({{-1, 1}, {10, 11}, {0, 2}});
  EXPECT_EQ(b.CellCount(), 18u);
  int n = 0;
  for (int i = -1; i <= 1; ++i)
    for (int j = 10; j <= 11; ++j)
      for (int k = 0; k <= 2; ++k) b.At({i, j, k}) = Variant::FromInt32(n++);
  n = 0;
  for (int i = -1; i <= 1; ++i)
    for (int j = 10; j <= 11; ++j)
      for (int k = 0; k <= 2; ++k) EXPECT_EQ(b.At({i, j, k}).Integer(), n++);
  EXPECT_THROW(b.At({2, 10, 0}), std::out_of_range);

  VariantArray empty = VariantArray::TwoDimensional(5, 0);  // rows 0..-1
  EXPECT_EQ(empty.UpperBound(1), -1);
  EXPECT_EQ(empty.CellCount(), 0u);
  EXPECT_THROW(empty.At(0, 0), std::out_of_range);
  EXPECT_THROW(VariantArray({{0, -2}}), std::invalid_argument);

  // Counts whose product does not fit the address space are refused rather than wrapped
  // (2^32 cubed is 0 modulo 2^64); an empty dimension anywhere still makes an empty array.
  const VariantArray::Bound full{INT32_MIN, INT32_MAX};
  EXPECT_THROW(VariantArray({full, full, full}), std::length_error);
  EXPECT_THROW(VariantArray({full, full, {0, 1}, full}), std::length_error);
  EXPECT_EQ(VariantArray({full, full, full, {0, -1}}).CellCount(), 0u);
}

}  // namespace
}  // namespace orlix
