#include "platform/path.h"

namespace orlix {

char PathSeparator() { return '/'; }
const char* PathSeparators() { return "/"; }

}  // namespace orlix
