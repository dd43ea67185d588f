// Helpers over keyed collections and text buffers shared by the report jobs and the dialog.
#pragma once

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "base/keyed_collection.h"

namespace orlix {

// True when the collection yields an object under the key (compared without regard to case).
template <typename T>
bool KeyExists(const std::string& key, const KeyedCollection<T>& collection) {
  return collection.Find(key) != nullptr;
}

// The smallest n >= 1 for which prefix + decimal n is not a key of the collection.
template <typename T>
std::int32_t NextFreeKeyNumber(const KeyedCollection<T>& collection, const std::string& prefix) {
  for (std::int32_t n = 1;; ++n) {
    if (!KeyExists(prefix + std::to_string(n), collection)) return n;
    if (n == std::numeric_limits<std::int32_t>::max()) throw std::overflow_error("no free key number");
  }
}

// The part before the first NUL, without leading and trailing blanks; empty when there is no NUL.
std::string TrimAtNull(const std::string& text);

}  // namespace orlix
