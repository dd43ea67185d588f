#include "app/component_scan.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "app/registry_api.h"
#include "base/text.h"

namespace orlix {

bool IsProgIdShaped(const std::string& name) {
  const std::size_t dot = name.find('.');
  if (dot == std::string::npos || dot == 0) return false;
  return name.find('.', dot + 1) == std::string::npos;
}

VariantArray BuildComponentList(RegistrySource& registry) {
  using Row = std::array<std::string, component_field::kCount>;
  const RegKey root = registry.Root();
  const std::vector<std::string> names = EnumSubKeyNames(registry, root, std::string());

  std::vector<Row> rows;
  for (const std::string& name : names) {
    if (!IsProgIdShaped(name)) continue;
    std::string clsid = ReadDefaultValue(registry, root, name + "\\Clsid");
    if (clsid.empty()) continue;

    Row row;
    row[component_field::kProgId] = name;
    const std::string classPath = "CLSID\\" + clsid;
    const std::vector<std::string> subkeys = EnumSubKeyNames(registry, root, classPath);
    for (std::size_t i = 1; i < subkeys.size(); ++i) {
      std::string s = ToLowerAscii(subkeys[i]);
      // The last matching subkey in enumeration order decides each column.
      if (s == "inprocserver" || s == "inprocserver32" || s == "localserver32" || s == "remoteservername") {
        row[component_field::kFilePath] = ReadDefaultValue(registry, root, classPath + "\\" + s);
      } else if (s == "control" || s == "insertable" || s == "programmable") {
        row[component_field::kAttribute] = std::move(s);
      } else if (s == "version") {
        row[component_field::kVersion] = ReadDefaultValue(registry, root, classPath + "\\" + s);
      }
    }
    row[component_field::kClsid] = std::move(clsid);
    rows.push_back(std::move(row));
  }

  VariantArray data = VariantArray::TwoDimensional(component_field::kCount, static_cast<std::int32_t>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::int32_t field = 0; field < component_field::kCount; ++field) {
      data.At(field, static_cast<std::int32_t>(r)) =
          Variant::FromText(std::move(rows[r][static_cast<std::size_t>(field)]));
    }
  }
  return data;
}

}  // namespace orlix
