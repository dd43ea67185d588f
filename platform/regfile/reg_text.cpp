#include "platform/regfile/reg_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "base/text_encoding.h"
#include "platform/regfile/reg_text_tables.h"

namespace orlix::regfile {
namespace {

// Flattened case maps: built once, one lookup per code unit afterwards.
struct CaseMaps {
  std::array<char16_t, 0x10000> lower;
  std::array<char16_t, 0x10000> upper;
  CaseMaps() {
    for (std::size_t i = 0; i < 0x10000; ++i) lower[i] = upper[i] = static_cast<char16_t>(i);
    Apply(tables::kLowerRuns, tables::kLowerRunCount, &lower);
    Apply(tables::kUpperRuns, tables::kUpperRunCount, &upper);
  }
  static void Apply(const tables::CaseRun* runs, std::size_t count, std::array<char16_t, 0x10000>* map) {
    for (std::size_t r = 0; r < count; ++r) {
      for (std::uint32_t c = runs[r].first; c <= runs[r].last; c += runs[r].step) {
        (*map)[c] = static_cast<char16_t>(static_cast<std::int32_t>(c) + runs[r].delta);
      }
    }
  }
};

const CaseMaps& Maps() {
  static const CaseMaps maps;
  return maps;
}

// UTF-16 -> Windows-1252 for every code unit.
struct Cp1252Out {
  std::array<char, 0x10000> byte;
  Cp1252Out() {
    byte.fill('?');
    for (int i = 0; i < 0x80; ++i) byte[i] = static_cast<char>(i);
    for (std::size_t i = 0; i < tables::kCp1252BestFitCount; ++i) {
      byte[tables::kCp1252BestFit[i].unit] = static_cast<char>(tables::kCp1252BestFit[i].byte);
    }
    for (int i = 0x80; i < 0x100; ++i) byte[Cp1252ToUnicode(static_cast<unsigned char>(i))] = static_cast<char>(i);
  }
};

const Cp1252Out& Cp1252() {
  static const Cp1252Out table;
  return table;
}

}  // namespace

char16_t FoldUnit(char16_t unit, KeyFold fold) {
  return fold == KeyFold::kLower ? Maps().lower[unit] : Maps().upper[unit];
}

std::u16string FoldName(std::u16string_view name, KeyFold fold) {
  const auto& map = fold == KeyFold::kLower ? Maps().lower : Maps().upper;
  std::u16string out(name);
  for (auto& c : out) c = map[c];
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t pos = 0;
  char32_t cp = 0;
  while (pos < bytes.size()) {
    // ASCII, the bulk of any registry file, eight bytes at a time.
    std::uint64_t word = 0;
    while (pos + sizeof word <= bytes.size()) {
      std::memcpy(&word, bytes.data() + pos, sizeof word);
      if (word & 0x8080808080808080ull) break;
      pos += sizeof word;
    }
    if (pos >= bytes.size()) break;
    if (!DecodeUtf8(bytes, &pos, &cp)) return false;
  }
  return true;
}

std::u16string Cp1252ToUtf16(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out[i] = Cp1252ToUnicode(b);
  }
  return out;
}

std::string Utf16ToCp1252(std::u16string_view text) {
  const auto& table = Cp1252().byte;
  std::string out(text.size(), '\0');
  // Code unit by code unit, as the registry's narrow functions convert: a surrogate pair gives "??".
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = table[text[i]];
  return out;
}

std::string Utf16ToAnsi(std::u16string_view text, AnsiCodePage page) {
  return page == AnsiCodePage::kUtf8 ? Utf16ToUtf8(text) : Utf16ToCp1252(text);
}

std::u16string AnsiToUtf16(std::string_view ansi, AnsiCodePage page) {
  return page == AnsiCodePage::kUtf8 ? Utf8ToUtf16(ansi) : Cp1252ToUtf16(ansi);
}

std::string AnsiToUtf8(std::string_view ansi, AnsiCodePage page) {
  if (page == AnsiCodePage::kUtf8) return std::string(ansi);
  bool ascii = std::all_of(ansi.begin(), ansi.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return ascii ? std::string(ansi) : Utf16ToUtf8(Cp1252ToUtf16(ansi));
}

std::string Utf16ToBytes(std::u16string_view text) {
  std::string out(text.size() * 2, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    out[2 * i] = static_cast<char>(text[i] & 0xFF);
    out[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return out;
}

std::u16string BytesToUtf16(std::string_view bytes) { return Utf16FromBytes(bytes, false); }

}  // namespace orlix::regfile
