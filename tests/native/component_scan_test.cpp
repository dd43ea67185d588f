#include "app/component_scan.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/registry_api.h"
#include "base/text.h"

namespace orlix {
namespace {

// An in-memory class root with the registry's semantics: subkeys in insertion order, paths
// matched without regard to case, string values stored with their terminator. It counts open
// keys and can be told to fail enumeration at a given index, so the readers' key discipline and
// failure paths can be checked.
class FakeRegistry : public RegistrySource {
 public:
  struct Node {
    std::string name;
    std::vector<std::unique_ptr<Node>> children;
    bool hasDefault = false;
    std::uint32_t type = reg_type::kSz;
    std::string bytes;  // as the narrow API would return them, terminator included for strings
    long enumFailure = reg_status::kSuccess;
    std::uint32_t enumFailureAt = 0;
  };

  FakeRegistry() { root_.name = "<root>"; }
  ~FakeRegistry() override = default;

  // Creates every missing key of path (backslash-separated) and returns the last.
  Node& Add(const std::string& path) {
    Node* node = &root_;
    for (const std::string& part : Split(path, "\\")) {
      Node* next = Find(*node, part);
      if (next == nullptr) {
        node->children.push_back(std::make_unique<Node>());
        next = node->children.back().get();
        next->name = part;
      }
      node = next;
    }
    return *node;
  }
  void SetDefault(const std::string& path, const std::string& text, std::uint32_t type = reg_type::kSz) {
    Node& node = Add(path);
    node.hasDefault = true;
    node.type = type;
    node.bytes = text + '\0';
  }
  void SetDefaultBytes(const std::string& path, const std::string& bytes, std::uint32_t type) {
    Node& node = Add(path);
    node.hasDefault = true;
    node.type = type;
    node.bytes = bytes;
  }

  int OpenKeys() const { return static_cast<int>(open_.size()); }
  int opens = 0;
  int enumCalls = 0;

  RegKey Root() const override { return Handle(&root_); }

  long OpenKey(RegKey parent, const std::string& path, RegKey* opened) override {
    *opened = 0;
    Node* node = Resolve(parent);
    if (node == nullptr) return reg_status::kInvalidHandle;
    for (const std::string& part : Split(path, "\\")) {
      node = Find(*node, part);
      if (node == nullptr) return reg_status::kFileNotFound;
    }
    ++opens;
    // Each open gives a distinct handle, as the live registry does.
    handles_.push_back(node);
    *opened = static_cast<RegKey>(handles_.size()) << 4;
    open_.insert(*opened);
    return reg_status::kSuccess;
  }

  long EnumKey(RegKey key, std::uint32_t index, std::size_t bufferChars, std::string* name) override {
    ++enumCalls;
    name->clear();
    Node* node = Resolve(key);
    if (node == nullptr) return reg_status::kInvalidHandle;
    if (node->enumFailure != reg_status::kSuccess && index == node->enumFailureAt) return node->enumFailure;
    if (index >= node->children.size()) return reg_status::kNoMoreItems;
    const std::string& child = node->children[index]->name;
    if (child.size() + 1 > bufferChars) return reg_status::kMoreData;
    *name = child;
    return reg_status::kSuccess;
  }

  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                  std::uint32_t* size) override {
    data->clear();
    Node* node = Resolve(key);
    if (node == nullptr) return reg_status::kInvalidHandle;
    if (!name.empty() || !node->hasDefault) return reg_status::kFileNotFound;
    *type = node->type;
    if (node->bytes.size() > *size) {
      *size = static_cast<std::uint32_t>(node->bytes.size());
      return reg_status::kMoreData;
    }
    *size = static_cast<std::uint32_t>(node->bytes.size());
    *data = node->bytes;
    return reg_status::kSuccess;
  }

  long CloseKey(RegKey key) override {
    if (key == Root()) return reg_status::kSuccess;
    return open_.erase(key) == 1 ? reg_status::kSuccess : reg_status::kInvalidHandle;
  }

 private:
  static Node* Find(Node& node, const std::string& name) {
    for (auto& child : node.children)
      if (EqualsNoCase(child->name, name)) return child.get();
    return nullptr;
  }
  static RegKey Handle(const Node*) { return 1; }
  Node* Resolve(RegKey key) {
    if (key == Root()) return &root_;
    if (open_.count(key) == 0) return nullptr;  // closed or never opened
    return handles_[static_cast<std::size_t>(key >> 4) - 1];
  }

  mutable Node root_;
  std::vector<Node*> handles_;
  std::set<RegKey> open_;
};

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

TEST(ReadDefaultValue, ReturnsTheStoredTextAndClosesTheKey) {
  FakeRegistry reg;
  reg.SetDefault("A\\B", "value");
  reg.SetDefault("Expand", "%SystemRoot%\\x.dll", reg_type::kExpandSz);
  reg.SetDefault("Empty", "");
  reg.SetDefaultBytes("NoData", "", reg_type::kSz);
  reg.Add("NoValue");
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "a\\b"), "value");
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "Expand"), "%SystemRoot%\\x.dll");
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "Empty"), "");
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "NoData"), "");
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "NoValue"), "");
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "Missing"), "");
  EXPECT_EQ(reg.opens, 5);
  EXPECT_EQ(reg.OpenKeys(), 0);
}

TEST(ReadDefaultValue, HonoursTheThousandTwentyFourByteBuffer) {
  FakeRegistry reg;
  reg.SetDefault("Fits", std::string(1023, 'x'));      // 1024 bytes with the terminator
  reg.SetDefault("TooLong", std::string(1024, 'x'));   // 1025 bytes
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "Fits"), std::string(1023, 'x'));
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "TooLong"), "");
  EXPECT_EQ(reg.OpenKeys(), 0);
}

TEST(ReadDefaultValue, TextEndsAtTheTerminatorOrTheFirstNull) {
  FakeRegistry reg;
  reg.SetDefaultBytes("Unterminated", "abc", reg_type::kSz);
  reg.SetDefaultBytes("Multi", std::string("one\0two\0\0", 9), reg_type::kMultiSz);
  reg.SetDefaultBytes("Dword", std::string("\x07\0\0\0", 4), reg_type::kDword);
  // Nulls past the first eight bytes, and high bytes beside them.
  reg.SetDefaultBytes("LongMulti", std::string("C:\\Program\xC3\xA9\0two\0\0", 16), reg_type::kMultiSz);
  reg.SetDefaultBytes("LateNull", std::string("0123456789abcdef\x80\0x", 19), reg_type::kBinary);
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "Unterminated"), "abc");
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "Multi"), "one");
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "LongMulti"), "C:\\Program\xC3\xA9");
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "LateNull"), "0123456789abcdef\x80");
  EXPECT_EQ(ReadDefaultValue(reg, reg.Root(), "Dword"), "\x07");
}

TEST(EnumSubKeyNames, SlotZeroIsEmptyAndNamesFollowInOrder) {
  FakeRegistry reg;
  reg.Add("K\\Zeta");
  reg.Add("K\\alpha");
  reg.Add("K\\Mid");
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), "k"), (std::vector<std::string>{"", "Zeta", "alpha", "Mid"}));
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), ""), (std::vector<std::string>{"", "K"}));
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), "K\\Zeta"), (std::vector<std::string>{""}));
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), "Missing"), (std::vector<std::string>{""}));
  EXPECT_EQ(reg.OpenKeys(), 0);
}

TEST(EnumSubKeyNames, GrowsPastEachHundredSlotsKeepingEveryName) {
  FakeRegistry reg;
  std::vector<std::string> expected{""};
  for (int i = 0; i < 250; ++i) {
    expected.push_back("Key" + std::to_string(i));
    reg.Add("Many\\" + expected.back());
  }
  for (int count : {99, 100, 101}) {
    FakeRegistry edge;
    for (int i = 0; i < count; ++i) edge.Add("E\\" + std::to_string(i));
    const auto names = EnumSubKeyNames(edge, edge.Root(), "E");
    ASSERT_EQ(names.size(), static_cast<std::size_t>(count) + 1) << count;
    EXPECT_EQ(names.back(), std::to_string(count - 1));
  }
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), "Many"), expected);
}

TEST(EnumSubKeyNames, AnyFailureEndsTheListAndTheKeyIsClosed) {
  FakeRegistry reg;
  reg.Add("Long\\short");
  reg.Add("Long\\" + std::string(259, 'n'));  // fits 260 with its terminator
  reg.Add("Long\\" + std::string(260, 'm'));  // does not fit
  reg.Add("Long\\after");
  EXPECT_EQ(EnumSubKeyNames(reg, reg.Root(), "Long"),
            (std::vector<std::string>{"", "short", std::string(259, 'n')}));

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

TEST(BuildComponentList, KeepsOnlyProgIdsThatLeadToAClsid) {
  FakeRegistry reg;
  AddTypicalRoot(reg);
  EXPECT_EQ(Rows(BuildComponentList(reg)),
            (RowList{{"ADODB.Connection", "%CommonProgramFiles%\\System\\ado\\msado15.dll", "6.1", "programmable",
                      "{00000514-0000-0010-8000-00AA006D2EA4}"},
                     {"Orphan.Class", "", "", "", "{DEADBEEF-0000-0000-0000-000000000000}"}}));
  EXPECT_EQ(reg.OpenKeys(), 0);
}

TEST(BuildComponentList, NameShapes) {
  EXPECT_TRUE(IsProgIdShaped("A.B"));
  EXPECT_TRUE(IsProgIdShaped("A."));
  EXPECT_FALSE(IsProgIdShaped(".txt"));
  EXPECT_FALSE(IsProgIdShaped("Excel"));
  EXPECT_FALSE(IsProgIdShaped("Shell.Explorer.2"));
  EXPECT_FALSE(IsProgIdShaped("A.."));
  EXPECT_FALSE(IsProgIdShaped(""));
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
  EXPECT_EQ(Rows(BuildComponentList(reg)),
            (RowList{{"Both.Attr", "", "", "control", "{1}"},
                     {"Servers.Two", "C:\\inproc.dll", "1.0", "insertable", "{2}"},
                     {"Remote.Only", "C:\\old16.dll", "", "", "{3}"}}));
  EXPECT_EQ(reg.OpenKeys(), 0);
}

TEST(BuildComponentList, ServerPathLongerThanTheBufferIsEmpty) {
  FakeRegistry reg;
  reg.SetDefault("Long.Path\\Clsid", "{L}");
  reg.SetDefault("CLSID\\{L}\\InprocServer32", "C:\\" + std::string(1100, 'p') + ".dll");
  reg.SetDefault("CLSID\\{L}\\Version", "2.0");
  EXPECT_EQ(Rows(BuildComponentList(reg)), (RowList{{"Long.Path", "", "2.0", "", "{L}"}}));
}

TEST(BuildComponentList, NoQualifyingNamesGivesNoRows) {
  FakeRegistry empty;
  VariantArray none = BuildComponentList(empty);
  EXPECT_EQ(none.UpperBound(0), 4);
  EXPECT_EQ(none.UpperBound(1), -1);
  EXPECT_EQ(none.CellCount(), 0u);

  FakeRegistry reg;
  reg.Add(".txt");
  reg.SetDefault("Excel\\Clsid", "{2}");
  reg.SetDefault("Empty.Clsid\\Clsid", "");
  EXPECT_EQ(BuildComponentList(reg).UpperBound(1), -1);
}

TEST(BuildComponentList, EachScanIsIndependent) {
  FakeRegistry reg;
  AddTypicalRoot(reg);
  const VariantArray first = BuildComponentList(reg);
  ASSERT_EQ(first.UpperBound(1), 1);
  // Removing registrations between scans: the second array holds only what is there now.
  reg.SetDefault("ADODB.Connection\\Clsid", "");
  const VariantArray second = BuildComponentList(reg);
  EXPECT_EQ(Rows(second), (RowList{{"Orphan.Class", "", "", "", "{DEADBEEF-0000-0000-0000-000000000000}"}}));
  EXPECT_EQ(first.At(0, 0).Text(), "ADODB.Connection");
}

TEST(BuildComponentList, RegistryCallsFollowTheScan) {
  // One open per single-dot name, one enumeration per kept component, one open per server or
  // version subkey: the scan caches nothing and reads nothing more.
  FakeRegistry reg;
  AddTypicalRoot(reg);
  BuildComponentList(reg);
  // Opens: 4 Clsid keys (ADODB, Empty.Clsid, No.Clsid fails, Orphan) -> 3 succeed; 2 CLSID\{..}
  // enumerations -> 1 succeeds; InprocServer32 and Version reads -> 2.
  EXPECT_EQ(reg.opens, 3 + 1 + 2);
  EXPECT_EQ(reg.OpenKeys(), 0);
}

}  // namespace
}  // namespace orlix
