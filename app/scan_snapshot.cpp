#include "app/scan_snapshot.h"

#include <cstddef>

#include "app/class_root.h"
#include "base/json_lexer.h"

namespace orlix {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

class SnapshotReader : JsonLexer {
 public:
  SnapshotReader(std::string_view s, const std::string& name) : JsonLexer(s), name_(name) {
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
    std::string out;
    const StringFault fault = ReadString(out);
    if (fault != StringFault::kNone) Fail(StringFaultText(fault));
    return out;
  }

  void Expect(char c, const std::string& message) {
    if (!Consume(c)) Fail(message);
  }

  [[noreturn]] void Fail(const std::string& message) const {
    throw ClassRootError(name_ + ":" + std::to_string(Line()) + ": " + message);
  }

  const std::string& name_;
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
