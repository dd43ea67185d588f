#include "platform/regfile/reg_text.h"

#include <algorithm>
#include <array>

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
    for (int i = 0; i < 0x80; ++i) byte[tables::kCp1252High[i]] = static_cast<char>(0x80 + i);
  }
};

const Cp1252Out& Cp1252() {
  static const Cp1252Out table;
  return table;
}

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at bytes[*pos]; returns false (and advances one byte) when invalid.
bool DecodeUtf8(std::string_view bytes, std::size_t* pos, char32_t* cp) {
  const auto b0 = static_cast<unsigned char>(bytes[*pos]);
  if (b0 < 0x80) {
    *cp = b0;
    ++*pos;
    return true;
  }
  int extra = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, value = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, value = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, value = b0 & 0x07, minimum = 0x10000;
  } else {
    ++*pos;
    return false;
  }
  if (*pos + extra >= bytes.size()) {
    ++*pos;
    return false;
  }
  for (int i = 1; i <= extra; ++i) {
    const auto b = static_cast<unsigned char>(bytes[*pos + i]);
    if ((b & 0xC0) != 0x80) {
      ++*pos;
      return false;
    }
    value = (value << 6) | (b & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000)) {
    ++*pos;
    return false;
  }
  *pos += extra + 1;
  *cp = value;
  return true;
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

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = 0;
    if (!DecodeUtf8(utf8, &pos, &cp)) cp = 0xFFFD;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    AppendUtf8(cp, &out);
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t pos = 0;
  char32_t cp = 0;
  while (pos < bytes.size()) {
    if (!DecodeUtf8(bytes, &pos, &cp)) return false;
  }
  return true;
}

std::u16string Cp1252ToUtf16(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out[i] = b < 0x80 ? static_cast<char16_t>(b) : tables::kCp1252High[b - 0x80];
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

std::u16string BytesToUtf16(std::string_view bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return out;
}

}  // namespace orlix::regfile
