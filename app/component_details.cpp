#include "app/component_details.h"

#include <utility>

#include "app/component_scan.h"
#include "app/path_resolution.h"
#include "app/registry_api.h"
#include "app/scanned_system.h"
#include "platform/registry_key.h"

namespace orlix {

const char* const kDetailColumnNames[kDetailColumnCount] = {"Server", "Resolved Path", "File", "View", "Scope"};

const char* FileStateText(FileState state) {
  switch (state) {
    case FileState::kPresent: return "present";
    case FileState::kMissing: return "missing";
    case FileState::kUnknown: break;
  }
  return "unknown";
}

const char* RegistryViewText(RegistryView view) { return view == RegistryView::k64 ? "64" : "32"; }

const char* ClassScopeText(ClassScope scope) {
  switch (scope) {
    case ClassScope::kUser: return "user";
    case ClassScope::kUserOverMachine: return "user-over-machine";
    case ClassScope::kMachine: break;
  }
  return "machine";
}

namespace {

std::vector<RegistryView> ViewsOf(ScannedSystem& system, ViewChoice choice) {
  switch (choice) {
    case ViewChoice::kOwn: return {system.OwnView()};
    case ViewChoice::k32: return {RegistryView::k32};
    case ViewChoice::k64: return {RegistryView::k64};
    case ViewChoice::kBoth: break;
  }
  // Both views of a system that has only one are that one.
  if (!system.Facts().twoViews) return {system.OwnView()};
  return {RegistryView::k32, RegistryView::k64};
}

}  // namespace

bool StoreDefines(RegistrySource* store, const std::string& progId, const std::string& clsid) {
  if (store == nullptr) return false;
  if (ScopedRegKey(*store, store->Root(), progId + "\\Clsid")) return true;
  return !clsid.empty() && static_cast<bool>(ScopedRegKey(*store, store->Root(), "CLSID\\" + clsid));
}

ClassStoreIndex::ClassStoreIndex(RegistrySource* store) : store_(store) {
  if (store_ == nullptr) return;
  const std::vector<std::string> names = EnumSubKeyNames(*store_, store_->Root(), std::string());
  names_.insert(names.begin() + 1, names.end());
  const std::vector<std::string> classes = EnumSubKeyNames(*store_, store_->Root(), "CLSID");
  classes_.insert(classes.begin() + 1, classes.end());
}

bool ClassStoreIndex::Defines(const std::string& progId, const std::string& clsid) {
  if (store_ == nullptr) return false;
  if (classes_.count(clsid) > 0) return true;
  return names_.count(progId) > 0 && static_cast<bool>(ScopedRegKey(*store_, store_->Root(), progId + "\\Clsid"));
}

ComponentScan ScanSystemWithDetails(ScannedSystem& system, ViewChoice choice) {
  const std::vector<RegistryView> views = ViewsOf(system, choice);
  for (RegistryView view : views) system.ClassRoot(view);  // a view the system lacks fails first

  ComponentScan scan;
  scan.warning = system.Warning();
  std::vector<VariantArray> parts;
  std::vector<std::string> servers;
  for (RegistryView view : views) {
    VariantArray data = BuildComponentList(system.ClassRoot(view), &servers);
    const std::int32_t rows = data.UpperBound(1) + 1;
    for (std::int32_t r = 0; r < rows; ++r) {
      const std::string progId(data.At(component_field::kProgId, r).Text());
      const std::string clsid(data.At(component_field::kClsid, r).Text());
      ComponentDetails details;
      details.server = std::move(servers[static_cast<std::size_t>(r)]);
      const std::string filePath(data.At(component_field::kFilePath, r).Text());
      ResolvedFile resolved = ResolveServerFile(details.server, filePath, view, system.Facts(), system.Files());
      details.resolvedPath = std::move(resolved.path);
      details.file = resolved.file;
      details.view = view;
      if (system.UserDefines(view, progId, clsid)) {
        details.scope =
            system.MachineDefines(view, progId, clsid) ? ClassScope::kUserOverMachine : ClassScope::kUser;
      }
      scan.details.push_back(std::move(details));
    }
    parts.push_back(std::move(data));
  }

  if (parts.size() == 1) {
    scan.data = std::move(parts.front());
    return scan;
  }
  std::vector<Variant> cells;
  cells.reserve(scan.details.size() * component_field::kCount);
  for (VariantArray& part : parts) {
    const std::int32_t rows = part.UpperBound(1) + 1;
    for (std::int32_t r = 0; r < rows; ++r) {
      for (std::int32_t field = 0; field < component_field::kCount; ++field) cells.push_back(std::move(part.At(field, r)));
    }
  }
  scan.data = VariantArray::TwoDimensional(component_field::kCount, static_cast<std::int32_t>(scan.details.size()),
                                           std::move(cells));
  return scan;
}

ComponentScan ScanComponentsWithDetails(const ClassRootChoice& choice, ViewChoice view) {
  std::unique_ptr<ScannedSystem> system = OpenScannedSystem(choice);
  return ScanSystemWithDetails(*system, view);
}

}  // namespace orlix
