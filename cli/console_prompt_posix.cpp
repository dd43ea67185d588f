#include <unistd.h>

#include "cli/console_prompt.h"

namespace orlix::cli {

bool StandardInputIsTerminal() { return ::isatty(0) != 0; }
bool StandardErrorIsTerminal() { return ::isatty(2) != 0; }

}  // namespace orlix::cli
