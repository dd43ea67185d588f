// What the scan can tell about each component beyond its five columns: which server key gave the
// file path, the file that path names on the scanned system and whether it is there, the registry
// view the row came from, and whether the user's classes define or shadow it. Every front end
// (the console tool, the main window) asks for them here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/class_root.h"
#include "base/variant.h"

namespace orlix {

enum class FileState { kUnknown, kPresent, kMissing };
enum class RegistryView { k32, k64 };
enum class ClassScope { kMachine, kUser, kUserOverMachine };

// Which view(s) to scan: the program's own (the default), one named view, or both.
enum class ViewChoice { kOwn, k32, k64, kBoth };

struct ComponentDetails {
  std::string server;        // "InprocServer32", "LocalServer32", ...; empty when none gave the path
  std::string resolvedPath;  // the file on the scanned system, as Windows writes it; empty if none
  FileState file = FileState::kUnknown;
  RegistryView view = RegistryView::k32;
  ClassScope scope = ClassScope::kMachine;
};

// The texts the console tool, JSON snapshots and diff use: "present"/"missing"/"unknown",
// "32"/"64", "machine"/"user"/"user-over-machine".
const char* FileStateText(FileState state);
const char* RegistryViewText(RegistryView view);
const char* ClassScopeText(ClassScope scope);

// The detail columns, after the five of kComponentFieldMask.
constexpr std::int32_t kDetailColumnCount = 5;
extern const char* const kDetailColumnNames[kDetailColumnCount];  // Server, Resolved Path, File, View, Scope

struct ComponentScan {
  // The five fields exactly as BuildComponentList gives them; with both views, the rows of the
  // 32-bit view first, then those of the 64-bit view.
  VariantArray data = VariantArray::TwoDimensional(5, 0);
  std::vector<ComponentDetails> details;  // one per row of data
  std::string warning;                    // as OpenedClassRoot::warning
};

// Scans the chosen class root in the chosen view(s), with the details of every row. Throws
// ClassRootError, also for a view the source does not have.
ComponentScan ScanComponentsWithDetails(const ClassRootChoice& choice, ViewChoice view = ViewChoice::kOwn);

}  // namespace orlix
