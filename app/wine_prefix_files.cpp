#include "app/wine_prefix_files.h"

#include <vector>

#include "base/text.h"

namespace orlix {

WinePrefixFiles::WinePrefixFiles(const std::string& prefixDir) : prefix_(std::filesystem::u8path(prefixDir)) {}

const std::optional<std::filesystem::path>& WinePrefixFiles::Drive(char letter) {
  const auto known = drives_.find(letter);
  if (known != drives_.end()) return known->second;
  return drives_[letter] = ReadDriveLink(prefix_ / "dosdevices", letter);
}

const WinePrefixFiles::Listing& WinePrefixFiles::List(const std::filesystem::path& folder) {
  const auto known = folders_.find(folder);
  if (known != folders_.end()) return known->second;
  Listing listing;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().u8string();
    std::string key = ToLowerAscii(name);
    listing.emplace(std::move(key), std::move(name));
  }
  return folders_.emplace(folder, std::move(listing)).first->second;
}

FileState WinePrefixFiles::Probe(const std::string& windowsPath) {
  if (windowsPath.size() < 3 || windowsPath[1] != ':' || windowsPath[2] != '\\') return FileState::kUnknown;
  const char letter = ToLowerAscii(windowsPath.substr(0, 1))[0];
  if (letter < 'a' || letter > 'z') return FileState::kUnknown;
  const std::optional<std::filesystem::path>& root = Drive(letter);
  if (!root) return FileState::kUnknown;

  std::vector<std::string> parts;
  for (std::string& part : Split(windowsPath.substr(3), "\\")) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(std::move(part));
  }
  if (parts.empty()) return FileState::kMissing;  // a drive's root is no file
  std::filesystem::path folder = *root;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const Listing& listing = List(folder);
    const auto found = listing.find(ToLowerAscii(parts[i]));
    if (found == listing.end()) return FileState::kMissing;
    // A folder named like the file is taken for it: telling them apart would cost a look at
    // every entry, and a file below a file lists nothing.
    if (i + 1 == parts.size()) return FileState::kPresent;
    folder /= std::filesystem::u8path(found->second);
  }
  return FileState::kMissing;
}

}  // namespace orlix
