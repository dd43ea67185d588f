// Variant <-> VARIANT under Wine's oleaut32: scalars, by-reference values and SAFEARRAYs
// shaped as script hosts hand them.
#include "platform/variant_com_win.h"

#include <gtest/gtest.h>

#include <functional>

namespace orlix {
namespace {

Variant From(VARIANT& v) {
  Variant out = Variant::FromText("untouched");
  EXPECT_EQ(VariantFromCom(v, &out), S_OK);
  return out;
}

VARIANT Com(VARTYPE type, const std::function<void(VARIANT*)>& set) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = type;
  set(&v);
  return v;
}

TEST(VariantCom, ScalarsBecomeTheNearestVariantType) {
  const struct {
    VARIANT in;
    Variant out;
  } cases[] = {
      {Com(VT_EMPTY, [](VARIANT*) {}), Variant()},
      {Com(VT_NULL, [](VARIANT*) {}), Variant::Null()},
      {Com(VT_I2, [](VARIANT* v) { V_I2(v) = -5; }), Variant::FromInt16(-5)},
      {Com(VT_I4, [](VARIANT* v) { V_I4(v) = 100000; }), Variant::FromInt32(100000)},
      {Com(VT_UI1, [](VARIANT* v) { V_UI1(v) = 200; }), Variant::FromInt16(200)},
      {Com(VT_I1, [](VARIANT* v) { V_I1(v) = -3; }), Variant::FromInt16(-3)},
      {Com(VT_UI2, [](VARIANT* v) { V_UI2(v) = 65535; }), Variant::FromInt32(65535)},
      {Com(VT_UI4, [](VARIANT* v) { V_UI4(v) = 4000000000u; }), Variant::FromDouble(4000000000.0)},
      {Com(VT_UINT, [](VARIANT* v) { V_UINT(v) = 12; }), Variant::FromInt32(12)},
      {Com(VT_R4, [](VARIANT* v) { V_R4(v) = 1.1f; }), Variant::FromDouble(1.1)},  // as written, not 1.10000002384186
      {Com(VT_R8, [](VARIANT* v) { V_R8(v) = -2.5; }), Variant::FromDouble(-2.5)},
      {Com(VT_CY, [](VARIANT* v) { V_CY(v).int64 = 123456; }), Variant::FromDouble(12.3456)},
      {Com(VT_DATE, [](VARIANT* v) { V_DATE(v) = 38356.5; }), Variant::FromDate(38356.5)},
      {Com(VT_BOOL, [](VARIANT* v) { V_BOOL(v) = VARIANT_TRUE; }), Variant::FromBool(true)},
      {Com(VT_BOOL, [](VARIANT* v) { V_BOOL(v) = VARIANT_FALSE; }), Variant::FromBool(false)},
      {Com(VT_BSTR, [](VARIANT* v) { V_BSTR(v) = nullptr; }), Variant::FromText("")},  // a null BSTR is the empty text
      {Com(VT_ERROR, [](VARIANT* v) { V_ERROR(v) = DISP_E_PARAMNOTFOUND; }), Variant()},  // an omitted argument
      {Com(VT_DECIMAL, [](VARIANT* v) { V_DECIMAL(v).scale = 2, V_DECIMAL(v).sign = 0, V_DECIMAL(v).Hi32 = 0, V_DECIMAL(v).Lo64 = 725; }),
       Variant::FromDouble(7.25)},
      {Com(VT_BSTR, [](VARIANT* v) { static const UniqueBstr text(SysAllocString(L"caf\u00e9 \u20ac")); V_BSTR(v) = text.get(); }),
       Variant::FromText("caf\xC3\xA9 \xE2\x82\xAC")},
      // By reference, read through.
      {Com(VT_BYREF | VT_I4, [](VARIANT* v) { static LONG number = 42; V_I4REF(v) = &number; }), Variant::FromInt32(42)},
      {Com(VT_BYREF | VT_VARIANT, [](VARIANT* v) { static VARIANT inner = Com(VT_BOOL, [](VARIANT* b) { V_BOOL(b) = VARIANT_TRUE; }); V_VARIANTREF(v) = &inner; }),
       Variant::FromBool(true)},
  };
  for (const auto& c : cases) EXPECT_EQ(From(const_cast<VARIANT&>(c.in)), c.out) << V_VT(&c.in);
}

TEST(VariantCom, UnsupportedTypesFailAndLeaveTheOutputAlone) {
  VARIANT v;
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = nullptr;
  Variant out = Variant::FromText("kept");
  EXPECT_EQ(VariantFromCom(v, &out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(out, Variant::FromText("kept"));
  V_VT(&v) = VT_BYREF | VT_I4;
  V_I4REF(&v) = nullptr;
  EXPECT_EQ(VariantFromCom(v, &out), E_POINTER);
}

TEST(VariantCom, TypedArraysBoundsAndNestedArrays) {
  SAFEARRAYBOUND bounds[1] = {{2, -1}};
  UniqueSafeArray texts(SafeArrayCreate(VT_BSTR, 1, bounds));
  LONG index = -1;
  UniqueBstr a(SysAllocString(L"first"));
  ASSERT_EQ(SafeArrayPutElement(texts.get(), &index, a.get()), S_OK);
  VARIANT v;
  V_VT(&v) = VT_ARRAY | VT_BSTR;
  V_ARRAY(&v) = texts.get();
  Variant out = From(v);
  ASSERT_TRUE(out.IsArray());
  EXPECT_EQ(out.Array().DimensionBound(0).lower, -1);
  EXPECT_EQ(out.Array().DimensionBound(0).upper, 0);
  EXPECT_EQ(out.Array().At({-1}).Text(), "first");
  EXPECT_EQ(out.Array().At({0}).Text(), "");

  SAFEARRAYBOUND empty[2] = {{5, 0}, {0, 0}};  // no rows
  UniqueSafeArray none(SafeArrayCreate(VT_VARIANT, 2, empty));
  V_VT(&v) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&v) = none.get();
  out = From(v);
  ASSERT_TRUE(out.IsArray());
  EXPECT_EQ(out.Array().UpperBound(1), -1);
  EXPECT_EQ(out.Array().CellCount(), 0u);
}

TEST(VariantCom, RoundTripsBackToVariant) {
  auto inner = std::make_shared<VariantArray>(VariantArray({{0, 1}}));
  inner->At({1}) = Variant::FromText("deep");
  auto array = std::make_shared<VariantArray>(VariantArray({{1, 3}, {-2, -1}, {0, 1}}));
  int n = 0;
  for (int i = 1; i <= 3; ++i)
    for (int j = -2; j <= -1; ++j)
      for (int k = 0; k <= 1; ++k) array->At({i, j, k}) = Variant::FromInt32(n++);
  array->At({2, -1, 0}) = Variant::FromArray(inner);
  array->At({3, -2, 1}) = Variant::FromText("caf\xC3\xA9");
  array->At({1, -2, 0}) = Variant::Null();
  const Variant original = Variant::FromArray(array);

  UniqueVariant com;
  ASSERT_EQ(VariantToCom(original, com.get()), S_OK);
  ASSERT_EQ(V_VT(com.get()), VT_ARRAY | VT_VARIANT);
  LONG lower = 0, upper = 0;
  ASSERT_EQ(SafeArrayGetLBound(V_ARRAY(com.get()), 2, &lower), S_OK);
  ASSERT_EQ(SafeArrayGetUBound(V_ARRAY(com.get()), 2, &upper), S_OK);
  EXPECT_EQ(lower, -2);
  EXPECT_EQ(upper, -1);
  UniqueVariant element;
  LONG index[3] = {3, -2, 1};
  ASSERT_EQ(SafeArrayGetElement(V_ARRAY(com.get()), index, element.get()), S_OK);
  ASSERT_EQ(V_VT(element.get()), VT_BSTR);
  EXPECT_STREQ(V_BSTR(element.get()), L"caf\u00e9");

  // Read back as it is, and by reference as VBScript hands a Dim a(...) (indices in its order).
  SAFEARRAY* raw = V_ARRAY(com.get());
  VARIANT byref;
  V_VT(&byref) = VT_BYREF | VT_ARRAY | VT_VARIANT;
  V_ARRAYREF(&byref) = &raw;
  for (const Variant& back : {From(*com.get()), From(byref)}) {
    ASSERT_TRUE(back.IsArray());
    const VariantArray& b = back.Array();
    EXPECT_EQ(b.At({1, -1, 1}).Integer(), array->At({1, -1, 1}).Integer());
    EXPECT_EQ(b.At({3, -2, 1}).Text(), "caf\xC3\xA9");
    EXPECT_TRUE(b.At({1, -2, 0}).IsNull());
    EXPECT_EQ(b.At({2, -1, 0}).Array().At({1}).Text(), "deep");
  }

  for (const Variant& scalar : {Variant(), Variant::Null(), Variant::FromInt16(-7), Variant::FromInt32(1 << 20),
                                Variant::FromDouble(0.1), Variant::FromDate(-1.25), Variant::FromBool(true),
                                Variant::FromText("")}) {
    UniqueVariant c;
    ASSERT_EQ(VariantToCom(scalar, c.get()), S_OK);
    EXPECT_EQ(From(*c.get()), scalar);
  }
  UniqueVariant b1;
  ASSERT_EQ(VariantToCom(Variant::FromBool(true), b1.get()), S_OK);
  EXPECT_EQ(V_BOOL(b1.get()), VARIANT_TRUE);  // -1, as hosts test it
}

}  // namespace
}  // namespace orlix
