// A class root read from files, for machines without a registry: registry exports (.reg) and
// Wine prefixes (system.reg, user.reg). Answers the RegistrySource calls with the live narrow
// API's semantics: case-insensitive paths, subkeys in the registry's own order, default values,
// string values with their terminator and ANSI byte sizes, kMoreData for a value or a name that
// does not fit the caller's buffer.
//
// The user's classes (HKEY_CURRENT_USER\Software\Classes, user.reg) are merged over the
// machine's (HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE\Software\Classes, system.reg): subkeys of
// both appear, and where both hold a value of one name the user's is read.
//
// Errors: a file that cannot be used at all throws RegistryFileError (file, line, message): a
// missing or unreadable file, a file that is neither an export nor a hive, binary data. Malformed
// lines inside a recognised file are skipped line by line and listed in Warnings(), the way
// regedit and Wine's loader carry on past them; with strict loading the first one throws instead.
// See reg_export_reader.h and wine_hive_reader.h for the cases of each format.
//
// The loaded tree is immutable; handles are cheap indices. Root() is the fixed handle 0x80000000
// (HKEY_CLASSES_ROOT's value), which CloseKey accepts and ignores. A handle stays valid until it
// is closed; a closed or unknown handle gives kInvalidHandle. Calls may come from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/regfile/reg_diagnostics.h"
#include "platform/regfile/reg_text.h"
#include "platform/registry_source.h"

namespace orlix {

namespace regfile {
struct RegTree;
}

struct RegistryFileOptions {
  // Enumeration order and name matching: Wine's registry folds to lower case, Windows' to upper
  // case; the two differ only for names with characters between 'Z' and 'a' ("[\]^_`").
  regfile::KeyFold keyOrder = regfile::KeyFold::kLower;
  // The ANSI code page that names and strings are seen through.
  regfile::AnsiCodePage codePage = regfile::AnsiCodePage::kWindows1252;
  // Throw RegistryFileError at the first malformed line instead of skipping it.
  bool strict = false;
};

class FileRegistrySource final : public RegistrySource {
 public:
  static constexpr RegKey kRootHandle = 0x80000000u;

  FileRegistrySource(std::shared_ptr<const regfile::RegTree> tree, std::vector<RegistryFileWarning> warnings);

  RegKey Root() const override { return kRootHandle; }
  long OpenKey(RegKey parent, std::string_view path, RegKey* opened) override;
  long EnumKey(RegKey key, std::uint32_t index, std::size_t bufferChars, std::string* name) override;
  // data may be null to ask for the size only, as with the live registry.
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                  std::uint32_t* size) override;
  long CloseKey(RegKey key) override;

  // The lines that were skipped while loading.
  const std::vector<RegistryFileWarning>& Warnings() const { return warnings_; }
  // Handles opened and not yet closed (Root() not counted): a reader that leaks keys shows here.
  std::size_t OpenHandleCount() const;
  // Keys in the class root, the root included.
  std::size_t KeyCount() const;

 private:
  struct Slot {
    std::uint32_t key = 0;
    std::uint32_t generation = 0;
    bool open = false;
  };

  // The tree index behind a handle, or -1.
  std::int64_t Resolve(RegKey handle) const;
  std::uint32_t FollowLinks(std::uint32_t key) const;
  // A name as the registry sees it after the narrow API's round trip through the ANSI code page.
  std::string_view NarrowName(std::string_view utf8, std::string* storage) const;

  std::shared_ptr<const regfile::RegTree> tree_;
  std::vector<RegistryFileWarning> warnings_;
  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
  std::vector<std::uint32_t> freeSlots_;
  std::size_t openCount_ = 0;
};

// Builds one class root from any number of files; later files override earlier ones.
class RegistryFileLoader {
 public:
  explicit RegistryFileLoader(RegistryFileOptions options = {});
  ~RegistryFileLoader();

  // A registry export given by its path, or by its bytes with the name to report in messages.
  void AddExport(const std::string& path);
  void AddExportBytes(const std::string& name, const std::string& bytes);
  // A Wine hive; its classes go where its "relative to" line says (the machine's by default).
  void AddWineHive(const std::string& path);
  void AddWineHiveBytes(const std::string& name, const std::string& bytes);
  // A Wine prefix directory: system.reg, then user.reg (either may be missing, not both).
  void AddWinePrefix(const std::string& dir);
  // A directory is a Wine prefix; a file is an export or a hive, told by its first line.
  void AddAuto(const std::string& path);

  std::unique_ptr<FileRegistrySource> Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

std::unique_ptr<FileRegistrySource> LoadRegistryExport(const std::string& path, const RegistryFileOptions& options = {});
std::unique_ptr<FileRegistrySource> LoadWineHive(const std::string& path, const RegistryFileOptions& options = {});
std::unique_ptr<FileRegistrySource> LoadWinePrefix(const std::string& dir, const RegistryFileOptions& options = {});
// Export, hive or prefix, whichever the path holds.
std::unique_ptr<FileRegistrySource> LoadRegistryFile(const std::string& path, const RegistryFileOptions& options = {});

// The whole content of a file; throws RegistryFileError when it cannot be read.
std::string ReadRegistryFileBytes(const std::string& path);

}  // namespace orlix
