#include "platform/regfile/wine_hive_reader.h"

#include <cstdint>
#include <vector>

#include "platform/regfile/reg_lines.h"
#include "platform/regfile/reg_strings.h"
#include "platform/registry_source.h"

namespace orlix::regfile {
namespace {

constexpr std::string_view kHiveHeader = "WINE REGISTRY Version 2";
constexpr std::string_view kRelativeTo = ";; All keys relative to ";
constexpr std::size_t kMaxKeyNameChars = 255;

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

  // The key path's components. Paths escape nothing but their separators ("\\") as a rule:
  // those are split in place; any other escape decodes the whole path.
  bool SplitKeyPath(std::string_view s, std::string* error) {
    parts_.clear();
    const std::size_t close = s.find(']');
    if (close == std::string_view::npos) return SplitEscapedKeyPath(s, error);
    std::size_t start = 1;
    for (std::size_t i = s.find('\\', start); i < close; i = s.find('\\', start)) {
      if (s[i + 1] != '\\') return SplitEscapedKeyPath(s, error);  // another escape, maybe of ']'
      if (i > start) parts_.push_back(s.substr(start, i - start));
      start = i + 2;
    }
    if (close > start) parts_.push_back(s.substr(start, close - start));
    return true;
  }

  bool SplitEscapedKeyPath(std::string_view s, std::string* error) {
    parts_.clear();
    std::u16string path;
    std::size_t pos = 1;
    if (!ParseWineString(s, &pos, ']', &path, error)) return false;
    decodedParts_.clear();
    std::u16string part;
    for (char16_t c : path + u"\\") {
      if (c == u'\\') {
        if (!part.empty()) decodedParts_.push_back(NameFromUtf16(part));
        part.clear();
      } else {
        part.push_back(c);
      }
    }
    for (const std::string& p : decodedParts_) parts_.push_back(p);
    return true;
  }

  void KeyLine(std::string_view s, std::size_t number) {
    std::string error;
    state_ = State::kSkipped;
    if (!SplitKeyPath(s, &error)) return Skip(number, "malformed key: " + error);
    if (parts_.size() < 2 || CompareFolded(parts_[0], "software", KeyFold::kLower) != 0 ||
        CompareFolded(parts_[1], "classes", KeyFold::kLower) != 0) {
      state_ = State::kElsewhere;
      return;
    }
    for (const auto& p : parts_) {
      if (p.size() > kMaxKeyNameChars && Utf16Length(p) > kMaxKeyNameChars) {
        return Skip(number, "key name longer than 255 characters");
      }
    }
    parts_.erase(parts_.begin(), parts_.begin() + 2);
    node_ = builder_->CreateKey(layer_, parts_);
    state_ = State::kClassRoot;
  }

  void ValueLine(std::string_view s, std::size_t number) {
    if (state_ == State::kElsewhere || state_ == State::kSkipped) return;
    if (state_ == State::kNone) return Skip(number, "value outside any key");
    ValueData value;
    std::string error;
    std::size_t pos = 1;
    if (s.front() == '"') {
      bool escaped = false;
      if (!ScanWineString(s, &pos, '"', &escaped, &error)) return Skip(number, "malformed value name: " + error);
      if (escaped) {
        std::u16string name;
        std::size_t at = 1;
        ParseWineString(s, &at, '"', &name, &error);
        nameScratch_ = NameFromUtf16(name);
        value.name = std::string_view(nameScratch_);
      } else {
        value.name = s.substr(1, pos - 2);
      }
    }
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    if (pos >= s.size() || s[pos] != '=') return Skip(number, "expected '=' after the value name");
    ++pos;
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    const std::string_view data = s.substr(pos);

    std::size_t at = 0;
    if (data.substr(0, 1) == "\"" || data.substr(0, 5) == "str:\"" || data.substr(0, 4) == "str(") {
      value.type = reg_type::kSz;
      if (data.substr(0, 4) == "str(") {
        at = 4;
        std::uint32_t t = 0;
        std::size_t digits = 0;
        while (at < data.size() && HexDigit(data[at]) >= 0 && digits < 8) t = t * 16 + HexDigit(data[at++]), ++digits;
        if (digits == 0 || data.substr(at, 3) != "):\"") return Skip(number, "bad value type in 'str(...)'");
        value.type = t;
        at += 3;
      } else {
        at = data.front() == '"' ? 1 : 5;
      }
      const std::size_t start = at;
      bool escaped = false;
      if (!ScanWineString(data, &at, '"', &escaped, &error)) return Skip(number, "malformed string: " + error);
      if (!TailIsEmpty(data, at)) return Skip(number, "unexpected text after the string");
      value.raw = data.substr(start, at - 1 - start);
      value.form = ValueForm::kWineString;
    } else if (data.substr(0, 6) == "dword:") {
      at = 6;
      std::uint32_t number32 = 0;
      std::size_t digits = 0;
      while (at < data.size() && HexDigit(data[at]) >= 0) number32 = number32 * 16 + HexDigit(data[at++]), ++digits;
      if (digits == 0 || digits > 8 || !TailIsEmpty(data, at)) return Skip(number, "bad dword data");
      value.type = reg_type::kDword;
      const char bytes[4] = {static_cast<char>(number32 & 0xFF), static_cast<char>((number32 >> 8) & 0xFF),
                             static_cast<char>((number32 >> 16) & 0xFF), static_cast<char>(number32 >> 24)};
      dword_.assign(bytes, 4);
      value.raw = std::string_view(dword_);
      value.form = ValueForm::kBytes;
    } else if (data.substr(0, 4) == "hex:" || data.substr(0, 4) == "hex(") {
      value.type = reg_type::kBinary;
      at = 4;
      if (data[3] == '(') {
        std::uint32_t t = 0;
        std::size_t digits = 0;
        while (at < data.size() && HexDigit(data[at]) >= 0 && digits < 8) t = t * 16 + HexDigit(data[at++]), ++digits;
        if (digits == 0 || data.substr(at, 2) != "):") return Skip(number, "bad value type in 'hex(...)'");
        value.type = t;
        at += 2;
      }
      scratch_.clear();
      if (!ParseHexBytes(data.substr(at), &scratch_, &error)) return Skip(number, error);
      value.raw = data.substr(at);
      value.form = ValueForm::kHex;
    } else {
      return Skip(number, "unknown value type");
    }
    builder_->SetValue(node_, value);
  }

  enum class State { kNone, kClassRoot, kElsewhere, kSkipped };

  const std::string& file_;
  RegTreeBuilder* builder_;
  Diagnostics* diagnostics_;
  Layer layer_;
  bool layerFixed_;
  State state_ = State::kNone;
  RegTreeBuilder::Node node_ = RegTreeBuilder::kNone;
  // Text that names and values point into until the builder has copied them.
  std::vector<std::string_view> parts_;
  std::vector<std::string> decodedParts_;
  std::string nameScratch_;
  std::string dword_;
  std::string scratch_;
};

}  // namespace

bool LooksLikeWineHive(std::string_view bytes) { return bytes.substr(0, kHiveHeader.size()) == kHiveHeader; }

void ReadWineHive(const std::string& file, std::string bytes, RegTreeBuilder* builder, Diagnostics* diagnostics,
                  std::optional<Layer> layer) {
  const std::size_t nul = bytes.find('\0');
  if (nul != std::string::npos) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < nul; ++i) line += bytes[i] == '\n';
    throw RegistryFileError(file, line, "binary data (a NUL byte) in the text");
  }
  if (!IsValidUtf8(bytes)) bytes = Cp1252ToUtf8(bytes);
  HiveParser(file, builder, diagnostics, layer).Run(bytes);
}

}  // namespace orlix::regfile
