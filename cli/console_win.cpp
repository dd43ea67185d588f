#include "cli/console.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace orlix::cli {

void PrepareConsole() {
  // No CRLF translation: the tool writes the same bytes as on every other platform.
  _setmode(_fileno(stdout), _O_BINARY);
  // A console shows the UTF-8 text correctly; a pipe or file gets the bytes as they are.
  if (GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR) SetConsoleOutputCP(CP_UTF8);
}

}  // namespace orlix::cli
