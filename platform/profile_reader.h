// The profile-reading seam: one lookup in an initialisation file with the rules of the Windows
// profile functions. Implemented by GetPrivateProfileStringA on Windows and by IniFileProfileReader
// (platform/ini_file.h) everywhere.
#pragma once

#include <cstddef>
#include <string>

namespace orlix {

class ProfileReader {
 public:
  virtual ~ProfileReader() = default;

  // GetPrivateProfileString(section, key, defaultText, buffer, bufferChars, path): the text that
  // lands in a buffer of bufferChars characters (its terminator included), so at most
  // bufferChars - 1 characters. A missing file, section or key gives the default text. Never throws
  // for anything the file holds.
  virtual std::string GetString(const std::string& section, const std::string& key, const std::string& defaultText,
                                std::size_t bufferChars, const std::string& path) const = 0;
};

// The platform's reader: the profile function on Windows, the portable reader elsewhere.
const ProfileReader& SystemProfileReader();

}  // namespace orlix
