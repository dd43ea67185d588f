#include "app/detailed_rows.h"

#include <cstdint>
#include <utility>

#include "app/component_scan.h"

namespace orlix {

const std::array<const char*, kDetailedColumnCount> kDetailedColumnHeaders = {
    "ProgID", "File Path", "Version", "Attribute", "CLSID", "Server", "Resolved Path", "File", "View", "Scope"};
const std::array<const char*, kDetailedColumnCount> kDetailedColumnKeys = {
    "progId", "filePath", "version", "attribute", "clsid", "server", "resolvedPath", "file", "view", "scope"};

const char kDetailedComponentFieldMask[] =
    "0=\"ProgID\",1=\"File Path\",2=\"Version\",3=\"Attribute\",4=\"CLSID\",5=\"Server\",6=\"Resolved Path\","
    "7=\"File\",8=\"View\",9=\"Scope\"";

std::vector<DetailedRow> DetailedRows(const ComponentScan& scan, bool brokenOnly) {
  std::vector<DetailedRow> rows;
  const std::int32_t count = scan.data.UpperBound(1) + 1;
  rows.reserve(static_cast<std::size_t>(count));
  for (std::int32_t r = 0; r < count; ++r) {
    const ComponentDetails& details = scan.details.at(static_cast<std::size_t>(r));
    if (brokenOnly && details.file != FileState::kMissing) continue;
    DetailedRow row;
    for (std::int32_t field = 0; field < component_field::kCount; ++field) {
      const Variant& cell = scan.data.At(field, r);
      if (cell.IsText()) row[static_cast<std::size_t>(field)] = cell.Text();
    }
    row[detailed_column::kServer] = details.server;
    row[detailed_column::kResolvedPath] = details.resolvedPath;
    row[detailed_column::kFile] = FileStateText(details.file);
    row[detailed_column::kView] = RegistryViewText(details.view);
    row[detailed_column::kScope] = ClassScopeText(details.scope);
    rows.push_back(std::move(row));
  }
  return rows;
}

VariantArray DetailedComponentData(const std::vector<DetailedRow>& rows) {
  std::vector<Variant> cells;
  cells.reserve(rows.size() * kDetailedColumnCount);
  for (const DetailedRow& row : rows) {
    for (const std::string& cell : row) cells.push_back(Variant::FromText(cell));
  }
  return VariantArray::TwoDimensional(static_cast<std::int32_t>(kDetailedColumnCount),
                                      static_cast<std::int32_t>(rows.size()), std::move(cells));
}

}  // namespace orlix
