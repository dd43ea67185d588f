// Variant cells and multi-dimensional arrays with their bounds.
#include "base/variant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

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
