#include "app/wow64_view.h"

#include <string_view>

#include "base/text.h"
#include "platform/registry_key.h"

namespace orlix {
namespace {

// The class root's keys that each view holds apart.
constexpr std::string_view kRedirected[] = {"CLSID", "DirectShow", "Interface", "Media Type", "MediaFoundation"};

bool IsRedirected(const std::string& path) {
  const std::string_view first = std::string_view(path).substr(0, path.find('\\'));
  for (std::string_view key : kRedirected) {
    if (EqualsNoCase(first, key)) return true;
  }
  return false;
}

}  // namespace

long Wow64ClassView::OpenKey(RegKey parent, const std::string& path, RegKey* opened) {
  if (parent == inner_.Root() && IsRedirected(path)) return inner_.OpenKey(parent, "Wow6432Node\\" + path, opened);
  return inner_.OpenKey(parent, path, opened);
}

bool HasWow64Node(RegistrySource& classRoot) {
  return static_cast<bool>(ScopedRegKey(classRoot, classRoot.Root(), "Wow6432Node"));
}

}  // namespace orlix
