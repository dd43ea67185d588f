// A scan kept as JSON by `orlixreport scan --json --details`: an array of objects whose keys are
// kDetailedColumnKeys, every value a string. Read back, it is a source like any class root.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/detailed_rows.h"

namespace orlix {

// True when the text's first character after a UTF-8 byte-order mark and white space is '[':
// a JSON document rather than a registry export or hive, which start with their header line.
bool LooksLikeJsonSnapshot(std::string_view content);

// Parses a snapshot; `name` is used in messages only. Keys other than the ten are ignored; a
// missing key, a value that is not a string, or text that is not such a document throws
// ClassRootError ("name: message").
std::vector<DetailedRow> ParseScanSnapshot(std::string_view content, const std::string& name);

}  // namespace orlix
