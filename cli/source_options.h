// The registry source options shared by the commands that read a class root:
//   --registry FILE     a registry export (.reg) or a Wine hive file (system.reg, user.reg)
//   --wine-prefix DIR   the class root of a Wine prefix (its system.reg and user.reg)
// Without either: the default class root (OpenDefaultClassRoot).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/class_root.h"

namespace orlix::cli {

using SourceOptions = ClassRootChoice;

enum class OptionResult { NotMine, Taken, Error };

// Looks at args[*index]: a source option (with its value, "--opt VALUE" or "--opt=VALUE") is
// taken into *options and *index moves past it. A missing value, an empty value, a repeated
// option or both sources given is an Error with a one-line *error.
OptionResult TakeSourceOption(const std::vector<std::string>& args, std::size_t* index, SourceOptions* options,
                              std::string* error);

// Help lines for the options, indented like the commands' own.
const char* SourceOptionsHelp();

}  // namespace orlix::cli
