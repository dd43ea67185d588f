#include <io.h>

#include "cli/console_prompt.h"

namespace orlix::cli {

bool StandardInputIsTerminal() { return _isatty(0) != 0; }
bool StandardErrorIsTerminal() { return _isatty(2) != 0; }

}  // namespace orlix::cli
