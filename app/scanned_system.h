// What the details of a scan need from the system whose class root is scanned, behind a seam:
// the class root and the two class stores in each registry view, the environment and folders
// that a registered path refers to, and whether a file is there. A Wine prefix or a registry
// file answers from its own files; the live system (Windows) from the running machine.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "app/class_root.h"
#include "app/component_details.h"
#include "platform/registry_source.h"

namespace orlix {

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

// The scanned system's environment and folders, in Windows' own notation ("C:\windows").
struct SystemFacts {
  bool twoViews = false;                 // a 64-bit system: a 64-bit and a 32-bit view
  std::string windowsFolder = "C:\\windows";
  // Variables as the system's processes see them, already expanded. On a 64-bit system
  // ProgramFiles and CommonProgramFiles are the 64-bit folders; the 32-bit ones are under
  // "ProgramFiles(x86)" and "CommonProgramFiles(x86)".
  std::map<std::string, std::string, NoCaseLess> environment;
};

// Whether the file at a Windows path is there.
class FileProbe {
 public:
  virtual ~FileProbe() = default;
  // kPresent for a file (not a folder), kMissing when there is none, kUnknown when the path
  // cannot be looked at (no such drive, a network path, or no files at all).
  virtual FileState Probe(const std::string& windowsPath) = 0;
};

// One class-root choice, opened for a details scan.
class ScannedSystem {
 public:
  virtual ~ScannedSystem() = default;

  virtual const SystemFacts& Facts() const = 0;
  // The view that the class root shows without a choice: the program's own on the live
  // system, the root view of a file.
  virtual RegistryView OwnView() const = 0;
  // The merged class root in a view. Throws ClassRootError for a view the system lacks.
  virtual RegistrySource& ClassRoot(RegistryView view) = 0;
  // Whether the user's classes alone, or the machine's alone, define the ProgID (its Clsid key)
  // or its class registration in a view, whatever the class root merges.
  virtual bool UserDefines(RegistryView view, const std::string& progId, const std::string& clsid) = 0;
  virtual bool MachineDefines(RegistryView view, const std::string& progId, const std::string& clsid) = 0;
  virtual FileProbe& Files() = 0;
  virtual std::string Warning() const = 0;
};

// Whether a class store (the user's or the machine's classes) defines the ProgID's Clsid key or
// the class registration; false for no store.
bool StoreDefines(RegistrySource* store, const std::string& progId, const std::string& clsid);

// The same for many components: the store's names and class registrations are listed once, so
// that most answers are a lookup rather than two keys opened (a round trip each on Wine).
class ClassStoreIndex {
 public:
  explicit ClassStoreIndex(RegistrySource* store);
  bool Defines(const std::string& progId, const std::string& clsid);

 private:
  RegistrySource* store_;
  std::set<std::string, NoCaseLess> names_;
  std::set<std::string, NoCaseLess> classes_;
};

// Opens the chosen class root for a details scan. Throws ClassRootError.
std::unique_ptr<ScannedSystem> OpenScannedSystem(const ClassRootChoice& choice);
// The class root used when none is chosen (live on Windows, else the default Wine prefix).
std::unique_ptr<ScannedSystem> OpenDefaultScannedSystem();
// A Wine prefix folder, or a registry export or hive file given alone.
std::unique_ptr<ScannedSystem> OpenWinePrefixSystem(const std::string& dir);
std::unique_ptr<ScannedSystem> OpenRegistryFileSystem(const std::string& path);

// The details scan over an opened system (the testable core of ScanComponentsWithDetails).
ComponentScan ScanSystemWithDetails(ScannedSystem& system, ViewChoice view);

}  // namespace orlix
