// A property store held in memory: for tests, and for hosts that keep the control's properties
// themselves.
#pragma once

#include <map>
#include <string>

#include "reportview/property_store.h"

namespace orlix {

class MemoryPropertyStore final : public PropertyStore {
 public:
  std::string ReadProperty(const std::string& name, const std::string& defaultValue) override;
  void WriteProperty(const std::string& name, const std::string& value, const std::string& defaultValue) override;

  // What the store holds, by name.
  const std::map<std::string, std::string>& Values() const { return values_; }
  void Set(const std::string& name, const std::string& value) { values_[name] = value; }

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace orlix
