#include "cli/detail_options.h"

namespace orlix::cli {

bool ParseViewChoice(const std::string& text, ViewChoice* view) {
  if (text == "32") {
    *view = ViewChoice::k32;
  } else if (text == "64") {
    *view = ViewChoice::k64;
  } else if (text == "both") {
    *view = ViewChoice::kBoth;
  } else {
    return false;
  }
  return true;
}

OptionResult TakeDetailOption(const std::vector<std::string>& args, std::size_t* index, DetailOptions* options,
                              std::string* error, const std::string& viewOption) {
  const std::string& arg = args[*index];
  if (arg == "--details" || arg == "--broken") {
    (arg == "--details" ? options->details : options->broken) = true;
    ++*index;
    return OptionResult::Taken;
  }
  std::string value;
  std::size_t used = 1;
  if (arg == viewOption) {
    if (*index + 1 >= args.size()) {
      *error = viewOption + " needs a value (32, 64 or both)";
      return OptionResult::Error;
    }
    value = args[*index + 1];
    used = 2;
  } else if (arg.compare(0, viewOption.size() + 1, viewOption + "=") == 0) {
    value = arg.substr(viewOption.size() + 1);
  } else {
    return OptionResult::NotMine;
  }
  if (options->viewGiven) {
    *error = viewOption + " given twice";
    return OptionResult::Error;
  }
  if (!ParseViewChoice(value, &options->view)) {
    *error = viewOption + " takes 32, 64 or both, not '" + value + "'";
    return OptionResult::Error;
  }
  options->viewGiven = true;
  *index += used;
  return OptionResult::Taken;
}

std::string ViewOptionHelp(const std::string& viewOption) {
  constexpr std::size_t kColumn = 22;  // where the other options' descriptions start
  std::string name = "  " + viewOption + " 32|64|both";
  name = name.size() < kColumn ? name + std::string(kColumn - name.size(), ' ') : name + "\n" + std::string(kColumn, ' ');
  return name + "the registry view(s) to scan; with both, a class\n"
                "                      registered in both views is listed once per view\n"
                "                      (default: the program's own)\n";
}

std::string DetailOptionsHelp(const std::string& viewOption) {
  return std::string(
         "  --details           add the columns Server, Resolved Path, File (present, missing or\n"
         "                      unknown), View (32 or 64) and Scope (machine, user or\n"
         "                      user-over-machine)\n"
         "  --broken            only the components whose file is missing, with those columns\n") +
         ViewOptionHelp(viewOption);
}

}  // namespace orlix::cli
