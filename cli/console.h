// Standard streams as the tool needs them: bytes out unchanged (UTF-8, LF line ends), so the
// output is the same on every platform and pipes cleanly into other tools.
#pragma once

namespace orlix::cli {

void PrepareConsole();

}  // namespace orlix::cli
