#include <system_error>

#include "app/wine_prefix_files.h"

namespace orlix {

std::optional<std::filesystem::path> ReadDriveLink(const std::filesystem::path& devices, char letter) {
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::read_symlink(devices / (std::string(1, letter) + ":"), ec);
  if (ec) return std::nullopt;
  return target.is_absolute() ? target : devices / target;
}

}  // namespace orlix
