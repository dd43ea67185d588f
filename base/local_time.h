// The C library's local time, behind one name (localtime_s on Windows, localtime_r elsewhere).
#pragma once

#include <ctime>

namespace orlix {

// The broken-down local time of `t`; all fields zero when it cannot be converted.
std::tm LocalTime(std::time_t t);

}  // namespace orlix
