// The component scan and Win32Registry on the live registry, with registrations the test makes
// itself: in a private subtree standing in for the class root, and once in the real class root.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/component_scan.h"
#include "app/registry_api.h"
#include "platform/ansi_win.h"
#include "platform/registry_win.h"
#include "platform/unique_handle_win.h"
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

using testing_support::TestKeys;

using RowList = std::vector<std::vector<std::string>>;

RowList Rows(const VariantArray& data) {
  RowList rows;
  for (std::int32_t r = 0; r <= data.UpperBound(1); ++r) {
    std::vector<std::string> row;
    for (std::int32_t f = 0; f < 5; ++f) row.emplace_back(data.At(f, r).Text());
    rows.push_back(row);
  }
  return rows;
}

std::string UniqueSuffix() {
  return std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(::GetTickCount());
}

// A private class root: HKCU\Software\OrlixTestScan<unique>.
class PrivateRoot : public ::testing::Test {
 protected:
  void SetUp() override {
    keys_.Own(root_);
    ASSERT_TRUE(keys_.Add(root_ + "\\CLSID"));
  }
  // Names and texts in UTF-8, written through the narrow API as the scan reads them.
  void Set(const std::string& path, const std::string& text, DWORD type = REG_SZ) {
    ASSERT_TRUE(keys_.Set(root_ + "\\" + Utf8ToAnsi(path), Utf8ToAnsi(text), type)) << path;
  }
  void Add(const std::string& path) { ASSERT_TRUE(keys_.Add(root_ + "\\" + path)) << path; }
  std::unique_ptr<Win32Registry> Source() {
    long status = -1;
    auto source = Win32Registry::OpenSubtree(HKEY_CURRENT_USER, root_, &status);
    EXPECT_EQ(status, ERROR_SUCCESS);
    return source;
  }
  // Subkey names of a registration, read with the wide API: an order the scan did not produce.
  std::vector<std::string> WideSubkeys(const std::string& path) {
    std::vector<std::string> names;
    UniqueHkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(root_ + "\\" + path).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
      return names;
    wchar_t name[256];
    for (DWORD i = 0, chars = 256; ::RegEnumKeyExW(key.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, chars = 256)
      names.push_back(WideToUtf8(std::wstring(name, chars)));
    return names;
  }

  const std::string root_ = "Software\\OrlixTestScan" + UniqueSuffix();
  TestKeys keys_{HKEY_CURRENT_USER};
};

TEST_F(PrivateRoot, Win32RegistryConvertsNamesAndStringsButKeepsNarrowSizes) {
  Set("Caf\xC3\xA9.Obj\\Clsid", "\xE2\x82\xACuro");  // euro sign: one ANSI byte
  Set("Expand", "%SystemRoot%\\x.dll", REG_EXPAND_SZ);
  auto reg = Source();
  ASSERT_TRUE(reg);

  // Enumeration order is the registry's; find the non-ASCII name among the three.
  std::string name;
  std::vector<std::string> names;
  for (std::uint32_t i = 0; reg->EnumKey(reg->Root(), i, 260, &name) == reg_status::kSuccess; ++i)
    names.push_back(name);
  EXPECT_NE(std::find(names.begin(), names.end(), "Caf\xC3\xA9.Obj"), names.end());
  EXPECT_EQ(reg->EnumKey(reg->Root(), static_cast<std::uint32_t>(names.size()), 260, &name),
            reg_status::kNoMoreItems);

  RegKey key = 0;
  ASSERT_EQ(reg->OpenKey(reg->Root(), "caf\xC3\xA9.obj\\CLSID", &key), reg_status::kSuccess);
  std::uint32_t type = 0;
  std::string data;
  std::uint32_t size = 1024;
  ASSERT_EQ(reg->QueryValue(key, "", &type, &data, &size), reg_status::kSuccess);
  EXPECT_EQ(type, reg_type::kSz);
  EXPECT_EQ(size, 5u);  // "\x80uro" and its terminator
  EXPECT_EQ(data, std::string("\xE2\x82\xACuro\0", 7));

  size = 4;
  EXPECT_EQ(reg->QueryValue(key, "", &type, &data, &size), reg_status::kMoreData);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(data, "");
  size = 1024;
  EXPECT_EQ(reg->QueryValue(key, "NoSuchValue", &type, &data, &size), reg_status::kFileNotFound);
  EXPECT_EQ(reg->CloseKey(key), reg_status::kSuccess);

  EXPECT_EQ(reg->OpenKey(reg->Root(), "Missing", &key), reg_status::kFileNotFound);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(ReadDefaultValue(*reg, reg->Root(), "Expand"), "%SystemRoot%\\x.dll");
}

TEST_F(PrivateRoot, Win32RegistryNameBufferAndRootOwnership) {
  Add("Sub\\abcdef");
  auto reg = Source();
  ASSERT_TRUE(reg);
  RegKey sub = 0;
  ASSERT_EQ(reg->OpenKey(reg->Root(), "Sub", &sub), reg_status::kSuccess);
  std::string name;
  EXPECT_NE(reg->EnumKey(sub, 0, 6, &name), reg_status::kSuccess);  // six characters need seven
  EXPECT_EQ(name, "");
  EXPECT_EQ(reg->EnumKey(sub, 0, 7, &name), reg_status::kSuccess);
  EXPECT_EQ(name, "abcdef");
  EXPECT_EQ(reg->CloseKey(sub), reg_status::kSuccess);

  // Closing the root leaves it usable: callers never own it.
  EXPECT_EQ(reg->CloseKey(reg->Root()), reg_status::kSuccess);
  EXPECT_EQ(EnumSubKeyNames(*reg, reg->Root(), "Sub"), (std::vector<std::string>{"", "abcdef"}));
  // An empty path opens the parent again.
  RegKey again = 0;
  ASSERT_EQ(reg->OpenKey(reg->Root(), "Sub", &sub), reg_status::kSuccess);
  ASSERT_EQ(reg->OpenKey(sub, "", &again), reg_status::kSuccess);
  EXPECT_EQ(reg->EnumKey(again, 0, 260, &name), reg_status::kSuccess);
  EXPECT_EQ(name, "abcdef");
  reg->CloseKey(again);
  reg->CloseKey(sub);
}

// Which names qualify is the portable scan's; here the live API's values and their limits.
TEST_F(PrivateRoot, ScanKeepsProgIdsThatLeadToAClsid) {
  const std::string ado = "{00000514-0000-0010-8000-00AA006D2EA4}";
  Set("ADODB.Connection\\Clsid", ado);
  Set("CLSID\\" + ado + "\\InprocServer32", "%CommonProgramFiles%\\System\\ado\\msado15.dll", REG_EXPAND_SZ);
  Set("CLSID\\" + ado + "\\Version", "6.1");
  Add("CLSID\\" + ado + "\\Programmable");
  Set("Orphan.Class\\Clsid", "{DEADBEEF-0000-0000-0000-000000000000}");
  Set("Long.Path\\Clsid", "{4}");
  Set("CLSID\\{4}\\LocalServer32", "C:\\" + std::string(1100, 'p') + ".exe");
  Set("CLSID\\{4}\\Version", "2.0");
  Set("Edge.Fits\\Clsid", "{5}");
  Set("CLSID\\{5}\\InprocServer32", std::string(1023, 'f'));  // 1024 bytes with the null

  auto reg = Source();
  ASSERT_TRUE(reg);
  // The registry enumerates names in its own (sorted) order.
  EXPECT_EQ(Rows(BuildComponentList(*reg)),
            (RowList{{"ADODB.Connection", "%CommonProgramFiles%\\System\\ado\\msado15.dll", "6.1", "programmable", ado},
                     {"Edge.Fits", std::string(1023, 'f'), "", "", "{5}"},
                     {"Long.Path", "", "2.0", "", "{4}"},
                     {"Orphan.Class", "", "", "", "{DEADBEEF-0000-0000-0000-000000000000}"}}));
}

TEST_F(PrivateRoot, AttributeAndServerAreTheLastEnumeratedMatch) {
  Set("Both.Attr\\Clsid", "{1}");
  Add("CLSID\\{1}\\Programmable");
  Add("CLSID\\{1}\\Control");
  Set("Two.Servers\\Clsid", "{2}");
  Set("CLSID\\{2}\\LocalServer32", "C:\\local.exe");
  Set("CLSID\\{2}\\InprocServer32", "C:\\inproc.dll");
  Add("CLSID\\{2}\\Insertable");

  auto reg = Source();
  ASSERT_TRUE(reg);
  // Expected values from an independent enumeration through the wide API.
  std::string attribute;
  for (const std::string& s : WideSubkeys("CLSID\\{1}")) attribute = s == "Control" ? "control" : "programmable";
  std::string server;
  for (const std::string& s : WideSubkeys("CLSID\\{2}")) {
    if (s == "LocalServer32") server = "C:\\local.exe";
    if (s == "InprocServer32") server = "C:\\inproc.dll";
  }
  ASSERT_FALSE(attribute.empty());
  EXPECT_EQ(Rows(BuildComponentList(*reg)),
            (RowList{{"Both.Attr", "", "", attribute, "{1}"}, {"Two.Servers", server, "", "insertable", "{2}"}}));
}

// The real class root, with a registration added for the test. Wine shows only
// HKLM\Software\Classes there (Windows merges in HKCU\Software\Classes), so the registration goes
// through HKCU where that is visible and through HKLM otherwise.
TEST(LiveClassRoot, FindsARegistrationAddedToTheClassRoot) {
  const std::string id = "OrlixScanTest" + UniqueSuffix();
  const std::string progId = id + ".Widget";
  const std::string clsid = "{0A1B2C3D-" + std::to_string(::GetTickCount() % 10000 + 1000) + "-4E5F-8A9B-0C1D2E3F4A5B}";

  const std::string classes = "Software\\Classes\\";
  std::unique_ptr<TestKeys> keys;
  for (HKEY base : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    keys = std::make_unique<TestKeys>(base);
    keys->Own(classes + progId);
    keys->Set(classes + progId + "\\Clsid", clsid);
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, (progId + "\\Clsid").c_str(), 0, KEY_READ, UniqueHkey().put()) == ERROR_SUCCESS) break;
  }
  keys->Own(classes + id + ".Widget.2");
  keys->Own(classes + "CLSID\\" + clsid);
  keys->Set(classes + id + ".Widget.2\\Clsid", clsid);
  keys->Set(classes + "CLSID\\" + clsid + "\\InprocServer32", "%SystemRoot%\\system32\\orlixwidget.dll", REG_EXPAND_SZ);
  keys->Set(classes + "CLSID\\" + clsid + "\\Version", "3.4");
  keys->Add(classes + "CLSID\\" + clsid + "\\Control");

  Win32Registry reg;
  const RowList rows = Rows(BuildComponentList(reg));
  RowList ours;
  for (const auto& row : rows)
    if (row[0].compare(0, id.size(), id) == 0) ours.push_back(row);
  EXPECT_EQ(ours, (RowList{{progId, "%SystemRoot%\\system32\\orlixwidget.dll", "3.4", "control", clsid}}));
  // The prefix's own registrations come through too.
  EXPECT_GT(rows.size(), 1u);

  keys.reset();
  EXPECT_NE(::RegOpenKeyExA(HKEY_CLASSES_ROOT, progId.c_str(), 0, KEY_READ, UniqueHkey().put()), ERROR_SUCCESS);
  EXPECT_NE(::RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid).c_str(), 0, KEY_READ, UniqueHkey().put()),
            ERROR_SUCCESS);
  EXPECT_EQ(::RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, UniqueHkey().put()), ERROR_SUCCESS);
}

}  // namespace
}  // namespace orlix
