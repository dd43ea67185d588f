// Ordered collection of shared objects, each optionally under a text key. Keys compare without
// regard to ASCII letter case and occur once; looking up an absent key throws.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/text.h"

namespace orlix {

class KeyNotFound : public std::out_of_range {
 public:
  explicit KeyNotFound(const std::string& key) : std::out_of_range("no item under the key '" + key + "'") {}
};

class DuplicateKey : public std::invalid_argument {
 public:
  explicit DuplicateKey(const std::string& key)
      : std::invalid_argument("the key '" + key + "' is already in the collection") {}
};

template <typename T>
class KeyedCollection {
  struct Entry {
    std::shared_ptr<T> item;
    std::string key;
  };

 public:
  // Appends; an empty key means no key. Throws DuplicateKey when the key is taken.
  void Add(std::shared_ptr<T> item, const std::string& key = std::string()) {
    if (!key.empty()) {
      const std::string folded = ToLowerAscii(key);
      if (index_.count(folded)) throw DuplicateKey(key);
      index_.emplace(folded, items_.size());
    }
    items_.push_back(Entry{std::move(item), key});
  }

  // Throws KeyNotFound.
  const std::shared_ptr<T>& Item(const std::string& key) const {
    auto it = index_.find(ToLowerAscii(key));
    if (it == index_.end()) throw KeyNotFound(key);
    return items_[it->second].item;
  }
  // Position from 0; throws std::out_of_range.
  const std::shared_ptr<T>& At(std::size_t position) const { return items_.at(position).item; }
  const std::string& KeyAt(std::size_t position) const { return items_.at(position).key; }

  // Null when the key is absent.
  std::shared_ptr<T> Find(const std::string& key) const {
    auto it = index_.find(ToLowerAscii(key));
    return it == index_.end() ? nullptr : items_[it->second].item;
  }

  std::size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  void Clear() {
    items_.clear();
    index_.clear();
  }

  // Iteration over the objects in order.
  class const_iterator {
   public:
    explicit const_iterator(typename std::vector<Entry>::const_iterator it) : it_(it) {}
    const std::shared_ptr<T>& operator*() const { return it_->item; }
    const_iterator& operator++() {
      ++it_;
      return *this;
    }
    bool operator!=(const const_iterator& other) const { return it_ != other.it_; }

   private:
    typename std::vector<Entry>::const_iterator it_;
  };
  const_iterator begin() const { return const_iterator(items_.begin()); }
  const_iterator end() const { return const_iterator(items_.end()); }

 private:
  std::vector<Entry> items_;
  std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace orlix
