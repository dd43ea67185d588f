// regsvr32 and regsvr32 /u in a prefix made for this test alone: the registry is read key by key
// after registering, after registering again, and after unregistering.
#include "controllib/tests/ocx_support.h"

#include <map>
#include <optional>

namespace orlix::test {
namespace {

std::optional<std::wstring> Value(const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t buffer[1024] = {};
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(buffer);
}

bool KeyExists(const std::wstring& key) {
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, UniqueHkey().put()) == ERROR_SUCCESS;
}

DWORD SubkeyCount(const wchar_t* key) {
  UniqueHkey opened;
  DWORD count = 0;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, opened.put()) == ERROR_SUCCESS)
    RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  return count;
}

DWORD Regsvr32(const std::wstring& arguments) {
  std::wstring command = L"regsvr32.exe /s " + arguments + L" \"" + OcxPath() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return ~0u;
  const UniqueKernelHandle owned(process.hProcess), thread(process.hThread);
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = ~0u;
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}

void ExpectRegistered() {
  const std::wstring path = OcxPath();
  const std::wstring cls = L"CLSID\\" + GuidText(kClsidReportView);
  const std::wstring lib = GuidText(kLibidReportView);
  EXPECT_EQ(Value(cls), L"rvxReportView.ReportView");
  ASSERT_TRUE(Value(cls + L"\\InprocServer32").has_value());
  EXPECT_EQ(_wcsicmp(Value(cls + L"\\InprocServer32")->c_str(), path.c_str()), 0);
  EXPECT_EQ(Value(cls + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(Value(cls + L"\\ProgID"), L"rvxReportView.ReportView");
  EXPECT_EQ(Value(cls + L"\\VERSION"), L"1.0");
  EXPECT_EQ(Value(cls + L"\\TypeLib"), lib);
  EXPECT_TRUE(KeyExists(cls + L"\\Control"));
  ASSERT_TRUE(Value(cls + L"\\ToolboxBitmap32").has_value());
  EXPECT_EQ(_wcsicmp(Value(cls + L"\\ToolboxBitmap32")->c_str(), (path + L", 30000").c_str()), 0);
  EXPECT_EQ(Value(cls + L"\\MiscStatus"), L"0");
  EXPECT_EQ(Value(cls + L"\\MiscStatus\\1"), L"131473");
  // Not marked safe for scripting or for initialisation: it writes files and starts programs.
  EXPECT_FALSE(KeyExists(cls + L"\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
  EXPECT_FALSE(KeyExists(cls + L"\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}"));
  EXPECT_EQ(Value(L"rvxReportView.ReportView\\CLSID"), GuidText(kClsidReportView));
  CLSID resolved{};
  EXPECT_EQ(CLSIDFromProgID(L"rvxReportView.ReportView", &resolved), S_OK);
  EXPECT_TRUE(IsEqualCLSID(resolved, kClsidReportView));

  // The type library at neutral locale for this architecture, a control library.
  const std::wstring version = L"TypeLib\\" + lib + L"\\1.0";
  EXPECT_EQ(Value(version), L"rvxReportView");
  const std::optional<std::wstring> file = Value(version + (sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32"));
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(_wcsicmp(file->c_str(), path.c_str()), 0);
  ASSERT_TRUE(Value(version + L"\\FLAGS").has_value());
  // Decimal; Wine adds its "has disk image" bit (8).
  EXPECT_EQ(wcstoul(Value(version + L"\\FLAGS")->c_str(), nullptr, 10) & ~0x8ul, 0x2ul);  // LIBFLAG_FCONTROL

  // Both interfaces marshalled through the type library.
  for (const auto& [iid, name] : {std::make_pair(&kIidReportView, L"_ReportView"), std::make_pair(&kIidReportViewEvents, L"__ReportView")}) {
    EXPECT_EQ(Value(L"Interface\\" + GuidText(*iid)), name);
    EXPECT_EQ(Value(L"Interface\\" + GuidText(*iid) + L"\\TypeLib"), lib);
  }
}

TEST(ControlRegistration, Regsvr32RegistersTwiceHarmlesslyAndUnregistersEverything) {
  OleApartment com;
  const wchar_t* const roots[] = {L"CLSID", L"Interface", L"TypeLib"};
  std::map<std::wstring, DWORD> before;
  for (const wchar_t* root : roots) before[root] = SubkeyCount(root);
  ASSERT_FALSE(KeyExists(L"rvxReportView.ReportView")) << "the prefix must be fresh";

  ASSERT_EQ(Regsvr32(L""), 0u);
  ExpectRegistered();
  ASSERT_EQ(Regsvr32(L""), 0u);
  ExpectRegistered();
  EXPECT_EQ(SubkeyCount(L"CLSID"), before[L"CLSID"] + 1);
  EXPECT_EQ(SubkeyCount(L"Interface"), before[L"Interface"] + 2);
  EXPECT_EQ(SubkeyCount(L"TypeLib"), before[L"TypeLib"] + 1);

  ASSERT_EQ(Regsvr32(L"/u"), 0u);
  EXPECT_FALSE(KeyExists(L"CLSID\\" + GuidText(kClsidReportView)));
  EXPECT_FALSE(KeyExists(L"rvxReportView.ReportView"));
  EXPECT_FALSE(KeyExists(L"TypeLib\\" + GuidText(kLibidReportView)));
  EXPECT_FALSE(KeyExists(L"Interface\\" + GuidText(kIidReportView)));
  EXPECT_FALSE(KeyExists(L"Interface\\" + GuidText(kIidReportViewEvents)));
  for (const wchar_t* root : roots) EXPECT_EQ(SubkeyCount(root), before[root]) << root;
  // Unregistering what is gone already succeeds as well.
  EXPECT_EQ(Regsvr32(L"/u"), 0u);
}

}  // namespace
}  // namespace orlix::test
