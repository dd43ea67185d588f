// The control object in process, unsited as a script creates it: its members through the vtable
// (script_client.vbs uses them through IDispatch), errors with their descriptions, persistence
// and property notifications.
#include "controllib/tests/ocx_support.h"

#include <map>
#include <vector>

namespace orlix::test {
namespace {

std::wstring LastErrorDescription() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK) return L"(no error info)";
  UniqueBstr description, source;
  info->GetDescription(description.put());
  info->GetSource(source.put());
  EXPECT_EQ(Bstr(source.get()), L"rvxReportView.ReportView");
  return Bstr(description.get());
}

TEST(ReportViewControl, DataOfEveryOtherShapeIsAnErrorWithADescription) {
  OleApartment com;
  OcxLibrary ocx;
  ComPtr<IReportView> control = ocx.NewControl();
  ASSERT_TRUE(control);
  ComPtr<ISupportErrorInfo> supports;
  ASSERT_EQ(control.As(&supports), S_OK);
  EXPECT_EQ(supports->InterfaceSupportsErrorInfo(kIidReportView), S_OK);

  SAFEARRAYBOUND one = {3, 0};
  UniqueSafeArray flat(SafeArrayCreate(VT_VARIANT, 1, &one));
  SAFEARRAYBOUND two[2] = {{2, 0}, {2, 0}};
  UniqueSafeArray texts(SafeArrayCreate(VT_BSTR, 2, two));
  VARIANT shapes[5];
  for (VARIANT& v : shapes) VariantInit(&v);
  V_VT(&shapes[1]) = VT_BSTR;
  V_BSTR(&shapes[1]) = nullptr;
  V_VT(&shapes[2]) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&shapes[2]) = flat.get();
  V_VT(&shapes[3]) = VT_ARRAY | VT_BSTR;
  V_ARRAY(&shapes[3]) = texts.get();
  V_VT(&shapes[4]) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&shapes[4]) = nullptr;
  for (VARIANT& v : shapes) {
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(control->put_DataToShow(&v), DISP_E_TYPEMISMATCH) << V_VT(&v);
    EXPECT_NE(LastErrorDescription().find(L"two-dimensional array"), std::wstring::npos);
  }
  EXPECT_EQ(control->put_DataToShow(nullptr), E_POINTER);

  // A cell the grid cannot hold (an object) is refused as well.
  UniqueSafeArray data = MakeData(1);
  UniqueVariant object;
  V_VT(object.get()) = VT_UNKNOWN;
  V_UNKNOWN(object.get()) = control.Get();
  control->AddRef();
  LONG index[2] = {1, 0};
  ASSERT_EQ(SafeArrayPutElement(data.get(), index, object.get()), S_OK);
  VARIANT holder = Holding(data.get());
  EXPECT_TRUE(FAILED(control->put_DataToShow(&holder)));
  EXPECT_NE(LastErrorDescription().find(L"DataToShow"), std::wstring::npos);
}

TEST(ReportViewControl, PropertyBagRoundTripAndNotifications) {
  OleApartment com;
  OcxLibrary ocx;
  ComPtr<IReportView> first = ocx.NewControl();
  ASSERT_TRUE(first);
  ComPtr<IPersistPropertyBag> persist;
  ASSERT_EQ(first.As(&persist), S_OK);
  ASSERT_EQ(persist->InitNew(), S_OK);
  EXPECT_EQ(Get(first.Get(), &IReportView::get_ReportTitle), L"Report");
  EXPECT_EQ(Get(first.Get(), &IReportView::get_ReportSubTitle), L"{||Date||}");

  NotifySink sink;
  DWORD cookie = 0;
  const ComPtr<IConnectionPoint> point = AdviseChanges(first.Get(), &sink, &cookie);
  ASSERT_TRUE(point);
  ComPtr<IConnectionPointContainer> points;
  ComPtr<IConnectionPoint> events;
  ASSERT_EQ(first.As(&points), S_OK);
  EXPECT_EQ(points->FindConnectionPoint(kIidReportViewEvents, &events), S_OK);

  Put(first.Get(), &IReportView::put_ReportTitle, L"Inventory \u00e9t\u00e9");
  Put(first.Get(), &IReportView::put_FieldMask, L"0=\"Name\"");
  EXPECT_EQ(sink.changed, (std::vector<DISPID>{kDispidReportTitle, kDispidFieldMask}));
  EXPECT_EQ(point->Unadvise(cookie), S_OK);

  MemoryPropertyBag bag;
  ASSERT_EQ(persist->Save(&bag, TRUE, FALSE), S_OK);
  // The sub-title kept its default and stays out of the bag.
  EXPECT_EQ(bag.values, (std::map<std::wstring, std::wstring>{{L"ReportTitle", L"Inventory \u00e9t\u00e9"},
                                                               {L"FieldMask", L"0=\"Name\""}}));

  ComPtr<IReportView> second = ocx.NewControl();
  ComPtr<IPersistPropertyBag> secondPersist;
  ASSERT_EQ(second.As(&secondPersist), S_OK);
  ASSERT_EQ(secondPersist->Load(&bag, nullptr), S_OK);
  EXPECT_EQ(Get(second.Get(), &IReportView::get_ReportTitle), L"Inventory \u00e9t\u00e9");
  EXPECT_EQ(Get(second.Get(), &IReportView::get_ReportSubTitle), L"{||Date||}");
  EXPECT_EQ(Get(second.Get(), &IReportView::get_FieldMask), L"0=\"Name\"");

  // The same values through a stream (IPersistStreamInit).
  ComPtr<IStream> stream;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  ComPtr<IPersistStreamInit> streamed;
  ASSERT_EQ(second.As(&streamed), S_OK);
  ASSERT_EQ(streamed->Save(stream.Get(), TRUE), S_OK);
  ASSERT_EQ(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), S_OK);
  ComPtr<IReportView> third = ocx.NewControl();
  ComPtr<IPersistStreamInit> thirdStreamed;
  ASSERT_EQ(third.As(&thirdStreamed), S_OK);
  ASSERT_EQ(thirdStreamed->Load(stream.Get()), S_OK);
  EXPECT_EQ(Get(third.Get(), &IReportView::get_ReportTitle), L"Inventory \u00e9t\u00e9");
  EXPECT_EQ(Get(third.Get(), &IReportView::get_FieldMask), L"0=\"Name\"");
}

TEST(ReportViewControl, TwoInstancesStayIndependentAndTheLibraryUnloadsAfterThem) {
  OleApartment com;
  OcxLibrary ocx;
  {
    ComPtr<IReportView> one = ocx.NewControl();
    ComPtr<IReportView> two = ocx.NewControl();
    ASSERT_TRUE(one && two);
    Put(one.Get(), &IReportView::put_ReportTitle, L"One");
    ShowData(one.Get(), 4);

    EXPECT_EQ(Get(two.Get(), &IReportView::get_ReportTitle), L"Report");
    EXPECT_EQ(Get(two.Get(), &IReportView::get_FieldMask), L"");
    UniqueVariant nothing;
    ASSERT_EQ(two->get_DataToShow(nothing.get()), S_OK);
    EXPECT_EQ(V_VT(nothing.get()), VT_EMPTY);
    // A Generate with no data leaves the second grid empty; the first keeps its rows.
    Put(two.Get(), &IReportView::put_FieldMask, L"0=\"Other\"");
    VARIANT_BOOL empty = VARIANT_FALSE;
    ASSERT_EQ(one->get_ViewIsEmpty(&empty), S_OK);
    EXPECT_EQ(empty, VARIANT_FALSE);
    EXPECT_EQ(Get(one.Get(), &IReportView::get_FieldMask), L"0=\"Name\",1=\"Size\"");
    EXPECT_EQ(ocx.CanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(ocx.CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace orlix::test
