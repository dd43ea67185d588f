// The component scan: every ProgID-shaped name under the class root that leads to a class
// registration, as the component data that frmMain hands its grid.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/variant.h"
#include "platform/registry_source.h"

namespace orlix {

// Field numbers of the component data (the first index of the array).
namespace component_field {
constexpr std::int32_t kProgId = 0;
constexpr std::int32_t kFilePath = 1;
constexpr std::int32_t kVersion = 2;
constexpr std::int32_t kAttribute = 3;
constexpr std::int32_t kClsid = 4;
constexpr std::int32_t kCount = 5;
}  // namespace component_field

// The main window's five columns over the component data, as a field mask.
constexpr char kComponentFieldMask[] = "0=\"ProgID\",1=\"File Path\",2=\"Version\",3=\"Attribute\",4=\"CLSID\"";

// Scans the class root of `registry` and returns a fresh array of Text variants, fields 0..4 by
// rows 0..n-1 in the registry's enumeration order (no rows: upper bound -1). Every call builds
// its array anew. Registry failures only shorten the list or leave columns empty.
VariantArray BuildComponentList(RegistrySource& registry);
// The same scan, also giving for each row the server subkey that gave its File Path
// ("InprocServer32", "LocalServer32", ... as the registry conventionally writes them; empty when
// none did).
VariantArray BuildComponentList(RegistrySource& registry, std::vector<std::string>* servers);

// True for a name with exactly one dot, not in first place (a version-independent ProgID).
bool IsProgIdShaped(const std::string& name);

}  // namespace orlix
