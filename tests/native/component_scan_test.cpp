#include "app/component_scan.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/registry_api.h"
#include "tests/native/fake_registry.h"

namespace orlix {
namespace {

using testing_support::FakeRegistry;

std::vector<std::vector<std::string>> Rows(const VariantArray& data) {
  std::vector<std::vector<std::string>> rows;
  EXPECT_EQ(data.Dimensions(), 2);
  EXPECT_EQ(data.DimensionBound(0).lower, 0);
  EXPECT_EQ(data.DimensionBound(0).upper, 4);
  EXPECT_EQ(data.DimensionBound(1).lower, 0);
  for (std::int32_t r = 0; r <= data.UpperBound(1); ++r) {
    std::vector<std::string> row;
    for (std::int32_t f = 0; f < 5; ++f) row.emplace_back(data.At(f, r).Text());
    rows.push_back(row);
  }
  return rows;
}

using RowList = std::vector<std::vector<std::string>>;

TEST(ReadDefaultValue, TextUpToTheFirstNullWithinTheBufferAndTheKeyClosed) {
  FakeRegistry reg;
  reg.SetDefault("A\\B", "value");
  reg.SetDefault("Expand", "%SystemRoot%\\x.dll", reg_type::kExpandSz);
  reg.SetDefault("Empty", "");
  reg.SetRaw("NoData", "", reg_type::kSz, "");
  reg.Add("NoValue");
  reg.SetDefault("Fits", std::string(1023, 'x'));     // 1024 bytes with the terminator
  reg.SetDefault("TooLong", std::string(1024, 'x'));  // 1025 bytes
  reg.SetRaw("Unterminated", "", reg_type::kSz, "abc");
  reg.SetRaw("Multi", "", reg_type::kMultiSz, std::string("one\0two\0\0", 9));
  reg.SetRaw("Dword", "", reg_type::kDword, std::string("\x07\0\0\0", 4));
  // Nulls past the first eight bytes, and high bytes beside them.
  reg.SetRaw("LongMulti", "", reg_type::kMultiSz, std::string("C:\\Program\xC3\xA9\0two\0\0", 16));
  reg.SetRaw("LateNull", "", reg_type::kBinary, std::string("0123456789abcdef\x80\0x", 19));
  const std::pair<const char*, std::string> cases[] = {
      {"a\\b", "value"}, {"Expand", "%SystemRoot%\\x.dll"}, {"Empty", ""}, {"NoData", ""}, {"NoValue", ""},
      {"Missing", ""}, {"Fits", std::string(1023, 'x')}, {"TooLong", ""}, {"Unterminated", "abc"},
      {"Multi", "one"}, {"Dword", "\x07"}, {"LongMulti", "C:\\Program\xC3\xA9"},
      {"LateNull", "0123456789abcdef\x80"}};
  for (const auto& [path, text] : cases) EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), path), text) << path;
  EXPECT_EQ(reg.opens, 12);
  // The first null at every place in and across the words the length is measured in.
  for (std::size_t at = 0; at < 18; ++at) {
    reg.SetRaw("At", "", reg_type::kBinary, std::string(at, '\x81') + std::string("\0\x01\0z", 4));
    EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "At"), std::string(at, '\x81')) << at;
  }
  EXPECT_EQ(reg.OpenKeys(), 0);
}

TEST(EnumSubKeyNames, SlotZeroIsEmptyAndNamesFollowInOrderPastEachHundred) {
  FakeRegistry reg;
  for (const char* name : {"Zeta", "alpha", "Mid"}) reg.Add(std::string("K\\") + name);
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), "k"), (std::vector<std::string>{"", "Zeta", "alpha", "Mid"}));
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), ""), (std::vector<std::string>{"", "K"}));
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), "K\\Zeta"), (std::vector<std::string>{""}));
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), "Missing"), (std::vector<std::string>{""}));
  for (int count : {99, 100, 101, 250}) {
    FakeRegistry many;
    for (int i = 0; i < count; ++i) many.Add("E\\" + std::to_string(i));
    const auto names = EnumSubKeyNames(many, many.Root(), "E");
    ASSERT_EQ(names.size(), static_cast<std::size_t>(count) + 1) << count;
    EXPECT_EQ(names[1], "0");
    EXPECT_EQ(names.back(), std::to_string(count - 1));
  }
  EXPECT_EQ(reg.OpenKeys(), 0);
}

TEST(EnumSubKeyNames, AnyFailureEndsTheListAndTheKeyIsClosed) {
  FakeRegistry reg;
  reg.Add("Long\\short");
  reg.Add("Long\\" + std::string(259, 'n'));  // fits 260 with its terminator
  reg.Add("Long\\" + std::string(260, 'm'));  // does not fit
  reg.Add("Long\\after");
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), "Long"), (std::vector<std::string>{"", "short", std::string(259, 'n')}));
  FakeRegistry::Node& broken = reg.Add("Broken");
  reg.Add("Broken\\a");
  reg.Add("Broken\\b");
  broken.enumFailure = reg_status::kAccessDenied;
  broken.enumFailureAt = 1;
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), "Broken"), (std::vector<std::string>{"", "a"}));
  EXPECT_EQ(reg.OpenKeys(), 0);
}

// A class root with the usual mix of names.
void AddTypicalRoot(FakeRegistry& reg) {
  reg.Add(".txt");
  reg.SetDefault(".txt\\Clsid", "{00000000-0000-0000-0000-000000000001}");
  reg.SetDefault("Excel\\Clsid", "{00000000-0000-0000-0000-000000000002}");
  reg.SetDefault("Shell.Explorer.2\\Clsid", "{00000000-0000-0000-0000-000000000003}");
  reg.SetDefault("ADODB.Connection\\Clsid", "{00000514-0000-0010-8000-00AA006D2EA4}");
  reg.SetDefault("CLSID\\{00000514-0000-0010-8000-00AA006D2EA4}\\InprocServer32",
                 "%CommonProgramFiles%\\System\\ado\\msado15.dll", reg_type::kExpandSz);
  reg.SetDefault("CLSID\\{00000514-0000-0010-8000-00AA006D2EA4}\\Version", "6.1");
  reg.Add("CLSID\\{00000514-0000-0010-8000-00AA006D2EA4}\\Programmable");
  reg.SetDefault("Empty.Clsid\\Clsid", "");
  reg.Add("No.Clsid\\CurVer");
  reg.SetDefault("Orphan.Class\\Clsid", "{DEADBEEF-0000-0000-0000-000000000000}");
}

TEST(BuildComponentList, KeepsOnlyProgIdsThatLeadToAClsidAndReadsNothingMore) {
  FakeRegistry reg;
  AddTypicalRoot(reg);
  EXPECT_EQ(Rows(BuildComponentList(reg)),
            (RowList{{"ADODB.Connection", "%CommonProgramFiles%\\System\\ado\\msado15.dll", "6.1", "programmable",
                      "{00000514-0000-0010-8000-00AA006D2EA4}"},
                     {"Orphan.Class", "", "", "", "{DEADBEEF-0000-0000-0000-000000000000}"}}));
  // Opens: 4 Clsid keys (No.Clsid fails) -> 3; 2 CLSID\{..} enumerations -> 1; InprocServer32
  // and Version reads -> 2. The scan caches nothing.
  EXPECT_EQ(reg.opens, 3 + 1 + 2);
  EXPECT_EQ(reg.OpenKeys(), 0);
  for (const char* name : {"A.B", "A."}) EXPECT_TRUE(IsProgIdShaped(name)) << name;
  for (const char* name : {".txt", "Excel", "Shell.Explorer.2", "A..", ""}) EXPECT_FALSE(IsProgIdShaped(name)) << name;

  // Each scan reads the registry as it is now.
  reg.SetDefault("ADODB.Connection\\Clsid", "");
  EXPECT_EQ(Rows(BuildComponentList(reg)), (RowList{{"Orphan.Class", "", "", "", "{DEADBEEF-0000-0000-0000-000000000000}"}}));
  FakeRegistry empty;
  const VariantArray none = BuildComponentList(empty);
  EXPECT_EQ(none.UpperBound(0), 4);
  EXPECT_EQ(none.UpperBound(1), -1);
}

TEST(BuildComponentList, LastMatchingSubkeyDecidesEachColumn) {
  FakeRegistry reg;
  reg.SetDefault("Both.Attr\\Clsid", "{1}");
  reg.Add("CLSID\\{1}\\Programmable");
  reg.Add("CLSID\\{1}\\Control");
  reg.SetDefault("Servers.Two\\Clsid", "{2}");
  reg.SetDefault("CLSID\\{2}\\LocalServer32", "C:\\local.exe");
  reg.SetDefault("CLSID\\{2}\\INPROCSERVER32", "C:\\inproc.dll");
  reg.Add("CLSID\\{2}\\Insertable");
  reg.Add("CLSID\\{2}\\ProgID");
  reg.SetDefault("CLSID\\{2}\\version", "1.0");
  reg.SetDefault("CLSID\\{2}\\Version\\Nested", "ignored");
  reg.SetDefault("Remote.Only\\Clsid", "{3}");
  reg.SetDefault("CLSID\\{3}\\RemoteServerName", "server1");
  reg.SetDefault("CLSID\\{3}\\InprocServer", "C:\\old16.dll");
  reg.Add("CLSID\\{3}\\InprocServer\x13\x12");  // case folds letters only: not InprocServer32
  reg.SetDefault("Long.Path\\Clsid", "{L}");  // a server path longer than the buffer is empty
  reg.SetDefault("CLSID\\{L}\\InprocServer32", "C:\\" + std::string(1100, 'p') + ".dll");
  reg.SetDefault("CLSID\\{L}\\Version", "2.0");
  EXPECT_EQ(Rows(BuildComponentList(reg)),
            (RowList{{"Both.Attr", "", "", "control", "{1}"},
                     {"Servers.Two", "C:\\inproc.dll", "1.0", "insertable", "{2}"},
                     {"Remote.Only", "C:\\old16.dll", "", "", "{3}"},
                     {"Long.Path", "", "2.0", "", "{L}"}}));
  EXPECT_EQ(reg.OpenKeys(), 0);
}

}  // namespace
}  // namespace orlix
