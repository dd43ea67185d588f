// The library as a file and a module: its resources and type library, its exports, class objects
// and the unload count, and a registration that cannot write.
#include "controllib/tests/ocx_support.h"

#include <oleauto.h>

#include <string>
#include <vector>

#include "tests/support/window_driver_win.h"

namespace orlix::test {
namespace {

std::string ResourceBytes(HMODULE module, const wchar_t* type, const wchar_t* name, WORD language) {
  HRSRC found = ::FindResourceExW(module, type, name, language);
  if (found == nullptr) return {};
  return std::string(static_cast<const char*>(::LockResource(::LoadResource(module, found))), ::SizeofResource(module, found));
}

// A GUID resource: its length as a 32-bit number, then the GUID.
std::string GuidResource(const GUID& guid) {
  return std::string("\x10\0\0\0", 4) + std::string(reinterpret_cast<const char*>(&guid), sizeof guid);
}

TEST(ControlModule, ResourcesAreThoseOfTheLibrary) {
  OcxLibrary ocx;
  ASSERT_NE(ocx.get(), nullptr);
  const WORD neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
  EXPECT_EQ(ResourceBytes(ocx.get(), L"_IID_REPORTVIEW", MAKEINTRESOURCEW(1), neutral), GuidResource(kIidReportView));
  EXPECT_EQ(ResourceBytes(ocx.get(), L"_SRCIID_REPORTVIEW", MAKEINTRESOURCEW(1), neutral), GuidResource(kIidReportViewEvents));
  EXPECT_EQ(ResourceBytes(ocx.get(), L"TYPELIB", MAKEINTRESOURCEW(1), neutral).substr(0, 4), "MSFT");

  // The style store, byte for byte the program's.
  const std::string store = testing_support::ReadFileBytes(ORLIX_SOURCE_DIR "/resources/reportformats.txt");
  ASSERT_FALSE(store.empty());
  EXPECT_EQ(ResourceBytes(ocx.get(), L"CUSTOM", L"REPORTFORMATS", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), store);

  // Toolbox picture: 16 x 15 pixels, 4 bits per pixel.
  const std::string bitmap = ResourceBytes(ocx.get(), MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(30000), neutral);
  ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bitmap.data());
  EXPECT_EQ(header->biWidth, 16);
  EXPECT_EQ(header->biHeight, 15);
  EXPECT_EQ(header->biBitCount, 4);

  // Version 1.0.0.6, self-registering.
  const std::wstring path = OcxPath();
  DWORD ignored = 0;
  std::vector<char> version(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
  ASSERT_FALSE(version.empty());
  ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000006u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
  wchar_t* text = nullptr;
  EXPECT_TRUE(::VerQueryValueW(version.data(), L"\\StringFileInfo\\040904b0\\OLESelfRegister", reinterpret_cast<void**>(&text), &length));
  ASSERT_TRUE(::VerQueryValueW(version.data(), L"\\StringFileInfo\\040904b0\\FileVersion", reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(text, L"1.00.0006");
}

TEST(ControlModule, ExportsByOrdinalAndClassObjects) {
  OleApartment com;
  OcxLibrary ocx;
  const char* const names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"};
  for (int ordinal = 1; ordinal <= 4; ++ordinal) {
    FARPROC byOrdinal = ::GetProcAddress(ocx.get(), MAKEINTRESOURCEA(ordinal));
    EXPECT_NE(byOrdinal, nullptr) << ordinal;
    EXPECT_EQ(byOrdinal, ::GetProcAddress(ocx.get(), names[ordinal - 1])) << names[ordinal - 1];
  }

  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(ocx.GetClassObject(IID_IDispatch, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);

  // Objects, class factories and locks keep the library loaded; nothing else does.
  EXPECT_EQ(ocx.CanUnloadNow(), S_OK);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(ocx.GetClassObject(kClsidReportView, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
  EXPECT_EQ(ocx.CanUnloadNow(), S_FALSE);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  ComPtr<IUnknown> control;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(control.GetAddressOf())), S_OK);
  ComPtr<IUnknown> aggregated;
  EXPECT_EQ(factory->CreateInstance(control.Get(), IID_IUnknown, reinterpret_cast<void**>(aggregated.GetAddressOf())),
            CLASS_E_NOAGGREGATION);
  factory.Reset();
  EXPECT_EQ(ocx.CanUnloadNow(), S_FALSE);  // the control and the lock
  ComPtr<IConnectionPointContainer> points;
  ASSERT_EQ(control.As(&points), S_OK);
  ComPtr<IEnumConnectionPoints> enumerator;
  ASSERT_EQ(points->EnumConnectionPoints(&enumerator), S_OK);
  control.Reset();
  points.Reset();
  EXPECT_EQ(ocx.CanUnloadNow(), S_FALSE);  // the enumerator still counts
  enumerator.Reset();
  EXPECT_EQ(ocx.CanUnloadNow(), S_FALSE);  // the lock
  ASSERT_EQ(ocx.GetClassObject(kClsidReportView, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
  ASSERT_EQ(factory->LockServer(FALSE), S_OK);
  factory.Reset();
  EXPECT_EQ(ocx.CanUnloadNow(), S_OK);
}

TEST(ControlModule, RegistrationThatCannotWriteFailsAndLeavesNothing) {
  OleApartment com;
  OcxLibrary ocx;
  // The class root replaced, for this process, by a volatile key: no lasting key can be made
  // below it, so every write of the registration fails.
  const wchar_t* const kRoot = L"Software\\OrlixOcxTestVolatileRoot";
  HKEY root = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &root, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(::RegOverridePredefKey(HKEY_CLASSES_ROOT, root), ERROR_SUCCESS);
  const HRESULT hr = ocx.Register();
  ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  DWORD subkeys = 1;
  EXPECT_EQ(::RegQueryInfoKeyW(root, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr),
            ERROR_SUCCESS);
  ::RegCloseKey(root);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
  EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
  EXPECT_EQ(subkeys, 0u);
}

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
  const struct {
    const wchar_t* name;
    const GUID* guid;
    TYPEKIND kind;
    WORD flags;  // OLE-automation shows on _ReportView's vtable half (checked below)
  } infos[] = {{L"_ReportView", &kIidReportView, TKIND_DISPATCH, TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE},
               {L"ReportView", &kClsidReportView, TKIND_COCLASS, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL},
               {L"__ReportView", &kIidReportViewEvents, TKIND_DISPATCH, TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE}};
  for (UINT i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(library->GetTypeInfo(i, &info), S_OK);
    TYPEKIND kind{};
    GUID guid{};
    WORD funcs = 0;
    EXPECT_EQ(TypeFlags(info.Get(), &kind, &guid, &funcs), infos[i].flags);
    EXPECT_EQ(kind, infos[i].kind);
    EXPECT_TRUE(IsEqualGUID(guid, *infos[i].guid));
    EXPECT_EQ(NameOf(info.Get()), infos[i].name);
    EXPECT_TRUE(i != 2 || funcs == 0) << "the event interface has no members";
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

// The type library read back as hosts read it: from the library file and, after registration,
// through LoadRegTypeLib at neutral locale.
TEST(ControlTypeLibrary, TheEmbeddedAndTheRegisteredLibraryReadBackAsPublished) {
  OleApartment com;
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadTypeLibEx(OcxPath().c_str(), REGKIND_NONE, &library), S_OK);
  ExpectTheLibrary(library.Get());
  OcxLibrary ocx;
  ASSERT_EQ(ocx.Register(), S_OK);
  ASSERT_EQ(LoadRegTypeLib(kLibidReportView, 1, 0, LOCALE_NEUTRAL, library.ReleaseAndGetAddressOf()), S_OK);
  ExpectTheLibrary(library.Get());
  UniqueBstr path;
  ASSERT_EQ(QueryPathOfRegTypeLib(kLibidReportView, 1, 0, LOCALE_NEUTRAL, path.put()), S_OK);
  EXPECT_EQ(_wcsicmp(Bstr(path.get()).c_str(), OcxPath().c_str()), 0);
}

}  // namespace
}  // namespace orlix::test
