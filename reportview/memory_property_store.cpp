#include "reportview/memory_property_store.h"

namespace orlix {

std::string MemoryPropertyStore::ReadProperty(const std::string& name, const std::string& defaultValue) {
  const auto found = values_.find(name);
  return found == values_.end() ? defaultValue : found->second;
}

void MemoryPropertyStore::WriteProperty(const std::string& name, const std::string& value,
                                        const std::string& defaultValue) {
  if (value == defaultValue)
    values_.erase(name);
  else
    values_[name] = value;
}

}  // namespace orlix
