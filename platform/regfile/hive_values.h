// A few facts from a Wine hive that the class-root reader does not keep: the string values of
// chosen keys outside the class root (the environment, the well-known folders), and whether
// chosen keys are there at all. One pass over the hive's key lines; value lines are read only
// under the chosen keys.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orlix {

struct HiveValues {
  std::string arch;       // the hive's "#arch=" line ("win32", "win64"); empty when it has none
  bool userHive = false;  // its keys are relative to a user ("\\User\\S-..."), not the machine
  // Per requested key (as given), its string values: name -> text (UTF-8, unexpanded).
  std::map<std::string, std::map<std::string, std::string>> keys;
  // The keys asked about that the hive holds (as given).
  std::set<std::string> present;
};

// `keys`: whose string values (REG_SZ, REG_EXPAND_SZ) to read; `presence`: whose existence to
// report. Both are paths relative to the hive's root, backslash-separated, matched without
// regard to ASCII case; a key is there when the hive holds it or anything below it. Lines that
// cannot be read are passed over: these facts only refine what the caller already knows.
HiveValues ReadWineHiveValues(std::string_view bytes, const std::vector<std::string>& keys,
                              const std::vector<std::string>& presence = {});

// The string values of `keys` in a registry export ("REGEDIT4" in the ANSI code page or UTF-8,
// "Windows Registry Editor Version 5.00" in UTF-16LE): `keys` are full paths
// ("HKEY_LOCAL_MACHINE\\SYSTEM\\..."); quoted strings and hex(2) expandable strings are read.
HiveValues ReadRegistryExportValues(std::string_view bytes, const std::vector<std::string>& keys);

}  // namespace orlix
