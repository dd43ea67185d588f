#include "platform/regfile/wine_hive_reader.h"

#include <cstdint>
#include <vector>

#include "platform/regfile/reg_lines.h"
#include "platform/registry_source.h"

namespace orlix::regfile {
namespace {

constexpr std::string_view kHiveHeader = "WINE REGISTRY Version 2";
constexpr std::string_view kRelativeTo = ";; All keys relative to ";

// Wine's escaped text up to `end` (not escaped): C escapes, \x with up to four hex digits
// (one UTF-16 code unit), octal with up to three digits, any other escaped character as itself.
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
    *error = std::string("unterminated text (no closing '") + end + "')";
    return false;
  }
  *pos = i + 1;
  return true;
}

bool TailIsEmpty(std::string_view s, std::size_t pos) {
  const std::string_view tail = TrimLeft(s.substr(pos));
  return tail.empty() || tail.front() == ';';
}

class HiveParser {
 public:
  HiveParser(const std::string& file, RegTreeBuilder* builder, Diagnostics* diagnostics, std::optional<Layer> layer)
      : file_(file), builder_(builder), diagnostics_(diagnostics), layer_(layer.value_or(Layer::kMachine)),
        layerFixed_(layer.has_value()) {}

  void Run(std::string_view text) {
    LineReader reader(text);
    std::string_view line;
    if (!reader.Next(&line) || TrimRight(line) != kHiveHeader) {
      throw RegistryFileError(file_, 1, "not a Wine registry hive (the first line must be \"WINE REGISTRY Version 2\")");
    }
    std::string joined;
    while (reader.Next(&line)) {
      const std::size_t number = reader.number();
      // Wine continues any line that ends in a backslash on the next one.
      if (!line.empty() && line.back() == '\\') {
        joined.assign(line.substr(0, line.size() - 1));
        bool complete = false;
        std::string_view next;
        while (reader.Next(&next)) {
          next = TrimLeft(next);
          if (!next.empty() && next.back() == '\\') {
            joined.append(next.substr(0, next.size() - 1));
            continue;
          }
          joined.append(next);
          complete = true;
          break;
        }
        if (!complete) {
          Skip(number, "the file ends inside a continued line");
          return;
        }
        Line(joined, number);
      } else {
        Line(line, number);
      }
    }
  }

 private:
  void Skip(std::size_t line, const std::string& message) { diagnostics_->Skip(file_, line, message); }

  void Line(std::string_view s, std::size_t number) {
    s = TrimLeft(s);
    if (s.empty()) return;
    switch (s.front()) {
      case ';':
        if (!layerFixed_ && s.substr(0, kRelativeTo.size()) == kRelativeTo) {
          const std::string_view where = s.substr(kRelativeTo.size());
          layer_ = StartsWithNoCase(where, "\\\\User") ? Layer::kUser : Layer::kMachine;
        }
        return;
      case '#':
        if (s.substr(0, 5) == "#link" && state_ == State::kClassRoot) builder_->MarkLink(node_);
        return;  // #arch, #time, #class: nothing the class root needs
      case '[':
        return KeyLine(s, number);
      case '@':
      case '"':
        return ValueLine(s, number);
      default:
        Skip(number, "unrecognised line");
    }
  }

  void KeyLine(std::string_view s, std::size_t number) {
    std::u16string path;
    std::string error;
    std::size_t pos = 1;
    state_ = State::kSkipped;
    if (!ParseWineString(s, &pos, ']', &path, &error)) return Skip(number, "malformed key: " + error);
    std::vector<std::u16string> parts;
    std::u16string part;
    for (char16_t c : path) {
      if (c == u'\\') {
        if (!part.empty()) parts.push_back(std::move(part));
        part.clear();
      } else {
        part.push_back(c);
      }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    if (parts.size() < 2 || FoldName(parts[0], KeyFold::kLower) != u"software" ||
        FoldName(parts[1], KeyFold::kLower) != u"classes") {
      state_ = State::kElsewhere;
      return;
    }
    for (const auto& p : parts) {
      if (p.size() > 255) return Skip(number, "key name longer than 255 characters");
    }
    parts.erase(parts.begin(), parts.begin() + 2);
    node_ = builder_->CreateKey(layer_, parts);
    state_ = State::kClassRoot;
  }

  void ValueLine(std::string_view s, std::size_t number) {
    if (state_ == State::kElsewhere || state_ == State::kSkipped) return;
    if (state_ == State::kNone) return Skip(number, "value outside any key");
    std::u16string name;
    std::string error;
    std::size_t pos = 1;
    if (s.front() == '"' && !ParseWineString(s, &pos, '"', &name, &error)) {
      return Skip(number, "malformed value name: " + error);
    }
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    if (pos >= s.size() || s[pos] != '=') return Skip(number, "expected '=' after the value name");
    ++pos;
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    const std::string_view data = s.substr(pos);

    std::uint32_t type = 0;
    std::string bytes;
    std::size_t at = 0;
    if (data.substr(0, 1) == "\"" || data.substr(0, 5) == "str:\"" || data.substr(0, 4) == "str(") {
      type = reg_type::kSz;
      if (data.substr(0, 4) == "str(") {
        at = 4;
        std::uint32_t t = 0;
        std::size_t digits = 0;
        while (at < data.size() && HexDigit(data[at]) >= 0 && digits < 8) t = t * 16 + HexDigit(data[at++]), ++digits;
        if (digits == 0 || data.substr(at, 3) != "):\"") return Skip(number, "bad value type in 'str(...)'");
        type = t;
        at += 3;
      } else {
        at = data.front() == '"' ? 1 : 5;
      }
      std::u16string text;
      if (!ParseWineString(data, &at, '"', &text, &error)) return Skip(number, "malformed string: " + error);
      if (!TailIsEmpty(data, at)) return Skip(number, "unexpected text after the string");
      text.push_back(u'\0');
      bytes = Utf16ToBytes(text);
    } else if (data.substr(0, 6) == "dword:") {
      at = 6;
      std::uint32_t value = 0;
      std::size_t digits = 0;
      while (at < data.size() && HexDigit(data[at]) >= 0) value = value * 16 + HexDigit(data[at++]), ++digits;
      if (digits == 0 || digits > 8 || !TailIsEmpty(data, at)) return Skip(number, "bad dword data");
      type = reg_type::kDword;
      bytes.assign({static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                    static_cast<char>((value >> 16) & 0xFF), static_cast<char>(value >> 24)});
    } else if (data.substr(0, 4) == "hex:" || data.substr(0, 4) == "hex(") {
      type = reg_type::kBinary;
      at = 4;
      if (data[3] == '(') {
        std::uint32_t t = 0;
        std::size_t digits = 0;
        while (at < data.size() && HexDigit(data[at]) >= 0 && digits < 8) t = t * 16 + HexDigit(data[at++]), ++digits;
        if (digits == 0 || data.substr(at, 2) != "):") return Skip(number, "bad value type in 'hex(...)'");
        type = t;
        at += 2;
      }
      if (!ParseHexBytes(data.substr(at), &bytes, &error)) return Skip(number, error);
    } else {
      return Skip(number, "unknown value type");
    }
    builder_->SetValue(node_, name, type, std::move(bytes));
  }

  enum class State { kNone, kClassRoot, kElsewhere, kSkipped };

  const std::string& file_;
  RegTreeBuilder* builder_;
  Diagnostics* diagnostics_;
  Layer layer_;
  bool layerFixed_;
  State state_ = State::kNone;
  RegTreeBuilder::Node* node_ = nullptr;
};

}  // namespace

bool LooksLikeWineHive(std::string_view bytes) { return bytes.substr(0, kHiveHeader.size()) == kHiveHeader; }

void ReadWineHive(const std::string& file, std::string_view bytes, RegTreeBuilder* builder, Diagnostics* diagnostics,
                  std::optional<Layer> layer) {
  const std::size_t nul = bytes.find('\0');
  if (nul != std::string_view::npos) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < nul; ++i) line += bytes[i] == '\n';
    throw RegistryFileError(file, line, "binary data (a NUL byte) in the text");
  }
  if (IsValidUtf8(bytes)) {
    HiveParser(file, builder, diagnostics, layer).Run(bytes);
  } else {
    HiveParser(file, builder, diagnostics, layer).Run(Utf16ToUtf8(Cp1252ToUtf16(bytes)));
  }
}

}  // namespace orlix::regfile
