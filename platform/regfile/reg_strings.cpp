#include "platform/regfile/reg_strings.h"

#include "platform/regfile/reg_lines.h"
#include "platform/regfile/reg_text.h"

namespace orlix::regfile {
namespace {

std::string Unterminated(char end) { return std::string("unterminated text (no closing '") + end + "')"; }

}  // namespace

bool ParseWineString(std::string_view s, std::size_t* pos, char end, std::u16string* out, std::string* error) {
  std::size_t i = *pos;
  std::string plain;  // unescaped UTF-8 run, decoded in one go
  auto flush = [&]() {
    if (!plain.empty()) out->append(Utf8ToUtf16(plain));
    plain.clear();
  };
  while (i < s.size() && s[i] != end) {
    if (s[i] != '\\') {
      plain.push_back(s[i++]);
      continue;
    }
    flush();
    ++i;
    if (i >= s.size()) break;
    const char c = s[i++];
    switch (c) {
      case 'a': out->push_back(u'\a'); break;
      case 'b': out->push_back(u'\b'); break;
      case 'e': out->push_back(u'\x1b'); break;
      case 'f': out->push_back(u'\f'); break;
      case 'n': out->push_back(u'\n'); break;
      case 'r': out->push_back(u'\r'); break;
      case 't': out->push_back(u'\t'); break;
      case 'v': out->push_back(u'\v'); break;
      case 'x': {
        if (i >= s.size() || HexDigit(s[i]) < 0) {
          out->push_back(u'x');
          break;
        }
        unsigned value = 0;
        for (int n = 0; n < 4 && i < s.size() && HexDigit(s[i]) >= 0; ++n) value = value * 16 + HexDigit(s[i++]);
        out->push_back(static_cast<char16_t>(value));
        break;
      }
      default:
        if (c >= '0' && c <= '7') {
          unsigned value = static_cast<unsigned>(c - '0');
          for (int n = 0; n < 2 && i < s.size() && s[i] >= '0' && s[i] <= '7'; ++n) value = value * 8 + (s[i++] - '0');
          out->push_back(static_cast<char16_t>(value));
        } else {
          plain.push_back(c);  // "\\", "\"", "\[", "\]" and the like
        }
        break;
    }
  }
  flush();
  if (i >= s.size()) {
    *error = Unterminated(end);
    return false;
  }
  *pos = i + 1;
  return true;
}

// An escape's digits are never `end`, so skipping the escaped character finds the same end.
bool ScanWineString(std::string_view s, std::size_t* pos, char end, bool* escaped, std::string* error) {
  *escaped = false;
  // Most texts hold no escape: find the end, then make sure.
  const std::size_t close = s.find(end, *pos);
  if (close != std::string_view::npos && s.substr(*pos, close - *pos).find('\\') == std::string_view::npos) {
    *pos = close + 1;
    return true;
  }
  for (std::size_t i = *pos; i < s.size(); ++i) {
    const char c = s[i];
    if (c == end) {
      *pos = i + 1;
      return true;
    }
    if (c == '\\') {
      *escaped = true;
      ++i;
    }
  }
  *error = Unterminated(end);
  return false;
}

bool ParseExportString(std::string_view s, std::size_t* pos, std::string* out, std::string* error) {
  std::size_t i = *pos;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '"') {
      *pos = i + 1;
      return true;
    }
    if (c == '\\') {
      if (i + 1 >= s.size()) break;
      switch (s[i + 1]) {
        case '\\': out->push_back('\\'); break;
        case '"': out->push_back('"'); break;
        case 'n': out->push_back('\n'); break;
        case 'r': out->push_back('\r'); break;
        case '0': out->push_back('\0'); break;
        default:
          *error = std::string("bad escape sequence \\") + s[i + 1] + " in a string";
          return false;
      }
      i += 2;
      continue;
    }
    out->push_back(c);
    ++i;
  }
  *error = "unterminated string (no closing quote)";
  return false;
}

bool ScanExportString(std::string_view s, std::size_t* pos, bool* escaped, std::string* error) {
  *escaped = false;
  const std::size_t close = s.find('"', *pos);
  if (close != std::string_view::npos && s.substr(*pos, close - *pos).find('\\') == std::string_view::npos) {
    *pos = close + 1;
    return true;
  }
  std::size_t i = *pos;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '"') {
      *pos = i + 1;
      return true;
    }
    if (c == '\\') {
      if (i + 1 >= s.size()) break;
      const char e = s[i + 1];
      if (e != '\\' && e != '"' && e != 'n' && e != 'r' && e != '0') {
        *error = std::string("bad escape sequence \\") + e + " in a string";
        return false;
      }
      *escaped = true;
      i += 2;
      continue;
    }
    ++i;
  }
  *error = "unterminated string (no closing quote)";
  return false;
}

}  // namespace orlix::regfile
