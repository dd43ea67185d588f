// The class root read from registry exports and Wine hives, checked through the RegistrySource
// calls the scan and cRegistry make.
#include "platform/regfile/registry_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "tests/native/test_files.h"

namespace orlix {
namespace {

using regfile::KeyFold;

const std::string kData = std::string(ORLIX_TEST_DATA) + "/registry";

std::unique_ptr<FileRegistrySource> FromExport(const std::string& text, RegistryFileOptions options = {}) {
  RegistryFileLoader loader(options);
  loader.AddExportBytes("test.reg", text);
  return loader.Finish();
}

std::unique_ptr<FileRegistrySource> FromHive(const std::string& text, RegistryFileOptions options = {}) {
  RegistryFileLoader loader(options);
  loader.AddWineHiveBytes("system.reg", text);
  return loader.Finish();
}

struct Read {
  long status = -1;
  std::uint32_t type = 0;
  std::string data;
  std::uint32_t size = 0;
};

// RegOpenKeyExA + RegQueryValueExA + RegCloseKey, as the scan's ReadDefaultValue does them.
Read Query(RegistrySource& source, const std::string& path, const std::string& name, std::uint32_t buffer = 1024) {
  Read r;
  RegKey key = 0;
  r.status = source.OpenKey(source.Root(), path, &key);
  if (r.status != reg_status::kSuccess) return r;
  r.size = buffer;
  r.status = source.QueryValue(key, name, &r.type, &r.data, &r.size);
  EXPECT_EQ(source.CloseKey(key), reg_status::kSuccess);
  return r;
}

std::vector<std::string> Subkeys(RegistrySource& source, const std::string& path, std::size_t buffer = 260) {
  std::vector<std::string> names;
  RegKey key = 0;
  if (source.OpenKey(source.Root(), path, &key) != reg_status::kSuccess) return {"<cannot open>"};
  std::string name;
  for (std::uint32_t i = 0; source.EnumKey(key, i, buffer, &name) == reg_status::kSuccess; ++i) names.push_back(name);
  source.CloseKey(key);
  return names;
}

bool Exists(RegistrySource& source, const std::string& path) {
  return Subkeys(source, path) != std::vector<std::string>{"<cannot open>"};
}

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

// --- Registry exports ---

TEST(RegistryExport, Regedit4ValuesOfEveryKind) {
  auto source = FromExport(
      "REGEDIT4\r\n\r\n; a comment line\r\n[HKEY_CLASSES_ROOT\\Orlix.Kinds]\r\n@=\"default text\"\r\n"
      "\"Path\"=\"C:\\\\Program Files\\\\Orlix\\\\say \\\"hi\\\".dll\"\r\n\"Count\"=dword:0000002A\r\n"
      "\"Short\"=dword:7\r\n\"Bytes\"=hex:00,ff,10\r\n\"Expand\"=hex(2):25,57,49,4e,44,49,52,25,5c,e9,00\r\n"
      "\"Multi\"=hex(7):61,00,62,63,00,00\r\n\"Qword\"=hex(b):01,02,03,04,05,06,07,08\r\n\"Empty\"=\"\"\r\n"
      "\"Continued\"=hex:01,02,\\\r\n  03,04,\\\r\n  05\r\n   \"Indented\" = \"spaces around =\"\r\n");
  EXPECT_TRUE(source->Warnings().empty()) << source->Warnings()[0].message;

  const struct {
    const char* name;
    std::uint32_t type;
    std::string data;
  } values[] = {
      {"", reg_type::kSz, Sz("default text")},
      {"Path", reg_type::kSz, Sz("C:\\Program Files\\Orlix\\say \"hi\".dll")},
      {"Count", reg_type::kDword, std::string("\x2A\0\0\0", 4)},
      {"Short", reg_type::kDword, std::string("\x07\0\0\0", 4)},
      {"Bytes", reg_type::kBinary, std::string("\x00\xff\x10", 3)},
      // REGEDIT4 writes expandable and multi strings as ANSI bytes (é is one); left unexpanded.
      {"Expand", reg_type::kExpandSz, Sz("%WINDIR%\\\xC3\xA9")},
      {"Multi", reg_type::kMultiSz, std::string("a\0bc\0\0", 6)},
      {"Qword", reg_type::kQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
      {"Empty", reg_type::kSz, Sz("")},
      {"Continued", reg_type::kBinary, std::string("\x01\x02\x03\x04\x05", 5)},
      {"Indented", reg_type::kSz, Sz("spaces around =")},
  };
  for (const auto& v : values) {
    const Read r = Query(*source, "Orlix.Kinds", v.name);
    EXPECT_EQ(r.status, reg_status::kSuccess) << v.name;
    EXPECT_EQ(r.type, v.type) << v.name;
    EXPECT_EQ(r.data, v.data) << v.name;
  }
  EXPECT_EQ(Query(*source, "Orlix.Kinds", "").size, 13u);
  EXPECT_EQ(Query(*source, "Orlix.Kinds", "Expand").size, 11u);
  EXPECT_EQ(Query(*source, "Orlix.Kinds", "Absent").status, reg_status::kFileNotFound);
}

TEST(RegistryExport, Version5FileInUtf16) {
  auto source = LoadRegistryExport(kData + "/classes_v5.reg");
  EXPECT_TRUE(source->Warnings().empty());
  EXPECT_EQ(Query(*source, "Orlix.Sample\\Clsid", "").data, Sz("{6B29FC40-CA47-1067-B31D-00DD010662DA}"));
  // hex(2) in a version-5 export is UTF-16LE; the narrow API returns it unexpanded, in ANSI.
  Read r = Query(*source, "CLSID\\{6B29FC40-CA47-1067-B31D-00DD010662DA}\\InprocServer32", "");
  EXPECT_EQ(r.type, reg_type::kExpandSz);
  EXPECT_EQ(r.data, Sz("%SystemRoot%\\orlix.dll"));
  EXPECT_EQ(r.size, 23u);
  EXPECT_EQ(Subkeys(*source, "CLSID\\{6B29FC40-CA47-1067-B31D-00DD010662DA}"),
            (std::vector<std::string>{"InprocServer32", "Programmable", "Version"}));
  // Non-ASCII names and strings: one ANSI byte per Windows-1252 character, best-fit look-alikes
  // for the others ("Ā" -> "A", "ł" -> "l"), '?' for what has none.
  EXPECT_EQ(Subkeys(*source, "")[0], "Caf\xC3\xA9.Cr\xC3\xA8me");
  r = Query(*source, "CAF\xC3\x89.CR\xC3\x88ME", "");
  EXPECT_EQ(r.status, reg_status::kSuccess);
  EXPECT_EQ(r.data, Sz("Fr\xC3\xBChst\xC3\xBC" "ck Al?"));
  EXPECT_EQ(r.size, 14u);
  EXPECT_EQ(Query(*source, "Caf\xC3\xA9.Cr\xC3\xA8me", "multi").data, std::string("a\0bc\0\0", 6));
}

TEST(RegistryExport, EncodingsOfTheTextItself) {
  // An ANSI (Windows-1252) REGEDIT4 file and the same as UTF-8, with and without a BOM.
  const std::string ansi = "REGEDIT4\n[HKEY_CLASSES_ROOT\\Na\xEFve]\n@=\"d\xE9j\xE0\"\n";
  const std::string utf8 = "REGEDIT4\n[HKEY_CLASSES_ROOT\\Na\xC3\xAFve]\n@=\"d\xC3\xA9j\xC3\xA0\"\n";
  for (const std::string& text : {ansi, utf8, "\xEF\xBB\xBF" + utf8}) {
    auto source = FromExport(text);
    Read r = Query(*source, "NA\xC3\x8FVE", "");
    EXPECT_EQ(r.data, Sz("d\xC3\xA9j\xC3\xA0"));
    EXPECT_EQ(r.size, 5u);
  }
  // Version 5 header in an 8-bit file, LF line ends.
  auto source = FromExport("Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A]\n@=\"x\"\n");
  EXPECT_EQ(Query(*source, "a", "").data, Sz("x"));
}

TEST(RegistryExport, DeletionsApplyInFileOrder) {
  auto source = FromExport(
      "REGEDIT4\n[HKEY_CLASSES_ROOT\\Gone\\Deep\\Deeper]\n@=\"x\"\n[HKEY_CLASSES_ROOT\\Kept]\n\"a\"=\"1\"\n"
      "\"b\"=\"2\"\n@=\"default\"\n[-HKEY_CLASSES_ROOT\\GONE]\n[HKEY_CLASSES_ROOT\\Kept]\n\"A\"=-\n@=-\n"
      "[-HKEY_CLASSES_ROOT\\NeverExisted]\n[HKEY_CLASSES_ROOT\\Back]\n[-HKEY_CLASSES_ROOT\\Back]\n"
      "[HKEY_CLASSES_ROOT\\Back\\Again]\n"
      "[HKEY_CLASSES_ROOT\\K]\n\"v\"=\"1\"\n\"v\"=-\n\"V\"=\"2\"\n\"w\"=\"3\"\n\"W\"=-\n");
  EXPECT_TRUE(source->Warnings().empty());
  EXPECT_EQ(Query(*source, "K", "v").data, Sz("2"));  // set again after its deletion
  EXPECT_EQ(Query(*source, "K", "w").status, reg_status::kFileNotFound);
  EXPECT_FALSE(Exists(*source, "Gone"));
  EXPECT_FALSE(Exists(*source, "Gone\\Deep"));
  EXPECT_EQ(Query(*source, "Kept", "a").status, reg_status::kFileNotFound);
  EXPECT_EQ(Query(*source, "Kept", "").status, reg_status::kFileNotFound);
  EXPECT_EQ(Query(*source, "Kept", "b").data, Sz("2"));
  EXPECT_EQ(Subkeys(*source, ""), (std::vector<std::string>{"Back", "K", "Kept"}));
  EXPECT_EQ(Subkeys(*source, "Back"), (std::vector<std::string>{"Again"}));
}

TEST(RegistryExport, MachineAndUserClassesMergeWithTheUserWinning) {
  auto source = FromExport(
      "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Classes\\Both]\n@=\"user\"\n"
      "\"UserOnly\"=\"u\"\n[HKEY_CURRENT_USER\\Software\\Classes\\Both\\FromUser]\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Both]\n@=\"machine\"\n\"MachineOnly\"=\"m\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Both\\FromMachine]\n[HKEY_CLASSES_ROOT\\Both\\FromRoot]\n"
      "[HKEY_CLASSES_ROOT]\n\"RootValue\"=\"r\"\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n@=\"not a class\"\n"
      "[HKEY_CURRENT_USER\\Software\\Classes\\UserOnly]\n[HKEY_USERS\\.DEFAULT\\Software\\Classes\\Elsewhere]\n"
      "@=\"ignored\"\n");
  EXPECT_TRUE(source->Warnings().empty());
  EXPECT_EQ(Query(*source, "Both", "").data, Sz("user"));
  EXPECT_EQ(Query(*source, "Both", "UserOnly").data, Sz("u"));
  EXPECT_EQ(Query(*source, "Both", "MachineOnly").data, Sz("m"));
  EXPECT_EQ(Subkeys(*source, "Both"), (std::vector<std::string>{"FromMachine", "FromRoot", "FromUser"}));
  EXPECT_EQ(Subkeys(*source, ""), (std::vector<std::string>{"Both", "UserOnly"}));
  EXPECT_EQ(Query(*source, "", "RootValue").data, Sz("r"));
  EXPECT_FALSE(Exists(*source, "Other"));
  EXPECT_FALSE(Exists(*source, "Software"));

  // Removing a key of the class root removes it from both layers; a layer's own removal only there.
  auto removed = FromExport(
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Classes\\A]\n@=\"u\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Classes\\A]\n@=\"m\"\n[HKEY_CURRENT_USER\\Software\\Classes\\B]\n@=\"u\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Classes\\B]\n@=\"m\"\n[-HKEY_CLASSES_ROOT\\A]\n"
      "[-HKEY_CURRENT_USER\\Software\\Classes\\B]\n");
  EXPECT_FALSE(Exists(*removed, "A"));
  EXPECT_EQ(Query(*removed, "B", "").data, Sz("m"));
}

// --- Wine hives ---

TEST(WineHive, PrefixMergesSystemAndUserClasses) {
  auto source = LoadWinePrefix(kData + "/wineprefix");
  ASSERT_TRUE(source->Warnings().empty()) << source->Warnings()[0].message;
  EXPECT_EQ(Subkeys(*source, ""),
            (std::vector<std::string>{".txt", "CLSID", "Escapes", "Orlix.User", "Orlix.Wine", "Shortcut"}));
  EXPECT_EQ(Query(*source, "Orlix.Wine", "").data, Sz("User name"));
  EXPECT_EQ(Query(*source, "Orlix.Wine", "OnlyMachine").data, Sz("m"));
  EXPECT_EQ(Query(*source, "orlix.wine\\CLSID", "").data, Sz("{00000000-0000-0000-0000-0000000000AA}"));
  Read r = Query(*source, "CLSID\\{00000000-0000-0000-0000-0000000000AA}\\InprocServer32", "");
  EXPECT_EQ(r.type, reg_type::kExpandSz);
  EXPECT_EQ(r.data, Sz("%SystemRoot%\\system32\\orlix.dll"));
  EXPECT_EQ(Subkeys(*source, "CLSID\\{00000000-0000-0000-0000-0000000000AA}"),
            (std::vector<std::string>{"Control", "InprocServer32"}));
  EXPECT_FALSE(Exists(*source, "Wine"));

  // The same directory through the auto-detecting entry point, and one hive on its own.
  EXPECT_EQ(LoadRegistryFile(kData + "/wineprefix")->KeyCount(), source->KeyCount());
  auto user = LoadRegistryFile(kData + "/wineprefix/user.reg");
  EXPECT_EQ(Subkeys(*user, ""), (std::vector<std::string>{"Orlix.User", "Orlix.Wine"}));

  // Hives given one by one: the header says whose they are, and the user's classes win
  // whichever comes last.
  const std::string hive = "WINE REGISTRY Version 2\n;; All keys relative to \\\\";
  RegistryFileLoader loader;
  loader.AddWineHiveBytes("user.reg", hive + "User\\\\S-1-5-21-0-0-0-1000\n[Software\\\\Classes\\\\Both] 1\n@=\"user\"\n");
  loader.AddWineHiveBytes("system.reg", hive + "Machine\n[Software\\\\Classes\\\\Both] 1\n@=\"machine\"\n");
  EXPECT_EQ(Query(*loader.Finish(), "Both", "").data, Sz("user"));
}

TEST(WineHive, EscapesTypesAndContinuedLinesInValuesAndKeyNames) {
  auto source = LoadWinePrefix(kData + "/wineprefix");
  // \x takes up to four hex digits: "\x4e2d" is one character, "\x0041B" is "A" then "B".
  Read r = Query(*source, "Escapes", "Unicode");
  EXPECT_EQ(r.data, Sz("caf\xC3\xA9 ?AB"));
  EXPECT_EQ(r.size, 9u);
  EXPECT_EQ(Query(*source, "Escapes", "Octal").data, std::string("a\tb\0\0", 5));
  EXPECT_EQ(Query(*source, "Escapes", "Quote").data, Sz("say \"hi\" \\ back"));
  r = Query(*source, "Escapes", "Multi");
  EXPECT_EQ(r.type, reg_type::kMultiSz);
  EXPECT_EQ(r.data, std::string("one\0two\0\0", 9));
  r = Query(*source, "Escapes", "Bin");
  ASSERT_EQ(r.data.size(), 27u);
  EXPECT_EQ(r.data.back(), '\x1b');
  EXPECT_EQ(Query(*source, "Escapes", "Qword").type, reg_type::kQword);
  EXPECT_EQ(Query(*source, "Escapes", "Num").data, std::string("\x2a\0\0\0", 4));

  // Names with escapes other than the separator, and code units that UTF-8 cannot hold.
  auto hive = FromHive(R"(WINE REGISTRY Version 2
[Software\\Classes\\Esc\\a\x41] 1
[Software\\Classes\\Esc\\\]x] 1
"s"="t\tq\"b\\e"
"o"="\101\x42\x263a"
[Software\\Classes\\Lone\\\xd800] 1
[Software\\Classes\\Lone\\\xd801] 1
)");
  EXPECT_TRUE(hive->Warnings().empty());
  EXPECT_EQ(Subkeys(*hive, "Esc"), (std::vector<std::string>{"]x", "aA"}));
  EXPECT_EQ(Subkeys(*hive, "Lone"), (std::vector<std::string>{"?", "?"}));
  EXPECT_EQ(Query(*hive, "Esc\\]x", "s").data, Sz("t\tq\"b\\e"));
  EXPECT_EQ(Query(*hive, "Esc\\]x", "o").data, Sz("AB?"));
}

TEST(WineHive, SymbolicLinkInsideTheClassRootIsFollowed) {
  auto source = LoadWinePrefix(kData + "/wineprefix");
  EXPECT_EQ(Query(*source, "Shortcut", "Quote").data, Sz("say \"hi\" \\ back"));
  // A link whose target lies outside the class root stays an empty key.
  auto outside = FromHive(
      "WINE REGISTRY Version 2\n[Software\\\\Classes\\\\Out] 1\n#link\n\"SymbolicLinkValue\"=hex(6):5c,00,41,00\n");
  EXPECT_TRUE(Exists(*outside, "Out"));
  EXPECT_EQ(Subkeys(*outside, "Out"), std::vector<std::string>{});

  // A key that both hives define as a link follows the user's.
  const auto link = [](const std::string& target) {
    std::string hex;
    for (const unsigned char c : "\\Registry\\Machine\\Software\\Classes\\" + target)
      hex += std::string(hex.empty() ? "" : ",") + "0123456789abcdef"[c >> 4] + "0123456789abcdef"[c & 15] + ",00";
    return "[Software\\\\Classes\\\\Both] 1\n#link\n\"SymbolicLinkValue\"=hex(6):" + hex + "\n";
  };
  const std::string hive = "WINE REGISTRY Version 2\n;; All keys relative to \\\\";
  RegistryFileLoader loader;
  loader.AddWineHiveBytes("system.reg", hive + "Machine\n" + link("M") +
                                            "[Software\\\\Classes\\\\M\\\\FromMachine] 1\n[Software\\\\Classes\\\\U\\\\FromUser] 1\n");
  loader.AddWineHiveBytes("user.reg", hive + "User\\\\S-1-5-21-0-0-0-1000\n" + link("U"));
  EXPECT_EQ(Subkeys(*loader.Finish(), "Both"), std::vector<std::string>{"FromUser"});
}

// --- Semantics of the narrow API ---

TEST(RegistryFileOrder, SubkeysEnumerateAsWineOrdersThem) {
  // The names and the order that Wine's registry gave for them (RegCreateKeyExA in this order,
  // then RegEnumKeyA): case-insensitive, folded to lower case, so "_" and "`" precede letters.
  const std::vector<std::string> created = {
      "b", "_x", "A", "a1", "Zeta", "zz", "1abc", "[q]", "~t", "-m", ".txt", "a.b", "a_b", "aB", "ab",
      "\xC3\xA9t\xC3\xA9", "\xC3\x89z", "Y", "{abc}", "a", "^k", "`g", "|p", "\xC3\x9F", "\xC3\xBF", "a b",
      "!x", "@y", "\xC2\xB5", "\xC3\xA0"};
  const std::vector<std::string> wineOrder = {
      "!x", "-m", ".txt", "1abc", "@y", "[q]", "^k", "_x", "`g", "A", "a b", "a.b", "a1", "a_b", "aB", "b",
      "Y", "Zeta", "zz", "{abc}", "|p", "~t", "\xC2\xB5", "\xC3\x9F", "\xC3\xA0", "\xC3\xA9t\xC3\xA9",
      "\xC3\x89z", "\xC3\xBF"};
  std::string text = "REGEDIT4\n";
  std::vector<std::string> shuffled = created;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  for (const auto& name : shuffled) text += "[HKEY_CLASSES_ROOT\\Order\\" + name + "]\n";
  auto source = FromExport(text);
  // "a", "ab" collide case-insensitively with "A" and "aB": one key each, first spelling kept.
  const auto folded = [](std::vector<std::string> names) {
    for (auto& s : names)
      for (auto& c : s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return names;
  };
  EXPECT_EQ(folded(Subkeys(*source, "Order")), folded(wineOrder));

  // Windows folds to upper case: the punctuation between 'Z' and 'a' follows the letters.
  RegistryFileOptions windows;
  windows.keyOrder = KeyFold::kUpper;
  auto upper = FromExport("REGEDIT4\n[HKCR\\_x]\n[HKCR\\A]\n[HKCR\\z]\n[HKCR\\`g]\n[HKCR\\[q]\n[HKCR\\1]\n", windows);
  EXPECT_EQ(Subkeys(*upper, ""), (std::vector<std::string>{"1", "A", "z", "[q", "_x", "`g"}));
  // A key name with brackets ends at the last closing bracket.
  EXPECT_EQ(Subkeys(*FromExport("REGEDIT4\n[HKEY_CLASSES_ROOT\\[q]]\n@=\"v\"\n"), ""), std::vector<std::string>{"[q]"});
}

TEST(RegistryFileSemantics, BufferLimitsMatchTheNarrowApi) {
  const std::string fits(1023, 'v');
  const std::string tooLong(1024, 'w');
  auto source = FromExport("REGEDIT4\n[HKEY_CLASSES_ROOT\\Sizes]\n\"Fits\"=\"" + fits + "\"\n\"TooLong\"=\"" + tooLong +
                           "\"\n[HKEY_CLASSES_ROOT\\Sizes\\" + std::string(10, 'q') + "]\n");
  Read r = Query(*source, "Sizes", "Fits");
  EXPECT_EQ(r.status, reg_status::kSuccess);
  EXPECT_EQ(r.size, 1024u);
  r = Query(*source, "Sizes", "TooLong");
  EXPECT_EQ(r.status, reg_status::kMoreData);
  EXPECT_EQ(r.size, 1025u);
  EXPECT_TRUE(r.data.empty());
  EXPECT_EQ(r.type, reg_type::kSz);

  // Asking for the size only.
  RegKey key = 0;
  ASSERT_EQ(source->OpenKey(source->Root(), "Sizes", &key), reg_status::kSuccess);
  std::uint32_t size = 0;
  EXPECT_EQ(source->QueryValue(key, "TooLong", nullptr, nullptr, &size), reg_status::kSuccess);
  EXPECT_EQ(size, 1025u);
  std::string data;
  EXPECT_EQ(source->QueryValue(key, "Fits", nullptr, &data, nullptr), reg_status::kInvalidParameter);

  // A 10-character name needs 11 characters of buffer.
  std::string name;
  EXPECT_EQ(source->EnumKey(key, 0, 10, &name), reg_status::kMoreData);
  EXPECT_EQ(source->EnumKey(key, 0, 11, &name), reg_status::kSuccess);
  EXPECT_EQ(name, std::string(10, 'q'));
  EXPECT_EQ(source->EnumKey(key, 1, 260, &name), reg_status::kNoMoreItems);
  source->CloseKey(key);
}

TEST(RegistryFileSemantics, PathsAndHandles) {
  auto source = FromExport("REGEDIT4\n[HKEY_CLASSES_ROOT\\Outer\\Inner]\n@=\"in\"\n");
  RegKey outer = 0, inner = 0, again = 0;
  ASSERT_EQ(source->OpenKey(source->Root(), "OUTER", &outer), reg_status::kSuccess);
  EXPECT_EQ(source->OpenKey(outer, "inner", &inner), reg_status::kSuccess);
  EXPECT_EQ(source->OpenKey(outer, "", &again), reg_status::kSuccess);  // the key itself, anew
  EXPECT_NE(again, outer);
  EXPECT_EQ(source->OpenHandleCount(), 3u);
  EXPECT_EQ(source->CloseKey(again), reg_status::kSuccess);

  // The live registry's path rules: trailing and doubled backslashes pass, a leading one does not.
  RegKey k = 0;
  EXPECT_EQ(source->OpenKey(source->Root(), "Outer\\Inner\\", &k), reg_status::kSuccess);
  source->CloseKey(k);
  EXPECT_EQ(source->OpenKey(source->Root(), "Outer\\\\Inner", &k), reg_status::kSuccess);
  source->CloseKey(k);
  EXPECT_EQ(source->OpenKey(source->Root(), "\\Outer", &k), 161);
  EXPECT_EQ(k, 0u);
  EXPECT_EQ(source->OpenKey(source->Root(), "Outer\\..", &k), reg_status::kFileNotFound);
  EXPECT_EQ(source->OpenKey(source->Root(), "Outer\\Missing", &k), reg_status::kFileNotFound);

  // Closed, unknown and zero handles are refused everywhere; the root is never really closed.
  EXPECT_EQ(source->CloseKey(inner), reg_status::kSuccess);
  EXPECT_EQ(source->CloseKey(inner), reg_status::kInvalidHandle);
  std::string name;
  std::uint32_t size = 10;
  std::string data;
  EXPECT_EQ(source->EnumKey(inner, 0, 260, &name), reg_status::kInvalidHandle);
  EXPECT_EQ(source->QueryValue(inner, "", nullptr, &data, &size), reg_status::kInvalidHandle);
  EXPECT_EQ(source->OpenKey(inner, "", &k), reg_status::kInvalidHandle);
  EXPECT_EQ(source->CloseKey(0x1234), reg_status::kInvalidHandle);
  EXPECT_EQ(source->CloseKey(0), reg_status::kInvalidHandle);
  EXPECT_EQ(source->CloseKey(source->Root()), reg_status::kSuccess);
  EXPECT_EQ(source->EnumKey(source->Root(), 0, 260, &name), reg_status::kSuccess);
  EXPECT_EQ(name, "Outer");

  // A reused slot does not revive the old handle.
  RegKey reused = 0;
  ASSERT_EQ(source->OpenKey(source->Root(), "Outer", &reused), reg_status::kSuccess);
  EXPECT_NE(reused, inner);
  EXPECT_EQ(source->CloseKey(inner), reg_status::kInvalidHandle);
  source->CloseKey(reused);
  source->CloseKey(outer);
  EXPECT_EQ(source->OpenHandleCount(), 0u);
}

TEST(RegistryFileSemantics, ValueNamesMatchWithoutCaseAndThroughTheCodePage) {
  auto source = FromExport("REGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n\"\xC3\x89t\xC3\xA9\"=\"e\"\n\"Mixed\"=\"m\"\n");
  EXPECT_EQ(Query(*source, "k", "\xC3\xA9T\xC3\x89").data, Sz("e"));
  EXPECT_EQ(Query(*source, "k", "MIXED").data, Sz("m"));

  // A process in code page 65001 sees UTF-8 bytes: sizes count them.
  RegistryFileOptions utf8;
  utf8.codePage = regfile::AnsiCodePage::kUtf8;
  auto wide = FromExport("REGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n@=\"\xE4\xB8\xAD\"\n", utf8);
  Read r = Query(*wide, "K", "");
  EXPECT_EQ(r.data, Sz("\xE4\xB8\xAD"));
  EXPECT_EQ(r.size, 4u);
}

// --- Malformed input ---

struct Malformed {
  const char* what;
  std::string text;
  std::size_t line;
};

TEST(RegistryFileMalformed, BadLinesAreSkippedAndNamed) {
  const std::vector<Malformed> cases = {
      {"key without ]", "REGEDIT4\n[HKEY_CLASSES_ROOT\\Open\n@=\"x\"\n", 2},
      {"unknown root", "REGEDIT4\n[HKEY_NOWHERE\\A]\n@=\"x\"\n", 2},
      {"unterminated string", "REGEDIT4\n[HKCR\\A]\n@=\"never closed\n", 3},
      {"bad escape", "REGEDIT4\n[HKCR\\A]\n@=\"C:\\temp\"\n", 3},
      {"unknown type", "REGEDIT4\n[HKCR\\A]\n@=quux:12\n", 3},
      {"bad hex", "REGEDIT4\n[HKCR\\A]\n@=hex:01,zz\n", 3},
      {"three-digit hex byte", "REGEDIT4\n[HKCR\\A]\n@=hex:123\n", 3},
      {"bad hex type", "REGEDIT4\n[HKCR\\A]\n@=hex(x):01\n", 3},
      {"bad dword", "REGEDIT4\n[HKCR\\A]\n@=dword:123456789\n", 3},
      {"empty dword", "REGEDIT4\n[HKCR\\A]\n@=dword:\n", 3},
      {"text after string", "REGEDIT4\n[HKCR\\A]\n@=\"x\" y\n", 3},
      {"no =", "REGEDIT4\n[HKCR\\A]\n\"name\" \"x\"\n", 3},
      {"value before any key", "REGEDIT4\n@=\"x\"\n[HKCR\\A]\n", 2},
      {"stray text", "REGEDIT4\n[HKCR\\A]\nrandom words\n", 3},
      {"truncated continuation", "REGEDIT4\n[HKCR\\A]\n@=hex:01,\\\n", 3},
      {"long key name", "REGEDIT4\n[HKCR\\" + std::string(256, 'k') + "]\n@=\"x\"\n", 2},
      // A malformed continued value does not leak its lines.
      {"bad continued hex", "REGEDIT4\n[HKCR\\A]\n\"v\"=hex:zz,\\\n  \"w\"=\"looks like a value\"\n", 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // The rest of the file still loads.
    auto source = FromExport(c.text + "[HKEY_CLASSES_ROOT\\After]\n@=\"ok\"\n");
    ASSERT_EQ(source->Warnings().size(), 1u);
    EXPECT_EQ(source->Warnings()[0].file, "test.reg");
    EXPECT_EQ(source->Warnings()[0].line, c.line);
    EXPECT_FALSE(source->Warnings()[0].message.empty());
    if (std::string(c.what) != "truncated continuation") {
      EXPECT_EQ(Query(*source, "After", "").data, Sz("ok"));
    }
    EXPECT_EQ(Query(*source, "A", "w").status, reg_status::kFileNotFound);

    RegistryFileOptions strict;
    strict.strict = true;
    try {
      FromExport(c.text, strict);
      ADD_FAILURE() << "strict loading accepted it";
    } catch (const RegistryFileError& e) {
      EXPECT_EQ(e.line(), c.line);
      EXPECT_EQ(e.file(), "test.reg");
      EXPECT_NE(std::string(e.what()).find("test.reg:" + std::to_string(c.line) + ": "), std::string::npos);
    }
  }
}

TEST(RegistryFileMalformed, UnusableFilesThrowNamingTheFile) {
  const char withNul[] = "REGEDIT4\n[HKCR\\A]\n@=\"x\0y\"\n";
  const std::tuple<std::string, std::size_t, const char*> cases[] = {
      {"", 0, "empty"},
      {"REGEDIT5\n", 1, "not a registry export"},
      {std::string(withNul, sizeof withNul - 1), 3, "binary"},
      {std::string("\xFF\xFE", 2) + std::string("R\0E\0G\0E\0D\0I\0T\0" "4\0\n\0\0\0", 20), 2, "binary"},
      {std::string("\xFE\xFF\0R", 4), 0, "big-endian"}};
  for (const auto& [bytes, line, fragment] : cases) {
    try {
      RegistryFileLoader().AddExportBytes("bad.reg", bytes);
      ADD_FAILURE() << "accepted: " << fragment;
    } catch (const RegistryFileError& e) {
      EXPECT_EQ(e.file(), "bad.reg");
      EXPECT_EQ(e.line(), line);
      EXPECT_NE(e.message().find(fragment), std::string::npos) << e.message();
    }
  }
  EXPECT_THROW(LoadWinePrefix(kData), RegistryFileError);  // no system.reg / user.reg there
  EXPECT_THROW(FromHive("WINE REGISTRY Version 3\n"), RegistryFileError);
  try {
    LoadRegistryExport(kData + "/does-not-exist.reg");
    ADD_FAILURE();
  } catch (const RegistryFileError& e) {
    EXPECT_NE(std::string(e.what()).find("does-not-exist.reg"), std::string::npos);
  }
}

TEST(RegistryFileMalformed, HugeLinesLoadOrFailWithoutHanging) {
  const std::string big(10 * 1024 * 1024, 'x');
  // A 10 MB string value is legal; a 10 MB line of nonsense is one skipped line.
  auto source = FromExport("REGEDIT4\n[HKCR\\Big]\n@=\"" + big + "\"\n" + big + "\n\"after\"=\"1\"\n");
  ASSERT_EQ(source->Warnings().size(), 1u);
  EXPECT_EQ(source->Warnings()[0].line, 4u);
  Read r = Query(*source, "Big", "");
  EXPECT_EQ(r.status, reg_status::kMoreData);
  EXPECT_EQ(r.size, big.size() + 1);
  EXPECT_EQ(Query(*source, "Big", "after").data, Sz("1"));
  // A binary value continued over 100,000 lines.
  std::string hex = "REGEDIT4\n[HKCR\\Hex]\n@=hex:";
  for (int i = 0; i < 100000; ++i) hex += "01,02,\\\n  ";
  hex += "03\n";
  auto binary = FromExport(hex);
  EXPECT_EQ(Query(*binary, "Hex", "", 1u << 20).size, 200001u);
}

TEST(RegistryFileMalformed, HiveLinesAreSkippedLikeWineDoes) {
  auto source = FromHive(
      "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n[Software\\\\Classes\\\\Broken 1\n@=\"hidden\"\n"
      "[Software\\\\Classes\\\\Good] 1\n@=str(2):\"unterminated\n\"t\"=weird:1\n\"h\"=hex:0g\n\"n\"=\"\\x263a\"\n"
      "stray\n\"d\"=dword:1\n\"cut\"=hex:01,\\\n");
  ASSERT_EQ(source->Warnings().size(), 6u);
  EXPECT_EQ(source->Warnings()[0].line, 3u);
  EXPECT_EQ(source->Warnings()[1].line, 6u);
  EXPECT_EQ(source->Warnings()[5].line, 12u);
  EXPECT_FALSE(Exists(*source, "Broken 1"));
  EXPECT_EQ(Query(*source, "Good", "d").data, std::string("\x01\0\0\0", 4));
  EXPECT_EQ(Query(*source, "Good", "n").data, Sz("?"));
}

TEST(RegistryFileLoading, AutoDetectionAndLaterFilesOverride) {
  const testing_support::TempFolder dir;
  const std::string first = dir.Write("first.reg", "REGEDIT4\n[HKEY_CLASSES_ROOT\\A]\n@=\"first\"\n");
  const std::string other = dir.Write("notes.txt", "just some notes\n");

  EXPECT_EQ(Query(*LoadRegistryFile(first), "A", "").data, Sz("first"));
  EXPECT_THROW(LoadRegistryFile(other), RegistryFileError);
  EXPECT_THROW(LoadRegistryFile(dir.Path()), RegistryFileError);  // a directory without hives

  RegistryFileLoader loader;
  loader.AddAuto(first);
  loader.AddAuto(kData + "/wineprefix");
  loader.AddExportBytes("second.reg", "REGEDIT4\n[HKEY_CLASSES_ROOT\\A]\n@=\"second\"\n");
  auto both = loader.Finish();
  EXPECT_EQ(Query(*both, "A", "").data, Sz("second"));
  EXPECT_TRUE(Exists(*both, "Orlix.Wine"));
}

}  // namespace
}  // namespace orlix
