// A few string values from outside the class root of a Wine hive: the environment and the
// well-known folders that a path in the class root refers to. The class-root reader keeps only
// Software\Classes, so these are read by a separate, single pass over the hive's key lines.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orlix {

struct HiveValues {
  std::string arch;  // the hive's "#arch=" line ("win32", "win64"); empty when it has none
  bool userHive = false;  // its keys are relative to a user ("\\User\\S-..."), not the machine
  // Per requested key (as given), its string values: name -> text (UTF-8, unexpanded).
  std::map<std::string, std::map<std::string, std::string>> keys;
};

// Reads the string values (REG_SZ, REG_EXPAND_SZ) of `keys` (paths relative to the hive's root,
// backslash-separated, matched without regard to ASCII case) from the hive text. Lines it cannot
// read are passed over: these values only refine what the caller already knows.
HiveValues ReadWineHiveValues(std::string_view bytes, const std::vector<std::string>& keys);

}  // namespace orlix
