// A source of detailed rows named by one path, recognised by what it holds: a folder is a Wine
// prefix, a file starting with '[' a JSON snapshot, any other file a registry export or hive.
#pragma once

#include <string>
#include <vector>

#include "app/detailed_rows.h"

namespace orlix {

enum class ScanSourceKind { kWinePrefix, kRegistryFile, kSnapshot };

struct ScanSourceRows {
  ScanSourceKind kind = ScanSourceKind::kRegistryFile;
  std::vector<DetailedRow> rows;
  std::string warning;  // malformed registry lines skipped, as OpenedClassRoot::warning
};

// Reads the rows of `path`: a class root is scanned in `view`; a snapshot keeps the rows it holds,
// only those of the view when one view is named. Throws ClassRootError, also for a path that does
// not exist or cannot be read.
ScanSourceRows ReadScanSource(const std::string& path, ViewChoice view);

}  // namespace orlix
