#include "app/component_scan.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "app/registry_api.h"
#include "base/text.h"

namespace orlix {
namespace {

// The class registration's subkeys that fill a column: servers give the file path, the
// attribute is the keyword itself, the version its default value.
struct Keyword {
  const char* name;
  std::int32_t field;
  const char* server;  // the server subkey's conventional spelling, for the row's details
};
constexpr Keyword kKeywords[] = {
    {"inprocserver", component_field::kFilePath, "InprocServer"},
    {"inprocserver32", component_field::kFilePath, "InprocServer32"},
    {"localserver32", component_field::kFilePath, "LocalServer32"},
    {"remoteservername", component_field::kFilePath, "RemoteServerName"},
    {"control", component_field::kAttribute, nullptr},
    {"insertable", component_field::kAttribute, nullptr},
    {"programmable", component_field::kAttribute, nullptr},
    {"version", component_field::kVersion, nullptr},
};

}  // namespace

bool IsProgIdShaped(const std::string& name) {
  const std::size_t dot = name.find('.');
  if (dot == std::string::npos || dot == 0) return false;
  return name.find('.', dot + 1) == std::string::npos;
}

VariantArray BuildComponentList(RegistrySource& registry) { return BuildComponentList(registry, nullptr); }

VariantArray BuildComponentList(RegistrySource& registry, std::vector<std::string>* servers) {
  using Row = std::array<std::string, component_field::kCount>;
  const RegKey root = registry.Root();
  std::vector<std::string> names = EnumSubKeyNames(registry, root, std::string());

  if (servers != nullptr) servers->clear();
  std::vector<Row> rows;
  rows.reserve(names.size());  // room for every name, as the array is sized before the scan
  std::string path;  // one buffer for every key path the scan builds
  for (std::string& name : names) {
    if (!IsProgIdShaped(name)) continue;
    path.assign(name).append("\\Clsid");
    std::string clsid = ReadDefaultValue(registry, root, path);
    if (clsid.empty()) continue;

    Row& row = rows.emplace_back();
    const char* server = "";
    row[component_field::kProgId] = std::move(name);  // the list is the scan's own
    path.assign("CLSID\\").append(clsid);
    const std::size_t classPathLength = path.size();
    const std::vector<std::string> subkeys = EnumSubKeyNames(registry, root, path);
    for (std::size_t i = 1; i < subkeys.size(); ++i) {
      const std::string& subkey = subkeys[i];
      // The last matching subkey in enumeration order decides each column. The keywords are
      // ASCII, so an ASCII-caseless comparison is a comparison of the lower-cased name.
      const Keyword* keyword = nullptr;
      for (const Keyword& candidate : kKeywords) {
        if (EqualsNoCase(subkey, candidate.name)) {
          keyword = &candidate;
          break;
        }
      }
      if (keyword == nullptr) continue;
      std::string& cell = row[static_cast<std::size_t>(keyword->field)];
      if (keyword->field == component_field::kAttribute) {
        cell = keyword->name;
      } else {
        path.resize(classPathLength);
        path.append("\\").append(keyword->name);
        cell = ReadDefaultValue(registry, root, path);
        if (keyword->server != nullptr) server = keyword->server;
      }
    }
    row[component_field::kClsid] = std::move(clsid);
    if (servers != nullptr) servers->push_back(server);
  }

  VariantArray data = VariantArray::TwoDimensional(component_field::kCount, static_cast<std::int32_t>(rows.size()));
  std::vector<std::int32_t> index(2);  // reused: no allocation per cell
  for (std::size_t r = 0; r < rows.size(); ++r) {
    index[1] = static_cast<std::int32_t>(r);
    for (std::int32_t field = 0; field < component_field::kCount; ++field) {
      index[0] = field;
      data.At(index) = Variant::FromText(std::move(rows[r][static_cast<std::size_t>(field)]));
    }
  }
  return data;
}

}  // namespace orlix
