#include "app/component_scan.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/registry_api.h"
#include "base/text.h"

namespace orlix {
namespace {

// The class registration's subkeys that fill a column: servers give the file path, the
// attribute is the keyword itself, the version its default value.
struct Keyword {
  std::string_view name;
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

// Searched inline: a scan asks this of tens of thousands of names.
bool ProgIdShaped(std::string_view name) {
  const auto dot = static_cast<std::size_t>(std::find(name.begin(), name.end(), '.') - name.begin());
  if (dot == name.size() || dot == 0) return false;
  return std::find(name.begin() + dot + 1, name.end(), '.') == name.end();
}

}  // namespace

bool IsProgIdShaped(const std::string& name) { return ProgIdShaped(name); }

VariantArray BuildComponentList(RegistrySource& registry) { return BuildComponentList(registry, nullptr); }

VariantArray BuildComponentList(RegistrySource& registry, std::vector<std::string>* servers) {
  const RegKey root = registry.Root();
  // The class root is enumerated whole before any name is looked up, as the live registry
  // would otherwise be read while its enumeration is under way. Only ProgID-shaped names are
  // kept, end to end in one text, so that tens of thousands of names cost no allocation each.
  std::string buffer;  // one name buffer for every enumeration
  std::string progIds;
  std::vector<std::size_t> ends;
  ForEachSubKeyName(registry, root, std::string(), buffer, [&](std::string_view name) {
    if (!ProgIdShaped(name)) return;
    progIds.append(name);
    ends.push_back(progIds.size());
  });

  if (servers != nullptr) servers->clear();
  // The texts go end to end into one pool and become cells only when the scan is done, all
  // sharing the pool's one block: a scan of thousands of rows allocates a handful of times, not
  // once per text. Every buffer below keeps its room from row to row.
  VariantTextPool texts;
  texts.Reserve(ends.size() * static_cast<std::size_t>(component_field::kCount));
  std::vector<const Keyword*> matches;  // the class key's subkeys that fill a column, in order
  std::string path;                     // one buffer for every key path the scan builds
  std::string clsid;
  std::string filePath;
  std::string version;
  static_assert(component_field::kProgId == 0 && component_field::kFilePath == 1 && component_field::kVersion == 2 &&
                    component_field::kAttribute == 3 && component_field::kClsid == 4,
                "the row's texts are added in field order");
  std::size_t begin = 0;
  for (const std::size_t end : ends) {
    const std::string_view name(progIds.data() + begin, end - begin);
    begin = end;
    path.assign(name).append("\\Clsid");
    ReadDefaultValue(registry, root, path, &clsid);
    if (clsid.empty()) continue;

    filePath.clear();
    version.clear();
    std::string_view attribute;
    const char* server = "";
    path.assign("CLSID\\").append(clsid);
    const std::size_t classPathLength = path.size();
    // The class key's subkeys are all enumerated before any of them is read.
    matches.clear();
    ForEachSubKeyName(registry, root, path, buffer, [&matches](std::string_view subkey) {
      // The keywords are ASCII, so an ASCII-caseless comparison is a comparison of the
      // lower-cased name. They all start with a lower-case letter, which a name's first
      // character matches only when it is the same letter in either case (c | 0x20).
      for (const Keyword& candidate : kKeywords) {
        if (subkey.size() == candidate.name.size() && (subkey[0] | 0x20) == candidate.name[0] &&
            EqualsNoCase(subkey, candidate.name)) {
          matches.push_back(&candidate);
          return;
        }
      }
    });
    // The last matching subkey in enumeration order decides each column: each read replaces
    // the column's text, empty when it fails.
    for (const Keyword* keyword : matches) {
      if (keyword->field == component_field::kAttribute) {
        attribute = keyword->name;
        continue;
      }
      path.resize(classPathLength);
      path += '\\';
      path.append(keyword->name);
      ReadDefaultValue(registry, root, path, keyword->field == component_field::kFilePath ? &filePath : &version);
      if (keyword->server != nullptr) server = keyword->server;
    }
    texts.Add(name);
    texts.Add(filePath);
    texts.Add(version);
    texts.Add(attribute);
    texts.Add(clsid);
    if (servers != nullptr) servers->push_back(server);
  }

  const auto rows = static_cast<std::int32_t>(texts.Count() / component_field::kCount);
  std::vector<Variant> cells;
  texts.MoveInto(cells);  // room for exactly the cells made
  return VariantArray::TwoDimensional(component_field::kCount, rows, std::move(cells));
}

}  // namespace orlix
