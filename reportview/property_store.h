// How the ReportView control persists its properties in its host, and how it tells the host that
// one changed. The control library connects both to its container (property bag, property
// notify sink); the main program keeps nothing, and tests use an in-memory store.
#pragma once

#include <functional>
#include <string>

namespace orlix {

class PropertyStore {
 public:
  virtual ~PropertyStore() = default;
  // The stored value, or `defaultValue` when the store holds none under `name`.
  virtual std::string ReadProperty(const std::string& name, const std::string& defaultValue) = 0;
  // Stores `value`; a value equal to `defaultValue` is left out of the store (removed if present).
  virtual void WriteProperty(const std::string& name, const std::string& value, const std::string& defaultValue) = 0;
};

// Called with the property's name ("ReportTitle", "ReportSubTitle", "DataToShow", "FieldMask")
// after its value changed.
using PropertyChangedHandler = std::function<void(const std::string& name)>;

}  // namespace orlix
