// A key opened on a RegistrySource and closed when its scope ends: the one key owner of the
// component scan and of the report jobs' registry reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/registry_source.h"

namespace orlix {

// A value as the narrow API hands it over (see RegistrySource::QueryValue).
struct RegValueBytes {
  std::uint32_t type = reg_type::kNone;
  std::string data;
  std::uint32_t size = 0;  // bytes stored
};

class ScopedRegKey {
 public:
  ScopedRegKey() = default;
  // Opens parent\path for reading (an empty path opens parent again); empty when it cannot be
  // opened.
  ScopedRegKey(RegistrySource& source, RegKey parent, std::string_view path) {
    RegKey opened = 0;
    if (source.OpenKey(parent, path, &opened) == reg_status::kSuccess && opened != 0) {
      source_ = &source;
      key_ = opened;
    }
  }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;
  ScopedRegKey(ScopedRegKey&& other) noexcept
      : source_(std::exchange(other.source_, nullptr)), key_(std::exchange(other.key_, 0)) {}
  ScopedRegKey& operator=(ScopedRegKey&& other) noexcept {
    if (this != &other) {
      Close();
      source_ = std::exchange(other.source_, nullptr);
      key_ = std::exchange(other.key_, 0);
    }
    return *this;
  }
  ~ScopedRegKey() { Close(); }

  RegKey get() const { return key_; }
  explicit operator bool() const { return key_ != 0; }

  // The value `name` (empty: the default value) read into a buffer of `bufferBytes`; none when
  // the read fails, including a value larger than the buffer.
  std::optional<RegValueBytes> Query(const std::string& name, std::uint32_t bufferBytes) const {
    if (key_ == 0) return std::nullopt;
    RegValueBytes value;
    value.size = bufferBytes;
    if (source_->QueryValue(key_, name, &value.type, &value.data, &value.size) != reg_status::kSuccess)
      return std::nullopt;
    return value;
  }

 private:
  void Close() {
    if (key_ != 0) source_->CloseKey(key_);
    key_ = 0;
    source_ = nullptr;
  }

  RegistrySource* source_ = nullptr;
  RegKey key_ = 0;
};

}  // namespace orlix
