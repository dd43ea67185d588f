#include "base/local_time.h"

namespace orlix {

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  if (localtime_s(&local, &t) != 0) return std::tm{};
  return local;
}

}  // namespace orlix
