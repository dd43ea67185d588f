#include "cli/console.h"

namespace orlix::cli {

void PrepareConsole() {}

}  // namespace orlix::cli
