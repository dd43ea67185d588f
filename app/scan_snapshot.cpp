#include "app/scan_snapshot.h"

#include <cstddef>

#include "app/class_root.h"
#include "base/text_encoding.h"

namespace orlix {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

class SnapshotReader {
 public:
  SnapshotReader(std::string_view s, const std::string& name) : s_(s), name_(name) {
    if (s_.substr(0, kUtf8Bom.size()) == kUtf8Bom) i_ = kUtf8Bom.size();
  }

  std::vector<DetailedRow> Document() {
    std::vector<DetailedRow> rows;
    Expect('[', "not a JSON array of components");
    if (!Consume(']')) {
      do {
        rows.push_back(Row(rows.size() + 1));
      } while (Consume(','));
      Expect(']', "expected ',' or ']' after a component");
    }
    SkipSpace();
    if (i_ != s_.size()) Fail("unexpected text after the array of components");
    return rows;
  }

 private:
  DetailedRow Row(std::size_t number) {
    Expect('{', "each component must be an object, as 'scan --json --details' writes it");
    DetailedRow row;
    std::array<bool, kDetailedColumnCount> seen{};
    if (!Consume('}')) {
      do {
        SkipSpace();
        if (i_ >= s_.size() || s_[i_] != '"') Fail("expected a key in double quotes");
        const std::string key = String();
        Expect(':', "expected ':' after a key");
        SkipSpace();
        if (i_ >= s_.size() || s_[i_] != '"') Fail("the value of \"" + key + "\" must be a string");
        std::string value = String();
        for (std::size_t c = 0; c < kDetailedColumnCount; ++c) {
          if (key == kDetailedColumnKeys[c]) {
            row[c] = std::move(value);
            seen[c] = true;
            break;
          }
        }
      } while (Consume(','));
      Expect('}', "expected ',' or '}' in a component");
    }
    for (std::size_t c = 0; c < kDetailedColumnCount; ++c) {
      if (!seen[c]) Fail("component " + std::to_string(number) + " has no \"" + kDetailedColumnKeys[c] + "\"");
    }
    return row;
  }

  std::string String() {
    ++i_;  // the opening quote
    std::string out;
    while (true) {
      if (i_ >= s_.size()) Fail("a string is not closed");
      const char c = s_[i_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) Fail("a control character inside a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) Fail("a string is not closed");
      switch (s_[i_++]) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': AppendUtf8(out, CodePoint()); break;
        default: Fail("an unknown escape in a string");
      }
    }
  }

  unsigned Hex4() {
    if (s_.size() - i_ < 4) Fail("\\u needs four hexadecimal digits");
    unsigned v = 0;
    for (int k = 0; k < 4; ++k) {
      const char h = s_[i_++];
      v <<= 4;
      if (h >= '0' && h <= '9') v |= static_cast<unsigned>(h - '0');
      else if (h >= 'a' && h <= 'f') v |= static_cast<unsigned>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') v |= static_cast<unsigned>(h - 'A' + 10);
      else Fail("\\u needs four hexadecimal digits");
    }
    return v;
  }

  // A lone surrogate becomes U+FFFD, as the writer turns bytes that are not UTF-8 into it.
  char32_t CodePoint() {
    const unsigned first = Hex4();
    if (first >= 0xDC00 && first <= 0xDFFF) return 0xFFFD;
    if (first < 0xD800 || first > 0xDBFF) return first;
    if (s_.size() - i_ < 6 || s_[i_] != '\\' || s_[i_ + 1] != 'u') return 0xFFFD;
    const std::size_t back = i_;
    i_ += 2;
    const unsigned second = Hex4();
    if (second < 0xDC00 || second > 0xDFFF) {
      i_ = back;
      return 0xFFFD;
    }
    return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
  }

  void SkipSpace() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
  }
  bool Consume(char c) {
    SkipSpace();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  void Expect(char c, const std::string& message) {
    if (!Consume(c)) Fail(message);
  }

  [[noreturn]] void Fail(const std::string& message) const {
    std::size_t line = 1;
    for (std::size_t k = 0; k < i_ && k < s_.size(); ++k) line += s_[k] == '\n';
    throw ClassRootError(name_ + ":" + std::to_string(line) + ": " + message);
  }

  std::string_view s_;
  const std::string& name_;
  std::size_t i_ = 0;
};

}  // namespace

bool LooksLikeJsonSnapshot(std::string_view content) {
  if (content.substr(0, kUtf8Bom.size()) == kUtf8Bom) content.remove_prefix(kUtf8Bom.size());
  const std::size_t first = content.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && content[first] == '[';
}

std::vector<DetailedRow> ParseScanSnapshot(std::string_view content, const std::string& name) {
  return SnapshotReader(content, name).Document();
}

}  // namespace orlix
