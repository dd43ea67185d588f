// Path separators of the system the program runs on.
#pragma once

namespace orlix {

// The separator that paths are joined with: '\' on Windows, '/' elsewhere.
char PathSeparator();
// Every character that separates path components: "\/" on Windows, "/" elsewhere.
const char* PathSeparators();

}  // namespace orlix
