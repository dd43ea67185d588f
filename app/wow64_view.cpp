#include "app/wow64_view.h"

#include <string_view>

#include "base/text.h"

namespace orlix {
namespace {

// The class root's keys that Windows keeps apart per view.
constexpr std::string_view kRedirected[] = {"CLSID", "DirectShow", "Interface", "Media Type", "MediaFoundation"};

bool IsRedirected(std::string_view path) {
  const std::string_view first = path.substr(0, path.find('\\'));
  for (std::string_view key : kRedirected) {
    if (EqualsNoCase(first, key)) return true;
  }
  return false;
}

}  // namespace

Wow64ClassView::Wow64ClassView(RegistrySource& classRoot, Wow64Layout layout)
    : inner_(classRoot), layout_(layout), node_(classRoot, classRoot.Root(), "Wow6432Node") {}

RegKey Wow64ClassView::Mapped(RegKey key) const {
  if (layout_ == Wow64Layout::kWine && key == inner_.Root()) return node_ ? node_.get() : 0;
  return key;
}

long Wow64ClassView::OpenKey(RegKey parent, std::string_view path, RegKey* opened) {
  if (layout_ == Wow64Layout::kWindows && parent == inner_.Root() && IsRedirected(path)) {
    if (!node_) {
      *opened = 0;
      return reg_status::kFileNotFound;
    }
    return inner_.OpenKey(node_.get(), path, opened);
  }
  const RegKey mapped = Mapped(parent);
  if (mapped == 0) {
    *opened = 0;
    return reg_status::kFileNotFound;
  }
  return inner_.OpenKey(mapped, path, opened);
}

long Wow64ClassView::EnumKey(RegKey key, std::uint32_t index, std::size_t bufferChars, std::string* name) {
  const RegKey mapped = Mapped(key);
  if (mapped == 0) return reg_status::kNoMoreItems;
  return inner_.EnumKey(mapped, index, bufferChars, name);
}

long Wow64ClassView::QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                                std::uint32_t* size) {
  const RegKey mapped = Mapped(key);
  if (mapped == 0) return reg_status::kFileNotFound;
  return inner_.QueryValue(mapped, name, type, data, size);
}

bool HasWow64Node(RegistrySource& classRoot) {
  return static_cast<bool>(ScopedRegKey(classRoot, classRoot.Root(), "Wow6432Node"));
}

}  // namespace orlix
