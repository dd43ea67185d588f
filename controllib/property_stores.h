// The ReportView's property store over what hosts offer: a property bag, or the control's own
// stream (IPersistStreamInit, IPersistStorage) holding the values that differ from their defaults.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <map>
#include <string>

#include "reportview/property_store.h"

namespace orlix {

// Reads and writes text values through a host's IPropertyBag. Failures other than a missing
// value are thrown (ComError).
class PropertyBagStore final : public PropertyStore {
 public:
  PropertyBagStore(IPropertyBag* bag, IErrorLog* log) : bag_(bag), log_(log) {}
  std::string ReadProperty(const std::string& name, const std::string& defaultValue) override;
  void WriteProperty(const std::string& name, const std::string& value, const std::string& defaultValue) override;

 private:
  IPropertyBag* bag_;
  IErrorLog* log_;
};

// Values held in memory, saved to and loaded from a stream.
class StreamPropertyStore final : public PropertyStore {
 public:
  std::string ReadProperty(const std::string& name, const std::string& defaultValue) override;
  void WriteProperty(const std::string& name, const std::string& value, const std::string& defaultValue) override;

  void Load(IStream* stream);  // throws ComError on a read failure or a damaged stream
  void Save(IStream* stream) const;
  ULONGLONG SizeMax() const;

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace orlix
