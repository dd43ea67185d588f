#include "platform/ini_file.h"
#include "platform/profile_reader.h"

namespace orlix {

const ProfileReader& SystemProfileReader() {
  static const IniFileProfileReader reader;
  return reader;
}

}  // namespace orlix
