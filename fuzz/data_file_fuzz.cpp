// The console tool's data files (CSV, TSV, JSON) from hostile bytes: a table or DataFileError.
#include <cstddef>
#include <cstdint>
#include <string>

#include "reportview/data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orlix;
  if (size < 1) return 0;
  const std::string content(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool skipHeader = (data[0] & 4) != 0;
  DataFormat format = DataFormat::Csv;
  switch (data[0] & 3) {
    case 0: format = DataFormat::Csv; break;
    case 1: format = DataFormat::Tsv; break;
    case 2: format = DataFormat::Json; break;
    default: format = GuessDataFormat("input", content); break;
  }
  try {
    const orlix::VariantArray table = ParseDataFile(content, format, skipHeader, "input");
    if (table.Dimensions() != 2) __builtin_trap();
  } catch (const DataFileError&) {
  }
  return 0;
}
