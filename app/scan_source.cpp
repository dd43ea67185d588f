#include "app/scan_source.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/class_root.h"
#include "app/scan_snapshot.h"

namespace orlix {
namespace {

std::string ReadWholeFile(const std::filesystem::path& p, const std::string& name) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw ClassRootError(name + ": cannot open the file for reading");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ClassRootError(name + ": error while reading the file");
  return bytes;
}

// The first bytes of a file, enough to tell a snapshot from a registry file.
std::string ReadFileStart(const std::filesystem::path& p, const std::string& name) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw ClassRootError(name + ": cannot open the file for reading");
  std::string bytes(4096, '\0');
  in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) throw ClassRootError(name + ": error while reading the file");
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace

ScanSourceRows ReadScanSource(const std::string& path, ViewChoice view) {
  const std::filesystem::path p = std::filesystem::u8path(path);
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(p, ec);
  if (!std::filesystem::exists(status)) throw ClassRootError(path + ": no such file or folder");

  ScanSourceRows result;
  ClassRootChoice choice;
  if (std::filesystem::is_directory(status)) {
    result.kind = ScanSourceKind::kWinePrefix;
    choice.winePrefix = path;
  } else if (LooksLikeJsonSnapshot(ReadFileStart(p, path))) {
    result.kind = ScanSourceKind::kSnapshot;
    result.rows = ParseScanSnapshot(ReadWholeFile(p, path), path);
    if (view == ViewChoice::k32 || view == ViewChoice::k64) {
      const std::string keep = RegistryViewText(view == ViewChoice::k32 ? RegistryView::k32 : RegistryView::k64);
      result.rows.erase(std::remove_if(result.rows.begin(), result.rows.end(),
                                       [&](const DetailedRow& row) { return row[detailed_column::kView] != keep; }),
                        result.rows.end());
    }
    return result;
  } else {
    choice.registryFile = path;
  }
  ComponentScan scan = ScanComponentsWithDetails(choice, view);
  result.rows = DetailedRows(scan);
  result.warning = std::move(scan.warning);
  return result;
}

}  // namespace orlix
