#include "app/class_root.h"
#include "platform/registry_win.h"

namespace orlix {

OpenedClassRoot OpenDefaultClassRoot() {
  OpenedClassRoot opened;
  opened.source = std::make_unique<Win32Registry>(HKEY_CLASSES_ROOT);
  return opened;
}

}  // namespace orlix
