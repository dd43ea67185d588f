// The control's type library, read back as hosts read it: from the library file and, after
// registration, through LoadRegTypeLib.
#include "controllib/tests/ocx_support.h"

#include <oleauto.h>

#include <vector>

#include "platform/variant_com_win.h"

namespace orlix::test {
namespace {

using Microsoft::WRL::ComPtr;

struct Member {
  const wchar_t* name;
  INVOKEKIND kind;
  DISPID dispid;
  USHORT paramFlags;  // of the one parameter; 0xFFFF: none
  VARTYPE paramType;  // without VT_BYREF for the pointer
};

// The twelve members of _ReportView in vtable order.
const Member kMembers[] = {
    {L"ReportTitle", INVOKE_PROPERTYPUT, 0x68030004, PARAMFLAG_FIN, VT_BSTR},
    {L"ReportTitle", INVOKE_PROPERTYGET, 0x68030004, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, VT_BSTR},
    {L"ReportSubTitle", INVOKE_PROPERTYPUT, 0x68030003, PARAMFLAG_FIN, VT_BSTR},
    {L"ReportSubTitle", INVOKE_PROPERTYGET, 0x68030003, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, VT_BSTR},
    {L"DataToShow", INVOKE_PROPERTYPUT, 0x68030002, PARAMFLAG_FIN | PARAMFLAG_FOUT, VT_VARIANT},
    {L"DataToShow", INVOKE_PROPERTYGET, 0x68030002, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, VT_VARIANT},
    {L"ViewIsEmpty", INVOKE_PROPERTYGET, 0x68030001, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, VT_BOOL},
    {L"FieldMask", INVOKE_PROPERTYGET, 0x68030000, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, VT_BSTR},
    {L"FieldMask", INVOKE_PROPERTYPUT, 0x68030000, PARAMFLAG_FIN, VT_BSTR},
    {L"Clear", INVOKE_FUNC, 0x60030005, 0xFFFF, VT_EMPTY},
    {L"Generate", INVOKE_FUNC, 0x60030006, 0xFFFF, VT_EMPTY},
    {L"Export", INVOKE_FUNC, 0x60030012, 0xFFFF, VT_EMPTY},
};

std::wstring NameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
  UniqueBstr name;
  EXPECT_EQ(info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr), S_OK);
  return Bstr(name.get());
}

WORD TypeFlags(ITypeInfo* info, TYPEKIND* kind = nullptr, GUID* guid = nullptr, WORD* funcs = nullptr) {
  TYPEATTR* attr = nullptr;
  EXPECT_EQ(info->GetTypeAttr(&attr), S_OK);
  if (attr == nullptr) return 0;
  const WORD flags = attr->wTypeFlags;
  if (kind) *kind = attr->typekind;
  if (guid) *guid = attr->guid;
  if (funcs) *funcs = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  return flags;
}

void ExpectTheLibrary(ITypeLib* library) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, kLibidReportView));
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  EXPECT_EQ(attr->wLibFlags & ~0x8, LIBFLAG_FCONTROL);  // 0x8: Wine's "has disk image" bit
  library->ReleaseTLibAttr(attr);

  UniqueBstr name, help;
  ASSERT_EQ(library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(Bstr(name.get()), L"rvxReportView");
  EXPECT_EQ(Bstr(help.get()), L"rvxReportView");

  ASSERT_EQ(library->GetTypeInfoCount(), 3u);
  const wchar_t* const names[] = {L"_ReportView", L"ReportView", L"__ReportView"};
  const GUID* const guids[] = {&kIidReportView, &kClsidReportView, &kIidReportViewEvents};
  const TYPEKIND kinds[] = {TKIND_DISPATCH, TKIND_COCLASS, TKIND_DISPATCH};
  const WORD flags[] = {
      // OLE-automation shows on the vtable half (checked below)
      TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE,
      TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL,
      TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE,
  };
  for (UINT i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(library->GetTypeInfo(i, &info), S_OK);
    TYPEKIND kind{};
    GUID guid{};
    WORD funcs = 0;
    EXPECT_EQ(TypeFlags(info.Get(), &kind, &guid, &funcs), flags[i]);
    EXPECT_EQ(kind, kinds[i]);
    EXPECT_TRUE(IsEqualGUID(guid, *guids[i]));
    EXPECT_EQ(NameOf(info.Get()), names[i]);
    if (i == 2) {
      EXPECT_EQ(funcs, 0) << "the event interface has no members";
    }
  }

  // _ReportView's vtable half: the twelve members after IDispatch's seven slots.
  ComPtr<ITypeInfo> dispatch, vtable;
  ASSERT_EQ(library->GetTypeInfoOfGuid(kIidReportView, &dispatch), S_OK);
  HREFTYPE ref = 0;
  ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &ref), S_OK);
  ASSERT_EQ(dispatch->GetRefTypeInfo(ref, &vtable), S_OK);
  TYPEKIND kind{};
  WORD funcs = 0;
  const WORD vtableFlags = TypeFlags(vtable.Get(), &kind, nullptr, &funcs);
  EXPECT_EQ(kind, TKIND_INTERFACE);
  EXPECT_EQ(vtableFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION), TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION);
  ASSERT_EQ(funcs, 12);
  for (UINT i = 0; i < 12; ++i) {
    const Member& m = kMembers[i];
    SCOPED_TRACE(testing::Message() << i << " " << std::string(m.name, m.name + wcslen(m.name)));
    FUNCDESC* func = nullptr;
    ASSERT_EQ(vtable->GetFuncDesc(i, &func), S_OK);
    EXPECT_EQ(NameOf(vtable.Get(), func->memid), m.name);
    EXPECT_EQ(func->memid, m.dispid);
    EXPECT_EQ(func->invkind, m.kind);
    EXPECT_EQ(func->oVft, static_cast<SHORT>((7 + i) * sizeof(void*)));
    EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT);
    EXPECT_EQ(func->cParams, m.paramFlags == 0xFFFF ? 0 : 1);
    if (func->cParams == 1) {
      const ELEMDESC& param = func->lprgelemdescParam[0];
      EXPECT_EQ(param.paramdesc.wParamFlags, m.paramFlags);
      const bool pointer = (m.paramFlags & PARAMFLAG_FOUT) != 0;
      ASSERT_EQ(param.tdesc.vt, pointer ? static_cast<VARTYPE>(VT_PTR) : m.paramType);
      if (pointer) {
        EXPECT_EQ(param.tdesc.lptdesc->vt, m.paramType);
      }
    }
    vtable->ReleaseFuncDesc(func);
  }

  // The class: _ReportView its default interface, __ReportView its default source.
  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(library->GetTypeInfoOfGuid(kClsidReportView, &coclass), S_OK);
  const INT expectedImplFlags[] = {IMPLTYPEFLAG_FDEFAULT, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE};
  const GUID* const implemented[] = {&kIidReportView, &kIidReportViewEvents};
  for (UINT i = 0; i < 2; ++i) {
    INT implFlags = 0;
    ASSERT_EQ(coclass->GetImplTypeFlags(i, &implFlags), S_OK);
    EXPECT_EQ(implFlags, expectedImplFlags[i]);
    HREFTYPE implRef = 0;
    ComPtr<ITypeInfo> impl;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &implRef), S_OK);
    ASSERT_EQ(coclass->GetRefTypeInfo(implRef, &impl), S_OK);
    GUID guid{};
    TypeFlags(impl.Get(), nullptr, &guid);
    EXPECT_TRUE(IsEqualGUID(guid, *implemented[i]));
  }
}

TEST(ControlTypeLibrary, TheEmbeddedLibraryReadsBackAsPublished) {
  OleApartment com;
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadTypeLibEx(OcxPath().c_str(), REGKIND_NONE, &library), S_OK);
  ExpectTheLibrary(library.Get());
}

TEST(ControlTypeLibrary, RegisteredLibraryLoadsByLibidAtLocaleNeutral) {
  OleApartment com;
  OcxLibrary ocx;
  ASSERT_EQ(ocx.Register(), S_OK);
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadRegTypeLib(kLibidReportView, 1, 0, LOCALE_NEUTRAL, &library), S_OK);
  ExpectTheLibrary(library.Get());
  BSTR path = nullptr;
  ASSERT_EQ(QueryPathOfRegTypeLib(kLibidReportView, 1, 0, LOCALE_NEUTRAL, &path), S_OK);
  UniqueBstr owned(path);
  EXPECT_EQ(_wcsicmp(Bstr(path).c_str(), OcxPath().c_str()), 0);
}

}  // namespace
}  // namespace orlix::test
