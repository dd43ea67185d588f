// The class-root tree of the file-backed registry: a builder that the file readers fill layer by
// layer (machine and user classes), frozen into an immutable, index-based tree in which the
// user's classes are merged over the machine's.
//
// Names and value data are kept as written, copied out of the file's text into one store as the
// file is read, so the tree holds no more of a file than the keys and values of its class root.
// Value data stays as written until a caller asks for it (DecodeValue), so loading a file costs
// one pass over it.
// Names are held as UTF-8, generalised to carry unpaired surrogates (which escapes in Wine's
// files can produce) as their three-byte forms, so that every UTF-16 name survives unchanged.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/regfile/reg_text.h"

namespace orlix::regfile {

enum class Layer { kMachine, kUser };

// Owns the text that names and values point into, copied in one piece after another.
class TextStore {
 public:
  // The view stays valid for the store's lifetime.
  std::string_view Copy(std::string_view text);

 private:
  std::deque<std::string> texts_;
  std::vector<std::unique_ptr<char[]>> chunks_;
  std::size_t chunkUsed_ = 0;
  std::size_t chunkSize_ = 0;
};

// A vector that grows by whole chunks: elements never move, and growth never copies.
template <typename T>
class ChunkedVector {
 public:
  std::size_t size() const { return size_; }
  T& operator[](std::size_t i) { return chunks_[i >> kShift][i & kMask]; }
  const T& operator[](std::size_t i) const { return chunks_[i >> kShift][i & kMask]; }
  T& back() { return (*this)[size_ - 1]; }
  void push_back(const T& value) {
    if ((size_ >> kShift) == chunks_.size()) chunks_.push_back(std::make_unique<T[]>(kMask + 1));
    (*this)[size_++] = value;
  }
  void clear() {
    chunks_.clear();
    size_ = 0;
  }

 private:
  static constexpr std::size_t kShift = 12;
  static constexpr std::size_t kMask = (std::size_t{1} << kShift) - 1;
  std::vector<std::unique_ptr<T[]>> chunks_;
  std::size_t size_ = 0;
};

// A view of text that a TextStore keeps, packed into a pointer and a 32-bit size: a tree holds
// one or two for each of its hundreds of thousands of keys and values.
#pragma pack(push, 4)
class ShortText {
 public:
  ShortText() = default;
  ShortText(std::string_view text) : data_(text.data()), size_(static_cast<std::uint32_t>(text.size())) {}
  operator std::string_view() const { return view(); }
  std::string_view view() const { return {data_, size_}; }
  std::size_t size() const { return size_; }

 private:
  const char* data_ = nullptr;
  std::uint32_t size_ = 0;
};
#pragma pack(pop)

// How a value's data is written; it is decoded only when asked for.
enum class ValueForm : std::uint8_t {
  kBytes,         // the stored bytes themselves
  kWineString,    // the text between the quotes of a Wine hive string, with Wine's escapes
  kExportString,  // the text between the quotes of an export string, with the export's escapes
  kHex,           // a list of hex bytes: the stored bytes
  kHexAnsi,       // a list of hex bytes holding ANSI text (REGEDIT4 string types)
  kDeleted,       // while building: the value of this name was deleted
};

struct ValueData {
  ShortText name;
  ShortText raw;
  std::uint32_t type = 0;
  ValueForm form = ValueForm::kBytes;
};

// The bytes the registry stores for a value (string types as UTF-16LE with their terminator).
std::string StoredBytes(const ValueData& value, AnsiCodePage page);
// The value as the narrow API gives it: its data (string types as UTF-8 of the ANSI text) and
// the byte count that the narrow API reports.
void DecodeValue(const ValueData& value, AnsiCodePage page, std::string* data, std::uint32_t* narrowSize);

// Compares names as the registry does: UTF-16 code units after folding, shorter first.
int CompareFolded(std::string_view a, std::string_view b, KeyFold fold);
// A name's length in UTF-16 code units.
std::size_t Utf16Length(std::string_view name);
// Generalised UTF-8 (see above) to and from UTF-16.
std::string NameFromUtf16(std::u16string_view name);
std::u16string NameToUtf16(std::string_view name);

// Frozen tree. Keys are stored breadth first, so every key's subkeys are contiguous and sorted
// by folded name: the enumeration order, and binary-searchable.
struct RegTree {
  struct Key {
    ShortText name;  // as written in the file
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
    std::uint32_t firstValue = 0;  // into valueOrder
    std::uint32_t valueCount = 0;
    std::int32_t linkTarget = -1;  // a symbolic link resolved inside the class root
  };

  KeyFold fold = KeyFold::kLower;
  AnsiCodePage codePage = AnsiCodePage::kWindows1252;
  std::shared_ptr<const TextStore> text;
  std::vector<Key> keys;  // keys[0] is the class root
  ChunkedVector<ValueData> values;
  std::vector<std::uint32_t> valueOrder;  // each key's values, sorted by folded name
  // Subkeys by (parent, folded name), open addressing; 0 (the root, never a subkey) is empty.
  std::vector<std::uint32_t> childIndex;

  // Index of the subkey of this name, or -1.
  std::int32_t FindChild(std::uint32_t key, std::string_view name) const;
  const ValueData* FindValue(std::uint32_t key, std::string_view name) const;
  // The name as the narrow API gives it, in UTF-8, and its length in ANSI bytes.
  std::string NarrowName(const Key& key, std::size_t* ansiLength) const;
};

class RegTreeBuilder {
 public:
  using Node = std::uint32_t;
  static constexpr Node kNone = 0xFFFFFFFFu;

  RegTreeBuilder(KeyFold fold, AnsiCodePage codePage);
  ~RegTreeBuilder();
  RegTreeBuilder(const RegTreeBuilder&) = delete;
  RegTreeBuilder& operator=(const RegTreeBuilder&) = delete;

  KeyFold fold() const { return fold_; }
  AnsiCodePage codePage() const { return codePage_; }

  // The key at path (components, empty ones ignored) under the layer's class root, created with
  // its parents when missing. The builder copies the names and values it keeps.
  Node CreateKey(Layer layer, const std::vector<std::string_view>& path);
  // The key at path under the layer's class root, or kNone.
  Node FindKey(Layer layer, const std::vector<std::string_view>& path) const;
  // Removes the key and everything below it; a missing key is no error.
  void DeleteKey(Layer layer, const std::vector<std::string_view>& path);
  // Sets a value, replacing one of the same folded name.
  void SetValue(Node key, const ValueData& value);
  // Removes a value; a missing value is no error.
  void DeleteValue(Node key, std::string_view name);
  // Marks a key as a symbolic link; its target is its "SymbolicLinkValue" value.
  void MarkLink(Node key);

  std::shared_ptr<const RegTree> Freeze();

 private:
  struct BuildNode {
    ShortText name;
    std::uint32_t parent = kNone;
    std::uint32_t firstChild = kNone;
    std::uint32_t nextSibling = kNone;
    std::uint32_t firstValue = kNone;
    bool deleted = false;
    bool link = false;
  };

  struct Indexes;

  // The live subkey of this name, or kNone; AddChild creates it when missing.
  Node Child(Node parent, std::string_view name) const;
  Node AddChild(Node parent, std::string_view name);

  KeyFold fold_;
  AnsiCodePage codePage_;
  std::shared_ptr<TextStore> text_;
  ChunkedVector<BuildNode> nodes_;  // nodes_[0], nodes_[1]: the machine's and the user's class roots
  std::unique_ptr<Indexes> indexes_;
  ChunkedVector<ValueData> values_;
  ChunkedVector<std::uint32_t> nextValue_;  // each key's values as a list
  // The path of the last CreateKey and the nodes along it.
  Layer cachedLayer_ = Layer::kMachine;
  std::vector<std::string_view> cachedPath_;
  std::vector<Node> cachedNodes_;
};

}  // namespace orlix::regfile
