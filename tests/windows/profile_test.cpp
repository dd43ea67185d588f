// The portable initialisation-file reader against the profile function itself: the same files,
// every section and key found in them, several buffer sizes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "base/text.h"
#include "platform/ansi_win.h"
#include "platform/ini_file.h"
#include "platform/profile_reader_win.h"
#include "tests/support/window_driver_win.h"

namespace orlix {
namespace {

using testing_support::ReadFileBytes;

std::string DataFile(const std::string& name) {
  return testing_support::WindowsPath(std::string(ORLIX_TEST_DATA) + "/captions/" + name);
}

// GetPrivateProfileStringA as called with raw ANSI texts.
std::string ProfileFunction(const std::string& section, const std::string& key, const std::string& defaultText,
                            DWORD bufferChars, const std::string& path) {
  std::vector<char> buffer(bufferChars + 16, '#');
  const DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(), buffer.data(),
                                             bufferChars, path.c_str());
  EXPECT_LT(n, bufferChars);
  EXPECT_EQ(buffer[n], '\0');
  return std::string(buffer.data(), n);
}

// Section and key names as they appear in the file, in UTF-8 (the portable reader's view),
// with letter-case variants and names no file holds.
void CollectNames(const std::string& utf8, std::set<std::string>* sections, std::set<std::string>* keys) {
  std::string text = utf8;
  std::replace(text.begin(), text.end(), '\r', '\n');
  for (const std::string& raw : Split(text, "\n")) {
    std::string line = raw.substr(0, raw.find('\0'));
    const std::size_t start = line.find_first_not_of(" \t\x1a\x0b\x0c");
    if (start == std::string::npos) continue;
    line = line.substr(start);
    if (line[0] == '[') {
      const std::size_t first = line.find(']'), last = line.rfind(']');
      if (first != std::string::npos) sections->insert(TrimSpaces(line.substr(1, first - 1)));
      if (last != std::string::npos) sections->insert(line.substr(1, last - 1));
    } else {
      keys->insert(line.substr(0, line.find('=')));
    }
  }
  for (const char* s : {"General", "general", "GENERAL", "Missing", ""}) sections->insert(s);
  for (int k : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 99, 100, 103, 104, 105, 108, 109, 110, 200}) {
    keys->insert(std::to_string(k));
  }
  std::set<std::string> variants;
  for (const std::string& k : *keys) {
    variants.insert(ToLowerAscii(k));
    variants.insert(ToUpperAscii(k));
    variants.insert(" " + k + "\t");
  }
  keys->insert(variants.begin(), variants.end());
}

// Wine's profile function drops one character more than it must when a quoted value fits the
// buffer exactly (the closing quote is cut off and then the last character removed as if it were
// the quote). The portable reader keeps the whole text; these cases expect Wine's shorter result.
bool QuotedExactFit(const std::optional<std::string>& raw, DWORD bufferChars) {
  if (!raw || raw->size() < 3) return false;
  const char q = raw->front();
  if ((q != '"' && q != '\'') || raw->back() != q) return false;
  const std::string inner = raw->substr(1, raw->size() - 2);
  return CopyProfileEntry(*raw, bufferChars) == inner && CopyProfileEntry(*raw, bufferChars - 1) != inner;
}

class ProfileDifferential : public ::testing::TestWithParam<const char*> {};

TEST_P(ProfileDifferential, EveryNameGivesTheSameTextFromBothReaders) {
  const std::string path = DataFile(GetParam());
  const std::string bytes = ReadFileBytes(path);
  const std::optional<IniFile> file = IniFile::Load(path);
  ASSERT_TRUE(file.has_value()) << path;
  const IniFileProfileReader portable;

  // The names as the portable reader sees the text: a marked file decoded to UTF-8.
  const bool utf8 = bytes.rfind("\xEF\xBB\xBF", 0) == 0, big = bytes.rfind("\xFE\xFF", 0) == 0;
  const bool unicode = utf8 || big || bytes.rfind("\xFF\xFE", 0) == 0;
  std::string decoded = utf8 ? bytes.substr(3) : bytes;
  if (unicode && !utf8) {
    std::wstring wide;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
      wide += static_cast<wchar_t>(big ? (a << 8) | b : (b << 8) | a);
    }
    decoded = WideToUtf8(wide);
  }
  std::set<std::string> sections, keys;
  CollectNames(decoded, &sections, &keys);

  std::size_t compared = 0, fromFile = 0;
  for (const std::string& section : sections) {
    for (const std::string& key : keys) {
      for (DWORD size : {1024u, 2u, 4u, 7u, 8u, 30u}) {
        const std::string mine = portable.GetString(section, key, "dflt", size, path);
        std::string theirs = unicode ? ProfileFunction(Utf8ToAnsi(section), Utf8ToAnsi(key), "dflt", size, path)
                                     : ProfileFunction(section, key, "dflt", size, path);
        if (unicode) theirs = AnsiToUtf8(theirs);
        const std::optional<std::string> raw = file->Find(section, key);
        fromFile += raw ? 1 : 0;
        std::string expected = mine;
        if (QuotedExactFit(raw, size)) expected = mine.substr(0, mine.size() - 1);
        EXPECT_EQ(theirs, expected) << GetParam() << " [" << section << "] " << key << " buffer " << size;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 0u);
  if (!bytes.empty() && bytes != "[General]") {
    EXPECT_GT(fromFile, 0u) << "no name of the file was found";
  }
}

INSTANTIATE_TEST_SUITE_P(CaptionFiles, ProfileDifferential,
                         ::testing::Values("basic.dat", "long.dat", "headers.dat", "bom-utf8.dat", "utf16le.dat",
                                           "utf16be.dat", "ansi.dat", "empty.dat", "only-header.dat"));

TEST(ProfileDifferentialDefaults, DefaultsAreTreatedAlike) {
  const std::string none = DataFile("no-such-file.dat");
  const IniFileProfileReader portable;
  for (const char* d : {"def  ", "  def", "def\t", "\"q\"  ", "\"q", "'q'", "  \"q\"", "\"", "", "a b "}) {
    for (DWORD size : {1024u, 3u}) {
      EXPECT_EQ(ProfileFunction("General", "1", d, size, none), portable.GetString("General", "1", d, size, none))
          << "[" << d << "] buffer " << size;
    }
  }
}

TEST(Win32ProfileReader, ConvertsBetweenUtf8AndTheAnsiCodePage) {
  const Win32ProfileReader reader;
  EXPECT_EQ(reader.GetString("General", "1", "caf\xC3\xA9", 1024, DataFile("no-such-file.dat")), "caf\xC3\xA9");
  EXPECT_EQ(reader.GetString("General", "1", "d", 1024, DataFile("ansi.dat")), "caf\xC3\xA9 cr\xC3\xA8me");
  EXPECT_EQ(reader.GetString("G\xC3\x89N\xC3\x89RAL", "1", "d", 1024, DataFile("ansi.dat")), "accented section");
  EXPECT_EQ(reader.GetString("General", "3", "d", 4, DataFile("bom-utf8.dat")), "\xC3\xA9\xC3\xA9\xC3\xA9");
  EXPECT_EQ(reader.GetString("General", "1", "d", 0, DataFile("ansi.dat")), "");
}

}  // namespace
}  // namespace orlix
