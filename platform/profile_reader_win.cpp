#include "platform/profile_reader_win.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/ansi_win.h"

namespace orlix {

std::string Win32ProfileReader::GetString(const std::string& section, const std::string& key,
                                          const std::string& defaultText, std::size_t bufferChars,
                                          const std::string& path) const {
  if (bufferChars == 0) return std::string();
  const DWORD chars = static_cast<DWORD>(std::min<std::size_t>(bufferChars, std::numeric_limits<DWORD>::max()));
  std::vector<char> buffer(chars, ' ');
  const DWORD copied =
      ::GetPrivateProfileStringA(Utf8ToAnsi(section).c_str(), Utf8ToAnsi(key).c_str(),
                                 Utf8ToAnsi(defaultText).c_str(), buffer.data(), chars, Utf8ToAnsi(path).c_str());
  return AnsiToUtf8(std::string(buffer.data(), std::min<DWORD>(copied, chars)));
}

const ProfileReader& SystemProfileReader() {
  static const Win32ProfileReader reader;
  return reader;
}

}  // namespace orlix
