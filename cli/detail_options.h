// The options that ask for the component details, shared by scan and report:
//   --details           the five detail columns after the five fields
//   --broken            only the components whose file is missing (with the detail columns)
//   --view 32|64|both   the registry view(s) to scan (default: the program's own); report, where
//                       --view opens the viewer, names it --registry-view
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/component_details.h"
#include "cli/source_options.h"

namespace orlix::cli {

struct DetailOptions {
  bool details = false;
  bool broken = false;
  ViewChoice view = ViewChoice::kOwn;
  bool viewGiven = false;

  bool Any() const { return details || broken || viewGiven; }
  bool DetailColumns() const { return details || broken; }
};

constexpr char kViewOption[] = "--view";
constexpr char kRegistryViewOption[] = "--registry-view";

// As TakeSourceOption: args[*index] taken into *options when it is one of the options above, the
// view under the name `viewOption`.
OptionResult TakeDetailOption(const std::vector<std::string>& args, std::size_t* index, DetailOptions* options,
                              std::string* error, const std::string& viewOption = kViewOption);

// "32", "64" or "both"; false for any other text.
bool ParseViewChoice(const std::string& text, ViewChoice* view);

// Help lines: all three, or only the view, under the name `viewOption`.
std::string DetailOptionsHelp(const std::string& viewOption = kViewOption);
std::string ViewOptionHelp(const std::string& viewOption = kViewOption);

}  // namespace orlix::cli
