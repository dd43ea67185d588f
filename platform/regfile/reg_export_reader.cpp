#include "platform/regfile/reg_export_reader.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/regfile/reg_lines.h"
#include "platform/regfile/reg_strings.h"
#include "platform/registry_source.h"

namespace orlix::regfile {
namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::size_t kMaxKeyNameChars = 255;

std::size_t LineOfOffset(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) line += text[i] == '\n';
  return line;
}

// UTF-16LE bytes as UTF-8 text in one pass; a NUL character is binary data.
std::string Utf16LeToUtf8(const std::string& file, std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2 + 16);
  const std::size_t units = bytes.size() / 2;
  auto unit = [&](std::size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  };
  std::size_t line = 1;
  for (std::size_t i = 0; i < units; ++i) {
    char32_t cp = unit(i);
    if (cp < 0x80) {
      if (cp == 0) throw RegistryFileError(file, line, "binary data (a NUL character) in the text");
      line += cp == u'\n';
      out.push_back(static_cast<char>(cp));
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

// The export as UTF-8 text: the bytes themselves, or their conversion in their place.
std::string_view Decode(const std::string& file, std::string* bytes) {
  std::string_view view = *bytes;
  if (view.size() >= 2 && static_cast<unsigned char>(view[0]) == 0xFE && static_cast<unsigned char>(view[1]) == 0xFF) {
    throw RegistryFileError(file, 0, "UTF-16 big-endian text is not supported; save the export as UTF-16LE");
  }
  if (view.size() >= 2 && static_cast<unsigned char>(view[0]) == 0xFF && static_cast<unsigned char>(view[1]) == 0xFE) {
    *bytes = Utf16LeToUtf8(file, view.substr(2));
    return *bytes;
  }
  const std::size_t bom = view.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  view.remove_prefix(bom);
  const std::size_t nul = view.find('\0');
  if (nul != std::string_view::npos) {
    throw RegistryFileError(file, LineOfOffset(view, nul), "binary data (a NUL byte) in the text");
  }
  // ANSI exports that are not valid UTF-8 are read as Windows-1252.
  if (!IsValidUtf8(view)) {
    *bytes = Cp1252ToUtf8(view);
    return *bytes;
  }
  return view;
}

// Where a key path of the export lands in the class root.
struct Target {
  Layer layer = Layer::kMachine;
  bool bothLayers = false;  // HKEY_CLASSES_ROOT: deletions reach the user's classes too
  std::vector<std::string_view> path;
  std::vector<std::string_view> parts;  // all of the key path's components, reused line by line
};

enum class Mapped { kClassRoot, kElsewhere, kUnknownRoot, kNameTooLong };

Mapped MapKeyPath(std::string_view text, Target* target) {
  std::vector<std::string_view>& parts = target->parts;
  parts.clear();
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\\', start);
    const std::string_view part = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!part.empty()) parts.push_back(part);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  if (parts.empty()) return Mapped::kUnknownRoot;
  const std::string_view root = parts[0];
  std::size_t rest = 1;
  auto underClasses = [&]() {
    if (parts.size() >= 3 && EqualsNoCaseAscii(parts[1], "Software") && EqualsNoCaseAscii(parts[2], "Classes")) {
      rest = 3;
      return true;
    }
    return false;
  };
  if (EqualsNoCaseAscii(root, "HKEY_CLASSES_ROOT") || EqualsNoCaseAscii(root, "HKCR")) {
    target->layer = Layer::kMachine;
    target->bothLayers = true;
  } else if (EqualsNoCaseAscii(root, "HKEY_LOCAL_MACHINE") || EqualsNoCaseAscii(root, "HKLM")) {
    if (!underClasses()) return Mapped::kElsewhere;
    target->layer = Layer::kMachine;
    target->bothLayers = false;
  } else if (EqualsNoCaseAscii(root, "HKEY_CURRENT_USER") || EqualsNoCaseAscii(root, "HKCU")) {
    if (!underClasses()) return Mapped::kElsewhere;
    target->layer = Layer::kUser;
    target->bothLayers = false;
  } else if (EqualsNoCaseAscii(root, "HKEY_USERS") || EqualsNoCaseAscii(root, "HKU") ||
             EqualsNoCaseAscii(root, "HKEY_CURRENT_CONFIG") || EqualsNoCaseAscii(root, "HKCC") ||
             EqualsNoCaseAscii(root, "HKEY_DYN_DATA") || EqualsNoCaseAscii(root, "HKEY_PERFORMANCE_DATA")) {
    return Mapped::kElsewhere;
  } else {
    return Mapped::kUnknownRoot;
  }
  target->path.clear();
  for (std::size_t i = rest; i < parts.size(); ++i) {
    if (parts[i].size() > kMaxKeyNameChars && Utf16Length(parts[i]) > kMaxKeyNameChars) return Mapped::kNameTooLong;
    target->path.push_back(parts[i]);
  }
  return Mapped::kClassRoot;
}

// Only blanks or a comment may follow a value's data.
bool TailIsEmpty(std::string_view s, std::size_t pos) {
  const std::string_view tail = TrimLeft(s.substr(pos));
  return tail.empty() || tail.front() == ';';
}

class ExportParser {
 public:
  ExportParser(const std::string& file, RegTreeBuilder* builder, Diagnostics* diagnostics)
      : file_(file), builder_(builder), diagnostics_(diagnostics) {}

  void Run(std::string_view text) {
    LineReader reader(text);
    std::string_view line;
    if (!reader.Next(&line)) throw RegistryFileError(file_, 0, "empty file, not a registry export");
    const std::string_view header = TrimRight(TrimLeft(line));
    if (header == kHeader5) {
      unicodeVersion_ = true;
    } else if (header != kHeader4) {
      throw RegistryFileError(file_, 1,
                              "not a registry export (the first line must be \"REGEDIT4\" or "
                              "\"Windows Registry Editor Version 5.00\")");
    }
    while (reader.Next(&line)) {
      const std::string_view s = TrimLeft(line);
      if (s.empty() || s.front() == ';') continue;
      if (s.front() == '[') {
        KeyLine(s, reader.number());
      } else if (s.front() == '"' || s.front() == '@') {
        ValueLine(s, &reader);
      } else {
        Skip(reader.number(), "unrecognised line");
      }
    }
  }

 private:
  void Skip(std::size_t line, const std::string& message) { diagnostics_->Skip(file_, line, message); }

  void KeyLine(std::string_view s, std::size_t line) {
    state_ = State::kNone;
    const std::size_t close = s.rfind(']');
    if (close == std::string_view::npos) {
      state_ = State::kSkipped;
      Skip(line, "key line without a closing ']'");
      return;
    }
    std::string_view path = s.substr(1, close - 1);
    const bool deletion = !path.empty() && path.front() == '-';
    if (deletion) path.remove_prefix(1);
    switch (MapKeyPath(path, &target_)) {
      case Mapped::kElsewhere:
        state_ = State::kElsewhere;
        return;
      case Mapped::kUnknownRoot:
        state_ = State::kSkipped;
        Skip(line, "unknown root key in '" + std::string(path.substr(0, 80)) + "'");
        return;
      case Mapped::kNameTooLong:
        state_ = State::kSkipped;
        Skip(line, "key name longer than 255 characters");
        return;
      case Mapped::kClassRoot:
        break;
    }
    if (deletion) {
      builder_->DeleteKey(target_.layer, target_.path);
      if (target_.bothLayers) builder_->DeleteKey(Layer::kUser, target_.path);
      return;
    }
    node_ = builder_->CreateKey(target_.layer, target_.path);
    state_ = State::kClassRoot;
  }

  void ValueLine(std::string_view s, LineReader* reader) {
    const std::size_t line = reader->number();
    std::string_view name;
    std::size_t pos = 1;
    std::string error;
    if (s.front() != '@') {
      bool escaped = false;
      if (!ScanExportString(s, &pos, &escaped, &error)) return SkipValue(line, error, s, reader);
      if (escaped) {
        nameScratch_.clear();
        std::size_t at = 1;
        ParseExportString(s, &at, &nameScratch_, &error);
        name = nameScratch_;
      } else {
        name = s.substr(1, pos - 2);
      }
    }
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    if (pos >= s.size() || s[pos] != '=') return SkipValue(line, "expected '=' after the value name", s, reader);
    ++pos;
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    const std::string_view data = s.substr(pos);

    // Hex data may continue over following lines, each ending in a backslash.
    std::string_view body = data;
    if (StartsWithNoCase(data, "hex")) {
      body = TrimRight(data);
      if (!body.empty() && body.back() == '\\') {
        if (!JoinContinued(data, reader, &joined_)) {
          Skip(line, "the file ends inside a continued value");
          return;
        }
        body = joined_;
      }
    }
    if (state_ == State::kElsewhere || state_ == State::kSkipped) return;
    if (state_ == State::kNone) {
      Skip(line, "value outside any key of the class root");
      return;
    }

    if (body.size() >= 1 && body.front() == '-' && TailIsEmpty(body, 1)) {
      builder_->DeleteValue(node_, name);
      if (target_.bothLayers) {
        const auto user = builder_->FindKey(Layer::kUser, target_.path);
        if (user != RegTreeBuilder::kNone) builder_->DeleteValue(user, name);
      }
      return;
    }

    ValueData value;
    value.name = name;
    if (!ParseData(body, &value, &error)) {
      Skip(line, error);
      return;
    }
    builder_->SetValue(node_, value);
  }

  // A malformed value line: still consume its continuation lines so they are not misread.
  void SkipValue(std::size_t line, const std::string& error, std::string_view s, LineReader* reader) {
    std::string ignored;
    if (!TrimRight(s).empty() && TrimRight(s).back() == '\\') JoinContinued(s, reader, &ignored);
    if (state_ == State::kElsewhere || state_ == State::kSkipped) return;
    Skip(line, error);
  }

  static bool JoinContinued(std::string_view first, LineReader* reader, std::string* out) {
    std::string_view piece = TrimRight(first);
    out->clear();
    while (!piece.empty() && piece.back() == '\\') {
      out->append(piece.substr(0, piece.size() - 1));
      std::string_view next;
      if (!reader->Next(&next)) return false;
      piece = TrimRight(TrimLeft(next));
    }
    out->append(piece);
    return true;
  }

  // Checks the data and notes where it is; it is decoded when asked for.
  bool ParseData(std::string_view body, ValueData* value, std::string* error) {
    if (!body.empty() && body.front() == '"') {
      std::size_t pos = 1;
      bool escaped = false;
      if (!ScanExportString(body, &pos, &escaped, error)) return false;
      if (!TailIsEmpty(body, pos)) {
        *error = "unexpected text after the string";
        return false;
      }
      value->type = reg_type::kSz;
      value->raw = body.substr(1, pos - 2);
      value->form = ValueForm::kExportString;
      return true;
    }
    if (StartsWithNoCase(body, "dword:")) {
      std::size_t pos = 6;
      std::uint32_t number = 0;
      std::size_t digits = 0;
      while (pos < body.size() && HexDigit(body[pos]) >= 0) {
        number = number * 16 + static_cast<std::uint32_t>(HexDigit(body[pos++]));
        ++digits;
      }
      if (digits == 0 || digits > 8 || !TailIsEmpty(body, pos)) {
        *error = "bad dword data (expected 1 to 8 hex digits)";
        return false;
      }
      value->type = reg_type::kDword;
      const char bytes[4] = {static_cast<char>(number & 0xFF), static_cast<char>((number >> 8) & 0xFF),
                             static_cast<char>((number >> 16) & 0xFF), static_cast<char>(number >> 24)};
      dword_.assign(bytes, 4);
      value->raw = std::string_view(dword_);
      value->form = ValueForm::kBytes;
      return true;
    }
    std::size_t pos = 0;
    if (StartsWithNoCase(body, "hex:")) {
      value->type = reg_type::kBinary;
      pos = 4;
    } else if (StartsWithNoCase(body, "hex(")) {
      pos = 4;
      std::uint64_t number = 0;
      std::size_t digits = 0;
      while (pos < body.size() && HexDigit(body[pos]) >= 0) {
        number = number * 16 + static_cast<std::uint64_t>(HexDigit(body[pos++]));
        ++digits;
      }
      if (digits == 0 || digits > 8 || body.substr(pos, 2) != "):") {
        *error = "bad value type in 'hex(...)'";
        return false;
      }
      value->type = static_cast<std::uint32_t>(number);
      pos += 2;
    } else {
      *error = "unknown value type '" + std::string(body.substr(0, std::min<std::size_t>(body.find(':'), 20))) + "'";
      return false;
    }
    scratch_.clear();
    if (!ParseHexBytes(body.substr(pos), &scratch_, error)) return false;
    value->raw = body.substr(pos);
    // REGEDIT4 writes string types as ANSI bytes; the registry holds them as UTF-16.
    const bool stringType =
        value->type == reg_type::kSz || value->type == reg_type::kExpandSz || value->type == reg_type::kMultiSz;
    value->form = !unicodeVersion_ && stringType ? ValueForm::kHexAnsi : ValueForm::kHex;
    return true;
  }

  // kSkipped: the key line was malformed (already reported), so are its values' lines.
  enum class State { kNone, kClassRoot, kElsewhere, kSkipped };

  const std::string& file_;
  RegTreeBuilder* builder_;
  Diagnostics* diagnostics_;
  bool unicodeVersion_ = false;
  State state_ = State::kNone;
  Target target_;
  RegTreeBuilder::Node node_ = RegTreeBuilder::kNone;
  // Text that names and values point into until the builder has copied them.
  std::string joined_;
  std::string nameScratch_;
  std::string dword_;
  std::string scratch_;
};

}  // namespace

bool LooksLikeRegistryExport(std::string_view bytes) {
  std::string head;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    head = Utf16ToUtf8(BytesToUtf16(bytes.substr(2, 200)));
  } else {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    head = std::string(bytes.substr(0, 100));
  }
  const std::string_view h = TrimLeft(head);
  return h.substr(0, kHeader4.size()) == kHeader4 || h.substr(0, kHeader5.size()) == kHeader5;
}

void ReadRegistryExport(const std::string& file, std::string bytes, RegTreeBuilder* builder,
                        Diagnostics* diagnostics) {
  const std::string_view text = Decode(file, &bytes);
  ExportParser(file, builder, diagnostics).Run(text);
}

}  // namespace orlix::regfile
