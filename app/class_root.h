// The class root that a front end lists components of: the live one on Windows, or one read
// from files (a registry export, a Wine hive, a Wine prefix). Every front end chooses it here.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/registry_source.h"

namespace orlix {

// At most one of the two is set; neither means the default class root.
struct ClassRootChoice {
  std::string registryFile;  // a registry export (.reg) or a Wine hive file
  std::string winePrefix;    // a Wine prefix folder (its system.reg and user.reg)
};

// A class root that cannot be opened; what() is one line for the user.
class ClassRootError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OpenedClassRoot {
  std::unique_ptr<RegistrySource> source;  // never null
  std::string warning;  // malformed lines skipped in the files, summed up in one line; else empty
};

// Opens the chosen class root. Throws ClassRootError.
OpenedClassRoot OpenClassRoot(const ClassRootChoice& choice);

// The class root used when none is chosen: the live registry on Windows; elsewhere the Wine
// prefix $WINEPREFIX, then ~/.wine. Throws ClassRootError.
OpenedClassRoot OpenDefaultClassRoot();

// The class root of the Wine prefix in `dir`. Throws ClassRootError when its registry files are
// missing or cannot be read.
OpenedClassRoot OpenWinePrefixClassRoot(const std::string& dir);

// The Wine prefix used by default: $WINEPREFIX when set and not empty, else $HOME/.wine; empty
// when neither can be formed.
std::string DefaultWinePrefix(const char* winePrefixVariable, const char* homeVariable);

}  // namespace orlix
