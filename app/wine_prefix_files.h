// The files of a Wine prefix seen as its Windows programs see them: drive letters through the
// prefix's dosdevices links (c: leads to drive_c, z: to /), names matched without regard to case.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "app/scanned_system.h"

namespace orlix {

// Where the prefix's link for a drive (dosdevices/"c:") leads; none when it cannot be followed.
// `letter` is lower case.
std::optional<std::filesystem::path> ReadDriveLink(const std::filesystem::path& devices, char letter);

class WinePrefixFiles : public FileProbe {
 public:
  explicit WinePrefixFiles(const std::string& prefixDir);
  FileState Probe(const std::string& windowsPath) override;

 private:
  // A folder's entries (as the folder writes them) by lower-cased name, listed once: a scan
  // looks up thousands of names in the same few folders.
  using Listing = std::unordered_map<std::string, std::string>;

  const std::optional<std::filesystem::path>& Drive(char letter);
  const Listing& List(const std::filesystem::path& folder);

  std::filesystem::path prefix_;
  std::map<char, std::optional<std::filesystem::path>> drives_;
  std::map<std::filesystem::path, Listing> folders_;
};

}  // namespace orlix
