#include "platform/regfile/registry_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/regfile/reg_export_reader.h"
#include "platform/regfile/reg_tree.h"
#include "platform/regfile/wine_hive_reader.h"

namespace orlix {
namespace {

constexpr long kBadPathname = 161;          // ERROR_BAD_PATHNAME: a path that starts with '\'
constexpr long kNoSystemResources = 1450;   // ERROR_NO_SYSTEM_RESOURCES: handle table full
constexpr std::uint32_t kSlotBits = 20;
constexpr std::uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr std::uint32_t kGenerationMask = 0x3FF;  // bits 20-29; bit 31 is the root's
constexpr int kMaxLinkHops = 16;

bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

FileRegistrySource::FileRegistrySource(std::shared_ptr<const regfile::RegTree> tree,
                                       std::vector<RegistryFileWarning> warnings)
    : tree_(std::move(tree)), warnings_(std::move(warnings)) {}

std::int64_t FileRegistrySource::Resolve(RegKey handle) const {
  if (handle == kRootHandle) return 0;
  const std::uint32_t slot = static_cast<std::uint32_t>(handle & kSlotMask);
  const std::uint32_t generation = static_cast<std::uint32_t>(handle >> kSlotBits);
  if (slot == 0 || slot > slots_.size() || (handle >> kSlotBits) > kGenerationMask) return -1;
  const Slot& s = slots_[slot - 1];
  if (!s.open || s.generation != generation) return -1;
  return s.key;
}

std::uint32_t FileRegistrySource::FollowLinks(std::uint32_t key) const {
  for (int hops = 0; hops < kMaxLinkHops && tree_->keys[key].linkTarget >= 0; ++hops) {
    key = static_cast<std::uint32_t>(tree_->keys[key].linkTarget);
  }
  return key;
}

std::string_view FileRegistrySource::NarrowName(std::string_view utf8, std::string* storage) const {
  if (IsAscii(utf8)) return utf8;
  const std::string ansi = regfile::Utf16ToAnsi(regfile::Utf8ToUtf16(utf8), tree_->codePage);
  *storage = regfile::NameFromUtf16(regfile::AnsiToUtf16(ansi, tree_->codePage));
  return *storage;
}

long FileRegistrySource::OpenKey(RegKey parent, std::string_view path, RegKey* opened) {
  if (!opened) return reg_status::kInvalidParameter;
  *opened = 0;
  std::lock_guard<std::mutex> lock(mutex_);
  const std::int64_t start = Resolve(parent);
  if (start < 0) return reg_status::kInvalidHandle;
  if (!path.empty() && path.front() == '\\') return kBadPathname;
  std::uint32_t key = FollowLinks(static_cast<std::uint32_t>(start));
  std::size_t from = 0;
  std::string storage;
  const std::string_view whole = path;
  while (from < whole.size()) {
    std::size_t end = whole.find('\\', from);
    if (end == std::string_view::npos) end = whole.size();
    if (end > from) {
      const std::int32_t child = tree_->FindChild(key, NarrowName(whole.substr(from, end - from), &storage));
      if (child < 0) return reg_status::kFileNotFound;
      key = FollowLinks(static_cast<std::uint32_t>(child));
    }
    from = end + 1;
  }

  std::uint32_t slot = 0;
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    if (slots_.size() >= kSlotMask) return kNoSystemResources;
    slots_.emplace_back();
    slot = static_cast<std::uint32_t>(slots_.size());
  }
  Slot& s = slots_[slot - 1];
  s.key = key;
  s.open = true;
  ++openCount_;
  *opened = (static_cast<RegKey>(s.generation) << kSlotBits) | slot;
  return reg_status::kSuccess;
}

long FileRegistrySource::EnumKey(RegKey key, std::uint32_t index, std::size_t bufferChars, std::string* name) {
  std::int64_t at;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    at = Resolve(key);
  }
  if (at < 0) return reg_status::kInvalidHandle;
  if (name) name->clear();
  const regfile::RegTree::Key& k = tree_->keys[static_cast<std::size_t>(at)];
  if (index >= k.childCount) return reg_status::kNoMoreItems;
  const regfile::RegTree::Key& child = tree_->keys[k.firstChild + index];
  // The name and its terminator must fit.
  const std::string_view written = child.name;
  if (IsAscii(written)) {
    if (written.size() >= bufferChars) return reg_status::kMoreData;
    if (name) name->assign(written);
    return reg_status::kSuccess;
  }
  std::size_t length = 0;
  std::string narrow = tree_->NarrowName(child, &length);
  if (length >= bufferChars) return reg_status::kMoreData;
  if (name) *name = std::move(narrow);
  return reg_status::kSuccess;
}

long FileRegistrySource::QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::string* data,
                                    std::uint32_t* size) {
  std::int64_t at;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    at = Resolve(key);
  }
  if (at < 0) return reg_status::kInvalidHandle;
  if (data && !size) return reg_status::kInvalidParameter;
  std::string storage;
  const regfile::ValueData* value = tree_->FindValue(static_cast<std::uint32_t>(at), NarrowName(name, &storage));
  if (!value) return reg_status::kFileNotFound;
  if (type) *type = value->type;
  if (!size) return reg_status::kSuccess;
  std::uint32_t narrowSize = 0;
  if (!data) {
    regfile::DecodeValue(*value, tree_->codePage, nullptr, &narrowSize);
    *size = narrowSize;
    return reg_status::kSuccess;
  }
  // Data is decoded only when asked for.
  regfile::DecodeValue(*value, tree_->codePage, data, &narrowSize);
  if (narrowSize > *size) {
    *size = narrowSize;
    data->clear();
    return reg_status::kMoreData;
  }
  *size = narrowSize;
  return reg_status::kSuccess;
}

long FileRegistrySource::CloseKey(RegKey key) {
  if (key == kRootHandle) return reg_status::kSuccess;
  std::lock_guard<std::mutex> lock(mutex_);
  if (Resolve(key) < 0) return reg_status::kInvalidHandle;
  const auto slot = static_cast<std::uint32_t>(key & kSlotMask);
  Slot& s = slots_[slot - 1];
  s.open = false;
  s.generation = (s.generation + 1) & kGenerationMask;
  freeSlots_.push_back(slot);
  --openCount_;
  return reg_status::kSuccess;
}

std::size_t FileRegistrySource::OpenHandleCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return openCount_;
}

std::size_t FileRegistrySource::KeyCount() const { return tree_->keys.size(); }

std::string ReadRegistryFileBytes(const std::string& path) {
  const std::filesystem::path p = std::filesystem::u8path(path);
  std::error_code ec;
  if (!std::filesystem::exists(p, ec)) throw RegistryFileError(path, 0, "no such file");
  if (std::filesystem::is_directory(p, ec)) throw RegistryFileError(path, 0, "is a directory, not a file");
  std::ifstream in(p, std::ios::binary);
  if (!in) throw RegistryFileError(path, 0, "cannot open the file for reading");
  // One buffer of the file's size, filled in one read; a file that grows meanwhile reads on.
  std::string bytes;
  const auto size = std::filesystem::file_size(p, ec);
  if (!ec) {
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw RegistryFileError(path, 0, "error while reading the file");
  }
  if (in) bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) throw RegistryFileError(path, 0, "error while reading the file");
  return bytes;
}

struct RegistryFileLoader::State {
  explicit State(const RegistryFileOptions& o)
      : options(o), builder(o.keyOrder, o.codePage), diagnostics(o.strict) {}
  RegistryFileOptions options;
  regfile::RegTreeBuilder builder;
  regfile::Diagnostics diagnostics;
};

RegistryFileLoader::RegistryFileLoader(RegistryFileOptions options) : state_(std::make_unique<State>(options)) {}
RegistryFileLoader::~RegistryFileLoader() = default;

void RegistryFileLoader::AddExport(const std::string& path) {
  regfile::ReadRegistryExport(path, ReadRegistryFileBytes(path), &state_->builder, &state_->diagnostics);
}

void RegistryFileLoader::AddExportBytes(const std::string& name, const std::string& bytes) {
  regfile::ReadRegistryExport(name, bytes, &state_->builder, &state_->diagnostics);
}

void RegistryFileLoader::AddWineHive(const std::string& path) {
  regfile::ReadWineHive(path, ReadRegistryFileBytes(path), &state_->builder, &state_->diagnostics);
}

void RegistryFileLoader::AddWineHiveBytes(const std::string& name, const std::string& bytes) {
  regfile::ReadWineHive(name, bytes, &state_->builder, &state_->diagnostics);
}

void RegistryFileLoader::AddWinePrefix(const std::string& dir) {
  const std::filesystem::path root = std::filesystem::u8path(dir);
  std::error_code ec;
  if (!std::filesystem::is_directory(root, ec)) throw RegistryFileError(dir, 0, "no such directory");
  bool any = false;
  const std::pair<const char*, regfile::Layer> hives[] = {{"system.reg", regfile::Layer::kMachine},
                                                          {"user.reg", regfile::Layer::kUser}};
  for (const auto& [file, layer] : hives) {
    const std::filesystem::path p = root / file;
    if (!std::filesystem::exists(p, ec)) continue;
    const std::string name = p.u8string();
    regfile::ReadWineHive(name, ReadRegistryFileBytes(name), &state_->builder, &state_->diagnostics, layer);
    any = true;
  }
  if (!any) throw RegistryFileError(dir, 0, "not a Wine prefix: neither system.reg nor user.reg is there");
}

void RegistryFileLoader::AddAuto(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(std::filesystem::u8path(path), ec)) return AddWinePrefix(path);
  std::string bytes = ReadRegistryFileBytes(path);
  if (regfile::LooksLikeWineHive(bytes)) {
    return regfile::ReadWineHive(path, std::move(bytes), &state_->builder, &state_->diagnostics);
  }
  if (regfile::LooksLikeRegistryExport(bytes)) {
    return regfile::ReadRegistryExport(path, std::move(bytes), &state_->builder, &state_->diagnostics);
  }
  throw RegistryFileError(path, 1, "neither a registry export nor a Wine registry hive");
}

std::unique_ptr<FileRegistrySource> RegistryFileLoader::Finish() {
  return std::make_unique<FileRegistrySource>(state_->builder.Freeze(), state_->diagnostics.Take());
}

std::unique_ptr<FileRegistrySource> LoadRegistryExport(const std::string& path, const RegistryFileOptions& options) {
  RegistryFileLoader loader(options);
  loader.AddExport(path);
  return loader.Finish();
}

std::unique_ptr<FileRegistrySource> LoadWineHive(const std::string& path, const RegistryFileOptions& options) {
  RegistryFileLoader loader(options);
  loader.AddWineHive(path);
  return loader.Finish();
}

std::unique_ptr<FileRegistrySource> LoadWinePrefix(const std::string& dir, const RegistryFileOptions& options) {
  RegistryFileLoader loader(options);
  loader.AddWinePrefix(dir);
  return loader.Finish();
}

std::unique_ptr<FileRegistrySource> LoadRegistryFile(const std::string& path, const RegistryFileOptions& options) {
  RegistryFileLoader loader(options);
  loader.AddAuto(path);
  return loader.Finish();
}

}  // namespace orlix
