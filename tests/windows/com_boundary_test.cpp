// The COM boundary: each kind of exception becomes its HRESULT with an IErrorInfo that names the
// source and interface and carries the message as UTF-16; nothing escapes.
#include "platform/com_boundary_win.h"

#include <gtest/gtest.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <new>
#include <string>

#include "platform/unique_handle_win.h"

namespace orlix {
namespace {

const IID kSomeInterface = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
const ComErrorSource kSource{L"Test.Source", &kSomeInterface};

std::wstring TakeDescription() {
  Microsoft::WRL::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK) return L"(none)";
  GUID guid{};
  info->GetGUID(&guid);
  EXPECT_TRUE(IsEqualGUID(guid, kSomeInterface));
  UniqueBstr source, description;
  info->GetSource(source.put());
  EXPECT_STREQ(source.get(), L"Test.Source");
  info->GetDescription(description.put());
  return description.get() ? description.get() : L"";
}

TEST(ComBoundary, ExceptionsBecomeResultsWithErrorInfo) {
  EXPECT_EQ(ComBoundary(kSource, [] {}), S_OK);
  EXPECT_EQ(ComBoundary(kSource, []() -> HRESULT { return S_FALSE; }), S_FALSE);

  EXPECT_EQ(ComBoundary(kSource, [] { throw std::invalid_argument("caf\xC3\xA9 \xE2\x82\xAC"); }), E_INVALIDARG);
  EXPECT_EQ(TakeDescription(), L"caf\u00e9 \u20ac");
  EXPECT_EQ(ComBoundary(kSource, [] { throw std::out_of_range("row 9"); }), E_INVALIDARG);
  EXPECT_EQ(TakeDescription(), L"row 9");
  EXPECT_EQ(ComBoundary(kSource, [] { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(TakeDescription(), L"Out of memory");
  EXPECT_EQ(ComBoundary(kSource, [] { throw ComError(DISP_E_TYPEMISMATCH, "shape"); }), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(TakeDescription(), L"shape");
  EXPECT_EQ(ComBoundary(kSource, [] { throw std::runtime_error("disk full"); }), E_FAIL);
  EXPECT_EQ(TakeDescription(), L"disk full");
  EXPECT_EQ(ComBoundary(kSource, [] { throw 42; }), E_UNEXPECTED);
  EXPECT_EQ(TakeDescription(), L"Unexpected failure");
}

}  // namespace
}  // namespace orlix
