// The library as a file and a module: its resources, its exports, class objects and the unload
// count, and a registration that cannot write.
#include "controllib/tests/ocx_support.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace orlix::test {
namespace {

using Microsoft::WRL::ComPtr;

std::vector<unsigned char> ResourceBytes(HMODULE module, const wchar_t* type, const wchar_t* name, WORD language) {
  HRSRC found = ::FindResourceExW(module, type, name, language);
  if (found == nullptr) return {};
  const auto* data = static_cast<const unsigned char*>(::LockResource(::LoadResource(module, found)));
  return std::vector<unsigned char>(data, data + ::SizeofResource(module, found));
}

std::vector<unsigned char> GuidResource(const GUID& guid) {
  std::vector<unsigned char> bytes(4 + sizeof(GUID));
  bytes[0] = 16;
  std::memcpy(&bytes[4], &guid, sizeof(GUID));
  return bytes;
}

TEST(ControlModule, ResourcesAreThoseOfTheLibrary) {
  OcxLibrary ocx;
  ASSERT_NE(ocx.get(), nullptr);
  const WORD neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
  EXPECT_EQ(ResourceBytes(ocx.get(), L"_IID_REPORTVIEW", MAKEINTRESOURCEW(1), neutral), GuidResource(kIidReportView));
  EXPECT_EQ(ResourceBytes(ocx.get(), L"_SRCIID_REPORTVIEW", MAKEINTRESOURCEW(1), neutral), GuidResource(kIidReportViewEvents));
  const std::vector<unsigned char> typelib = ResourceBytes(ocx.get(), L"TYPELIB", MAKEINTRESOURCEW(1), neutral);
  ASSERT_GE(typelib.size(), 4u);
  EXPECT_EQ(std::string(typelib.begin(), typelib.begin() + 4), "MSFT");

  // The style store, byte for byte the program's.
  std::ifstream source(ORLIX_SOURCE_DIR "/resources/reportformats.txt", std::ios::binary);
  const std::vector<unsigned char> store((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(store.empty());
  EXPECT_EQ(ResourceBytes(ocx.get(), L"CUSTOM", L"REPORTFORMATS", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), store);

  // Toolbox picture: 16 x 15 pixels, 4 bits per pixel.
  const std::vector<unsigned char> bitmap = ResourceBytes(ocx.get(), MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(30000), neutral);
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

}  // namespace
}  // namespace orlix::test
