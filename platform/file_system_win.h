// Win32 helpers shared by the file and process seams.
#pragma once

#include <string>

namespace orlix {

// FormatMessage's text for a system error code, in UTF-8, without the trailing line break.
std::string SystemErrorDescription(unsigned long code);

}  // namespace orlix
