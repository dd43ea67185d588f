// The file-backed class root against the live registry: one .reg file imported with regedit and
// loaded by the file store must read the same through the narrow API (enumeration order, value
// bytes and sizes, status codes).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/ansi_win.h"
#include "platform/regfile/reg_text.h"
#include "platform/regfile/registry_file.h"
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

// The keys and values both sides are compared on, below HKEY_CURRENT_USER\Software\Classes\<base>.
std::string ExportBody(const std::string& root, const std::string& base, bool version5) {
  const std::string key = "[" + root + "\\" + base;
  std::string text;
  const char* names[] = {"b", "_x", "A", "a1", "Zeta", "zz", "1abc", "[q]", "~t", "-m", ".txt", "a.b", "a_b",
                         "Y", "{abc}", "^k", "`g", "|p", "a b", "!x", "@y", "qqqqqqqqqq", "Caf\xC3\xA9",
                         "\xC3\x89z", "\xC3\x9F"};
  for (const char* n : names) text += key + "\\Order\\" + n + "]\r\n";
  text += key + "\\Values]\r\n";
  text += "@=\"default\"\r\n";
  text += "\"Quoted\"=\"say \\\"hi\\\" in C:\\\\temp\\\\\"\r\n";
  text += "\"Empty\"=\"\"\r\n";
  text += "\"Fits\"=\"" + std::string(1023, 'v') + "\"\r\n";
  text += "\"TooLong\"=\"" + std::string(1024, 'w') + "\"\r\n";
  text += "\"Accents\"=\"d\xC3\xA9j\xC3\xA0 vu\"\r\n";
  text += "\"Number\"=dword:0000002a\r\n";
  text += "\"Bytes\"=hex:00,01,fe,ff\r\n";
  if (version5) {
    // "%SystemRoot%\x" as UTF-16LE, continued over two lines; "a\0bc\0\0" as UTF-16LE.
    text += "\"Expand\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,\\\r\n"
            "  00,5c,00,78,00,00,00\r\n";
    text += "\"Multi\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00\r\n";
    text += "\"Wide\"=\"\xC4\x80\xC5\x82\xE4\xB8\xAD\"\r\n";
  } else {
    text += "\"Expand\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,e9,00\r\n";
    text += "\"Multi\"=hex(7):61,00,62,63,00,00\r\n";
  }
  text += "\"Qword\"=hex(b):01,02,03,04,05,06,07,08\r\n";
  text += key + "\\Values\\Sub]\r\n@=\"sub\"\r\n";
  text += key + "\\Removed]\r\n@=\"x\"\r\n";
  text += "[-" + root + "\\" + base + "\\Removed]\r\n";
  return text;
}

std::string WriteExport(const std::string& base, bool version5) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  const std::string path = std::string(dir) + base + ".reg";
  std::string body = ExportBody("HKEY_CURRENT_USER\\Software\\Classes", base, version5);
  std::string bytes;
  if (version5) {
    const std::u16string wide = regfile::Utf8ToUtf16("Windows Registry Editor Version 5.00\r\n\r\n" + body);
    bytes = "\xFF\xFE" + regfile::Utf16ToBytes(wide);
  } else {
    bytes = "REGEDIT4\r\n\r\n" + Utf8ToAnsi(body);
  }
  testing_support::WriteFileBytes(path, bytes);
  return path;
}

// status, type, size and data of one query
using Answer = std::tuple<long, std::uint32_t, std::uint32_t, std::string>;

Answer LiveQuery(HKEY key, const std::string& name, DWORD buffer) {
  std::string bytes(buffer, '\0');
  DWORD type = 0, size = buffer;
  const long status = RegQueryValueExA(key, Utf8ToAnsi(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size);
  bytes.resize(status == ERROR_SUCCESS ? size : 0);  // the narrow API leaves the buffer undefined otherwise
  const bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
  return Answer{status, type, size, text ? AnsiToUtf8(bytes) : bytes};
}

Answer FileQuery(RegistrySource& source, RegKey key, const std::string& name, std::uint32_t buffer) {
  Answer a{0, 0, buffer, ""};
  std::get<0>(a) = source.QueryValue(key, name, &std::get<1>(a), &std::get<3>(a), &std::get<2>(a));
  return a;
}

// Walks both trees from the given keys and compares every answer.
void Compare(HKEY live, RegistrySource& source, RegKey file, const std::string& where, int depth = 0) {
  SCOPED_TRACE(where);
  for (const char* name : {"", "Quoted", "Empty", "Fits", "TooLong", "Accents", "Number", "Bytes", "Expand",
                           "Multi", "Wide", "Qword", "Absent", "QUOTED", "accents"}) {
    for (DWORD buffer : {1024u, 5u}) {
      SCOPED_TRACE(std::string("value '") + name + "' buffer " + std::to_string(buffer));
      EXPECT_EQ(FileQuery(source, file, name, buffer), LiveQuery(live, name, buffer));
    }
  }
  for (DWORD buffer : {260u, 10u, 11u}) {
    std::vector<std::string> liveNames, fileNames;
    long liveEnd = 0, fileEnd = 0;
    for (DWORD i = 0;; ++i) {
      char name[300];
      liveEnd = RegEnumKeyA(live, i, name, buffer);
      if (liveEnd != ERROR_SUCCESS) break;
      liveNames.push_back(AnsiToUtf8(name));
    }
    for (std::uint32_t i = 0;; ++i) {
      std::string name;
      fileEnd = source.EnumKey(file, i, buffer, &name);
      if (fileEnd != reg_status::kSuccess) break;
      fileNames.push_back(name);
    }
    EXPECT_EQ(fileNames, liveNames) << "buffer " << buffer;
    EXPECT_EQ(fileEnd, liveEnd) << "buffer " << buffer;
    if (buffer != 260 || depth > 3) continue;
    for (const std::string& name : liveNames) {
      HKEY liveChild = nullptr;
      RegKey fileChild = 0;
      const std::string ansi = Utf8ToAnsi(name);
      ASSERT_EQ(RegOpenKeyExA(live, ansi.c_str(), 0, KEY_READ, &liveChild), ERROR_SUCCESS);
      ASSERT_EQ(source.OpenKey(file, name, &fileChild), reg_status::kSuccess);
      Compare(liveChild, source, fileChild, where + "\\" + name, depth + 1);
      RegCloseKey(liveChild);
      EXPECT_EQ(source.CloseKey(fileChild), reg_status::kSuccess);
    }
  }
  for (const char* path : {"\\Values", "Values\\", "values\\\\sub", "Removed", "Missing\\Deeper"}) {
    HKEY liveChild = nullptr;
    RegKey fileChild = 0;
    const long l = RegOpenKeyExA(live, path, 0, KEY_READ, &liveChild);
    const long f = source.OpenKey(file, path, &fileChild);
    EXPECT_EQ(f, l) << "open '" << path << "'";
    if (l == ERROR_SUCCESS) RegCloseKey(liveChild);
    if (f == reg_status::kSuccess) source.CloseKey(fileChild);
  }
}

void RunAgreement(bool version5) {
  const std::string base = std::string("OrlixRegfile") + (version5 ? "V5_" : "V4_") + std::to_string(GetCurrentProcessId()) +
                           "_" + std::to_string(GetTickCount());
  const std::string path = WriteExport(base, version5);
  ASSERT_EQ(testing_support::RunProgram("regedit.exe /s \"" + path + "\"", 60), 0u);

  const std::string livePath = "Software\\Classes\\" + base;
  HKEY live = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, livePath.c_str(), 0, KEY_READ, &live), ERROR_SUCCESS)
      << "regedit did not import " << path;

  auto source = LoadRegistryExport(path);
  EXPECT_TRUE(source->Warnings().empty());
  RegKey file = 0;
  ASSERT_EQ(source->OpenKey(source->Root(), base, &file), reg_status::kSuccess);
  Compare(live, *source, file, base);
  source->CloseKey(file);
  EXPECT_EQ(source->OpenHandleCount(), 0u);

  RegCloseKey(live);
  RegDeleteTreeA(HKEY_CURRENT_USER, livePath.c_str());
  DeleteFileA(path.c_str());
}

TEST(RegistryFileAgainstLiveRegistry, Version5ExportReadsAsTheImportedKeys) { RunAgreement(true); }

TEST(RegistryFileAgainstLiveRegistry, Regedit4ExportReadsAsTheImportedKeys) { RunAgreement(false); }

}  // namespace
}  // namespace orlix
