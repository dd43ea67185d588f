// The class-root tree of the file-backed registry: a mutable builder that the file readers fill
// layer by layer (machine and user classes), frozen into an immutable, index-based tree in which
// the user's classes are merged over the machine's.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/regfile/reg_text.h"

namespace orlix::regfile {

enum class Layer { kMachine, kUser };

// Frozen tree. Keys are stored breadth first, so every key's subkeys are contiguous and sorted
// by folded name: the enumeration order, and binary-searchable.
struct RegTree {
  struct Key {
    std::u16string folded;
    std::string narrowName;        // the name as the narrow API gives it, in UTF-8
    std::uint32_t narrowLength = 0;  // its length in ANSI bytes
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
    std::uint32_t firstValue = 0;
    std::uint32_t valueCount = 0;
    std::int32_t linkTarget = -1;  // a symbolic link resolved inside the class root
  };
  struct Value {
    std::u16string folded;
    std::uint32_t type = 0;
    std::string data;              // narrow API bytes; string types as UTF-8 of the ANSI text
    std::uint32_t narrowSize = 0;  // the byte count that the narrow API reports
  };

  KeyFold fold = KeyFold::kLower;
  AnsiCodePage codePage = AnsiCodePage::kWindows1252;
  std::vector<Key> keys;  // keys[0] is the class root
  std::vector<Value> values;

  // Index of the subkey with this folded name, or -1.
  std::int32_t FindChild(std::uint32_t key, std::u16string_view folded) const;
  const Value* FindValue(std::uint32_t key, std::u16string_view folded) const;
};

class RegTreeBuilder {
 public:
  struct Node;

  RegTreeBuilder(KeyFold fold, AnsiCodePage codePage);
  ~RegTreeBuilder();
  RegTreeBuilder(const RegTreeBuilder&) = delete;
  RegTreeBuilder& operator=(const RegTreeBuilder&) = delete;

  KeyFold fold() const { return fold_; }
  AnsiCodePage codePage() const { return codePage_; }

  // The key at path (components, empty ones ignored) under the layer's class root, created with
  // its parents when missing.
  Node* CreateKey(Layer layer, const std::vector<std::u16string>& path);
  // The key at path under the layer's class root, or nullptr.
  Node* FindKey(Layer layer, const std::vector<std::u16string>& path);
  // Removes the key and everything below it; a missing key is no error.
  void DeleteKey(Layer layer, const std::vector<std::u16string>& path);
  // Sets a value; string types hold UTF-16LE bytes, as the registry stores them.
  void SetValue(Node* key, const std::u16string& name, std::uint32_t type, std::string bytes);
  void DeleteValue(Node* key, const std::u16string& name);
  // Marks a key as a symbolic link; its target is its "SymbolicLinkValue" value.
  void MarkLink(Node* key);

  std::shared_ptr<const RegTree> Freeze() const;

 private:
  KeyFold fold_;
  AnsiCodePage codePage_;
  std::unique_ptr<Node> roots_[2];
  // The path of the last CreateKey and the nodes along it.
  Layer cachedLayer_ = Layer::kMachine;
  std::vector<std::u16string> cachedPath_;
  std::vector<Node*> cachedNodes_;
};

}  // namespace orlix::regfile
