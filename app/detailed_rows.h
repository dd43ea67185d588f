// A detailed scan as rows of text: the five fields, then the five details, as the console tool
// writes them, as JSON snapshots keep them and as two scans are compared.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "app/component_details.h"
#include "base/variant.h"

namespace orlix {

constexpr std::size_t kDetailedColumnCount = 10;
using DetailedRow = std::array<std::string, kDetailedColumnCount>;

// Column numbers of a detailed row beyond component_field.
namespace detailed_column {
constexpr std::size_t kServer = 5;
constexpr std::size_t kResolvedPath = 6;
constexpr std::size_t kFile = 7;
constexpr std::size_t kView = 8;
constexpr std::size_t kScope = 9;
}  // namespace detailed_column

// Headers ("ProgID" ... "Scope") and JSON keys ("progId" ... "scope") in column order.
extern const std::array<const char*, kDetailedColumnCount> kDetailedColumnHeaders;
extern const std::array<const char*, kDetailedColumnCount> kDetailedColumnKeys;

// The ten columns as a field mask over DetailedComponentData.
extern const char kDetailedComponentFieldMask[];

// The rows of a scan in its order; with `brokenOnly`, only those whose file is missing.
std::vector<DetailedRow> DetailedRows(const ComponentScan& scan, bool brokenOnly = false);

// The rows as a data array of texts, fields 0..9 by row.
VariantArray DetailedComponentData(const std::vector<DetailedRow>& rows);

}  // namespace orlix
