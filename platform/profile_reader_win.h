// The profile function itself behind ProfileReader. Texts cross in the ANSI code page.
#pragma once

#include "platform/profile_reader.h"

namespace orlix {

class Win32ProfileReader : public ProfileReader {
 public:
  std::string GetString(const std::string& section, const std::string& key, const std::string& defaultText,
                        std::size_t bufferChars, const std::string& path) const override;
};

}  // namespace orlix
