#include "app/class_root.h"

#include <exception>

#include "platform/regfile/registry_file.h"

namespace orlix {
namespace {

// The file-backed loaders throw RegistryFileError ("file:line: message") for a file that cannot
// be used; that line is passed on. Skipped malformed lines become one warning line.
template <typename Load>
OpenedClassRoot LoadOrExplain(Load load) {
  std::unique_ptr<FileRegistrySource> source;
  try {
    source = load();
  } catch (const std::exception& e) {
    throw ClassRootError(e.what());
  }
  if (!source) throw ClassRootError("cannot read the registry source");
  OpenedClassRoot opened;
  const auto& skipped = source->Warnings();
  if (!skipped.empty()) {
    opened.warning = std::to_string(skipped.size()) + " malformed line(s) skipped, the first at " +
                     DescribeRegistryFileProblem(skipped[0].file, skipped[0].line, skipped[0].message);
  }
  opened.source = std::move(source);
  return opened;
}

}  // namespace

OpenedClassRoot OpenClassRoot(const ClassRootChoice& choice) {
  if (!choice.registryFile.empty()) return LoadOrExplain([&] { return LoadRegistryFile(choice.registryFile); });
  if (!choice.winePrefix.empty()) return OpenWinePrefixClassRoot(choice.winePrefix);
  return OpenDefaultClassRoot();
}

OpenedClassRoot OpenWinePrefixClassRoot(const std::string& dir) {
  return LoadOrExplain([&] { return LoadWinePrefix(dir); });
}

std::string DefaultWinePrefix(const char* winePrefixVariable, const char* homeVariable) {
  if (winePrefixVariable != nullptr && *winePrefixVariable != '\0') return winePrefixVariable;
  if (homeVariable != nullptr && *homeVariable != '\0') {
    std::string home = homeVariable;
    if (home.back() != '/') home += '/';
    return home + ".wine";
  }
  return std::string();
}

}  // namespace orlix
