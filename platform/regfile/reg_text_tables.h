// Character tables behind platform/regfile/reg_text.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orlix::regfile::tables {

struct CaseRun {
  std::uint16_t first;
  std::uint16_t last;
  std::int32_t delta;
  std::uint8_t step;
};

struct BestFit {
  std::uint16_t unit;
  std::uint8_t byte;
};

extern const CaseRun kLowerRuns[];
extern const std::size_t kLowerRunCount;
extern const CaseRun kUpperRuns[];
extern const std::size_t kUpperRunCount;
extern const BestFit kCp1252BestFit[];
extern const std::size_t kCp1252BestFitCount;

}  // namespace orlix::regfile::tables
