#include "base/local_time.h"

namespace orlix {

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) return std::tm{};
  return local;
}

}  // namespace orlix
