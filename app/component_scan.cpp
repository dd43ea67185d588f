#include "app/component_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/registry_api.h"
#include "base/word_scan.h"

namespace orlix {
namespace {

// `count` bytes of `text` from `from` as a little-endian word, as a load from memory gives them
// on every target; or, with `foldMask`, bit 5 set where the byte is a lower-case letter.
constexpr std::uint64_t Pack(std::string_view text, std::size_t from, std::size_t count, bool foldMask) {
  std::uint64_t word = 0;
  for (std::size_t i = count; i > 0; --i) {
    const auto c = static_cast<unsigned char>(text[from + i - 1]);
    word = (word << 8) | (foldMask ? (c >= 'a' && c <= 'z' ? 0x20u : 0u) : c);
  }
  return word;
}

// A name of 7 to 16 bytes is compared as two words that between them cover it: its first and
// last eight bytes, or four below eight.
constexpr std::size_t WordBytes(std::size_t size) { return size >= 8 ? 8 : 4; }

// The class registration's subkeys that fill a column: servers give the file path, the
// attribute is the keyword itself, the version its default value.
struct Keyword {
  constexpr Keyword(std::string_view keyword, std::int32_t column, const char* spelling)
      : name(keyword),
        field(column),
        server(spelling),
        head(Pack(keyword, 0, WordBytes(keyword.size()), false)),
        tail(Pack(keyword, keyword.size() - WordBytes(keyword.size()), WordBytes(keyword.size()), false)),
        headFold(Pack(keyword, 0, WordBytes(keyword.size()), true)),
        tailFold(Pack(keyword, keyword.size() - WordBytes(keyword.size()), WordBytes(keyword.size()), true)) {}

  // The subkey's name is the keyword without regard to ASCII case. Setting bit 5 where the
  // keyword has a lower-case letter folds exactly that letter's capital onto it; the keyword's
  // other bytes (digits) must be equal. Inline and a word at a time: a scan asks this of most
  // of the class keys' subkeys.
  bool Matches(std::string_view subkey) const {
    if (subkey.size() != name.size()) return false;
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    if (subkey.size() >= 8) {
      std::memcpy(&first, subkey.data(), 8);
      std::memcpy(&last, subkey.data() + subkey.size() - 8, 8);
    } else {
      std::uint32_t word = 0;
      std::memcpy(&word, subkey.data(), 4);
      first = word;
      std::memcpy(&word, subkey.data() + subkey.size() - 4, 4);
      last = word;
    }
    return ((first | headFold) == head) & ((last | tailFold) == tail);
  }

  std::string_view name;  // lower-case letters and digits
  std::int32_t field;
  const char* server;  // the server subkey's conventional spelling, for the row's details
  std::uint64_t head, tail, headFold, tailFold;
};
constexpr Keyword kKeywords[] = {
    {"inprocserver", component_field::kFilePath, "InprocServer"},
    {"inprocserver32", component_field::kFilePath, "InprocServer32"},
    {"localserver32", component_field::kFilePath, "LocalServer32"},
    {"remoteservername", component_field::kFilePath, "RemoteServerName"},
    {"control", component_field::kAttribute, nullptr},
    {"insertable", component_field::kAttribute, nullptr},
    {"programmable", component_field::kAttribute, nullptr},
    {"version", component_field::kVersion, nullptr},
};

// The keywords by length, at most two of each, so that a subkey's name is compared with those of
// its own length only.
constexpr std::size_t kLongestKeyword = 16;
struct KeywordsBySize {
  std::int8_t slot[kLongestKeyword + 1][2];
};
constexpr KeywordsBySize SortBySize() {
  KeywordsBySize sizes{};
  for (auto& both : sizes.slot) both[0] = both[1] = -1;
  for (std::size_t k = 0; k < std::size(kKeywords); ++k) {
    std::int8_t* both = sizes.slot[kKeywords[k].name.size()];
    if (both[1] >= 0) throw std::logic_error("three keywords of one length");  // stops the build
    both[both[0] < 0 ? 0 : 1] = static_cast<std::int8_t>(k);
  }
  return sizes;
}
constexpr KeywordsBySize kKeywordsBySize = SortBySize();

const Keyword* KeywordOf(std::string_view subkey) {
  if (subkey.size() > kLongestKeyword) return nullptr;
  for (const std::int8_t k : kKeywordsBySize.slot[subkey.size()]) {
    if (k >= 0 && kKeywords[k].Matches(subkey)) return &kKeywords[k];
  }
  return nullptr;
}

// Text appended in place with inline copies (wordscan::Copy), so that the scan's key paths cost
// no call each.
class TextRun {
 public:
  void Append(std::string_view text) {
    if (text.size() > room_.size() - size_) room_.resize(std::max(size_ + text.size(), 2 * room_.size()));
    wordscan::Copy(room_.data() + size_, text.data(), text.size());
    size_ += text.size();
  }
  void Cut(std::size_t size) { size_ = size; }  // to a size it had
  std::size_t Size() const { return size_; }
  std::string_view View() const { return std::string_view(room_.data(), size_); }

 private:
  std::string room_;  // its size is the room; the text is its first size_ bytes
  std::size_t size_ = 0;
};

// Names kept for the length of a scan, end to end in blocks of a fixed size that are never
// cleared: tens of thousands of names cost a handful of allocations, and no copy as they grow.
class NameBlocks {
 public:
  // `name` and `suffix` kept as one text.
  std::string_view Keep(std::string_view name, std::string_view suffix) {
    const std::size_t size = name.size() + suffix.size();
    if (blocks_.empty() || blockSize_ - used_ < size) {
      blockSize_ = std::max(kBlockBytes, size);
      blocks_.emplace_back(new char[blockSize_]);
      used_ = 0;
    }
    char* const at = blocks_.back().get() + used_;
    wordscan::Copy(at, name.data(), name.size());
    wordscan::Copy(at + name.size(), suffix.data(), suffix.size());
    used_ += size;
    return std::string_view(at, size);
  }

 private:
  static constexpr std::size_t kBlockBytes = 64 * 1024;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t blockSize_ = 0;
  std::size_t used_ = 0;
};

// Searched inline, a word at a time: a scan asks this of tens of thousands of names.
bool ProgIdShaped(std::string_view name) {
  const std::size_t dot = wordscan::Find(name.data(), name.size(), '.');
  if (dot == name.size() || dot == 0) return false;
  return wordscan::Find(name.data() + dot + 1, name.size() - dot - 1, '.') == name.size() - dot - 1;
}

}  // namespace

bool IsProgIdShaped(const std::string& name) { return ProgIdShaped(name); }

VariantArray BuildComponentList(RegistrySource& registry) { return BuildComponentList(registry, nullptr); }

VariantArray BuildComponentList(RegistrySource& registry, std::vector<std::string>* servers) {
  const RegKey root = registry.Root();
  // The class root is enumerated whole before any name is looked up, as the live registry
  // would otherwise be read while its enumeration is under way. Only ProgID-shaped names are
  // kept, end to end in a few blocks, so that tens of thousands of names cost no allocation
  // each; each is kept as the path of its Clsid key, which is the first thing read of it.
  constexpr std::string_view kClsidKey = "\\Clsid";
  std::string buffer;  // one name buffer for every enumeration
  NameBlocks names;
  std::vector<std::string_view> clsidKeys;
  ForEachSubKeyName(registry, root, std::string_view(), buffer, [&](std::string_view name) {
    if (ProgIdShaped(name)) clsidKeys.push_back(names.Keep(name, kClsidKey));
  });

  if (servers != nullptr) servers->clear();
  // Each row's texts become cells as the row is done, the longer ones sharing the pool's blocks:
  // a scan of thousands of rows allocates a handful of times, not once per text. Every buffer
  // below keeps its room from row to row.
  std::vector<Variant> cells;
  cells.reserve(clsidKeys.size() * static_cast<std::size_t>(component_field::kCount));
  VariantTextPool texts;
  std::vector<const Keyword*> matches;  // the class key's subkeys that fill a column, in order
  TextRun path;                         // one buffer for every class key path the scan builds
  std::string clsid;
  std::string filePath;
  std::string version;
  static_assert(component_field::kProgId == 0 && component_field::kFilePath == 1 && component_field::kVersion == 2 &&
                    component_field::kAttribute == 3 && component_field::kClsid == 4,
                "the row's texts are added in field order");
  for (const std::string_view clsidKey : clsidKeys) {
    const std::string_view name = clsidKey.substr(0, clsidKey.size() - kClsidKey.size());
    ReadDefaultValue(registry, root, clsidKey, &clsid);
    if (clsid.empty()) continue;

    filePath.clear();
    version.clear();
    std::string_view attribute;
    const char* server = "";
    path.Cut(0);
    path.Append("CLSID\\");
    path.Append(clsid);
    const std::size_t classPathLength = path.Size();
    // The class key's subkeys are all enumerated before any of them is read.
    matches.clear();
    ForEachSubKeyName(registry, root, path.View(), buffer, [&matches](std::string_view subkey) {
      if (const Keyword* keyword = KeywordOf(subkey)) matches.push_back(keyword);
    });
    // The last matching subkey in enumeration order decides each column: each read replaces
    // the column's text, empty when it fails.
    for (const Keyword* keyword : matches) {
      if (keyword->field == component_field::kAttribute) {
        attribute = keyword->name;
        continue;
      }
      path.Cut(classPathLength);
      path.Append("\\");
      path.Append(keyword->name);
      ReadDefaultValue(registry, root, path.View(), keyword->field == component_field::kFilePath ? &filePath : &version);
      if (keyword->server != nullptr) server = keyword->server;
    }
    texts.Append(cells, name);
    texts.Append(cells, filePath);
    texts.Append(cells, version);
    texts.Append(cells, attribute);
    texts.Append(cells, clsid);
    if (servers != nullptr) servers->push_back(server);
  }

  const auto rows = static_cast<std::int32_t>(cells.size() / component_field::kCount);
  return VariantArray::TwoDimensional(component_field::kCount, rows, std::move(cells));
}

}  // namespace orlix
