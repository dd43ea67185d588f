// Reader of Wine's registry hive files (system.reg, user.reg: "WINE REGISTRY Version 2").
// Only keys under Software\Classes are kept; system.reg ("relative to \\Machine") holds the
// machine's classes, user.reg ("relative to \\User\\S-...") the user's.
//
// What fails and what is skipped:
//  - throws RegistryFileError: the first line is not "WINE REGISTRY Version 2", NUL bytes
//    (binary data);
//  - skipped with a warning naming the line, as Wine's own loader skips them: a malformed key
//    line (its values are skipped with it), a malformed value name or string, an unknown value
//    type, bad hex or dword data, a continued line cut off by the end of the file, any other
//    unrecognised line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/regfile/reg_diagnostics.h"
#include "platform/regfile/reg_tree.h"

namespace orlix::regfile {

bool LooksLikeWineHive(std::string_view bytes);

// layer: where the hive's classes go; by default from its "All keys relative to" line (a hive
// without one counts as the machine's). The builder keeps the bytes: names and values point
// into them.
void ReadWineHive(const std::string& file, std::string bytes, RegTreeBuilder* builder, Diagnostics* diagnostics,
                  std::optional<Layer> layer = std::nullopt);

}  // namespace orlix::regfile
