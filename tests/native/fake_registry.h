// A class root in memory with the narrow registry's rules: subkeys in insertion order, key paths
// and value names matched without regard to case, values returned as the narrow API returns them
// (string data with its terminator, kMoreData for a value larger than the caller's buffer). It
// counts opens and open keys, and can deny reading a key's values or fail an enumeration at an
// index, so that the readers' key discipline and failure paths can be checked.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/registry_source.h"

namespace orlix::testing_support {

class FakeRegistry : public RegistrySource {
 public:
  struct Node {
    std::string name;
    std::vector<std::unique_ptr<Node>> children;
    std::map<std::string, std::pair<std::uint32_t, std::string>> values;  // by lower-case name
    bool denyValues = false;
    long enumFailure = reg_status::kSuccess;
    std::uint32_t enumFailureAt = 0;
  };

  // Creates every missing key of path and returns the last.
  Node& Add(const std::string& path) {
    Node* node = &root_;
    for (const std::string& part : Split(path, "\\")) {
      Node* next = Find(*node, part);
      if (next == nullptr) {
        next = node->children.emplace_back(std::make_unique<Node>()).get();
        next->name = part;
      }
      node = next;
    }
    return *node;
  }
  // A string value (terminator added); the empty name is the default value.
  void SetString(const std::string& path, const std::string& name, const std::string& text,
                 std::uint32_t type = reg_type::kSz) {
    SetRaw(path, name, type, text + '\0');
  }
  void SetDefault(const std::string& path, const std::string& text, std::uint32_t type = reg_type::kSz) {
    SetString(path, "", text, type);
  }
  void SetRaw(const std::string& path, const std::string& name, std::uint32_t type, const std::string& bytes) {
    Add(path).values[ToLowerAscii(name)] = {type, bytes};
  }

  int OpenKeys() const { return static_cast<int>(open_.size()); }
  int opens = 0;
  std::uint32_t queriedType = 0;  // the type the last query passed in

  RegKey Root() const override { return 1; }
  long OpenKey(RegKey parent, std::string_view path, RegKey* opened) override {
    *opened = 0;
    Node* node = Resolve(parent);
    if (node == nullptr) return reg_status::kInvalidHandle;
    for (const std::string& part : Split(path, "\\"))
      if ((node = Find(*node, part)) == nullptr) return reg_status::kFileNotFound;
    ++opens;
    handles_.push_back(node);  // each open gives a distinct handle, as the live registry does
    *opened = static_cast<RegKey>(handles_.size()) << 4;
    open_.insert(*opened);
    return reg_status::kSuccess;
  }
  long EnumKey(RegKey key, std::uint32_t index, std::size_t bufferChars, std::string* name) override {
    name->clear();
    Node* node = Resolve(key);
    if (node == nullptr) return reg_status::kInvalidHandle;
    if (node->enumFailure != reg_status::kSuccess && index == node->enumFailureAt) return node->enumFailure;
    if (index >= node->children.size()) return reg_status::kNoMoreItems;
    if (node->children[index]->name.size() + 1 > bufferChars) return reg_status::kMoreData;
    *name = node->children[index]->name;
    return reg_status::kSuccess;
  }
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                  std::uint32_t* size) override {
    if (type != nullptr) queriedType = *type;
    data->clear();
    Node* node = Resolve(key);
    if (node == nullptr) return reg_status::kInvalidHandle;
    if (node->denyValues) return reg_status::kAccessDenied;
    const auto value = node->values.find(ToLowerAscii(name));
    if (value == node->values.end()) return reg_status::kFileNotFound;
    if (type != nullptr) *type = value->second.first;
    const std::string& bytes = value->second.second;
    const bool fits = bytes.size() <= *size;
    *size = static_cast<std::uint32_t>(bytes.size());
    if (!fits) return reg_status::kMoreData;
    *data = bytes;
    return reg_status::kSuccess;
  }
  long CloseKey(RegKey key) override {
    if (key == Root()) return reg_status::kSuccess;
    return open_.erase(key) == 1 ? reg_status::kSuccess : reg_status::kInvalidHandle;
  }

 private:
  static Node* Find(Node& node, const std::string& name) {
    for (auto& child : node.children)
      if (EqualsNoCase(child->name, name)) return child.get();
    return nullptr;
  }
  Node* Resolve(RegKey key) {
    if (key == Root()) return &root_;
    if (open_.count(key) == 0) return nullptr;  // closed or never opened
    return handles_[static_cast<std::size_t>(key >> 4) - 1];
  }

  Node root_;
  std::vector<Node*> handles_;
  std::set<RegKey> open_;
};

}  // namespace orlix::testing_support
