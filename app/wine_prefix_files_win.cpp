#include <system_error>

#include "app/wine_prefix_files.h"

namespace orlix {

// A Windows program cannot open a name with a colon, so the links are not read: c: is drive_c
// by Wine's own convention, and any other drive is the running system's drive of that letter,
// which is the prefix's own when the program runs under Wine in it (z: leads to / in both).
std::optional<std::filesystem::path> ReadDriveLink(const std::filesystem::path& devices, char letter) {
  std::error_code ec;
  if (letter == 'c') {
    const std::filesystem::path drive = devices.parent_path() / "drive_c";
    if (std::filesystem::is_directory(drive, ec)) return drive;
    return std::nullopt;
  }
  const std::filesystem::path drive = std::string(1, static_cast<char>(letter - 'a' + 'A')) + ":\\";
  if (std::filesystem::is_directory(drive, ec)) return drive;
  return std::nullopt;
}

}  // namespace orlix
