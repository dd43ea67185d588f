#include "app/path_resolution.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/text.h"

namespace orlix {
namespace {

const std::string* Variable(const std::string& name, RegistryView view, const SystemFacts& facts) {
  // A process of either bitness on a 64-bit system sees its own Program Files folders.
  const char* alias = nullptr;
  if (facts.twoViews && EqualsNoCase(name, "ProgramFiles"))
    alias = view == RegistryView::k32 ? "ProgramFiles(x86)" : "ProgramW6432";
  if (facts.twoViews && EqualsNoCase(name, "CommonProgramFiles"))
    alias = view == RegistryView::k32 ? "CommonProgramFiles(x86)" : "CommonProgramW6432";
  if (alias != nullptr) {
    const auto found = facts.environment.find(alias);
    if (found != facts.environment.end()) return &found->second;
  }
  const auto found = facts.environment.find(name);
  return found == facts.environment.end() ? nullptr : &found->second;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string WindowsSeparators(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

bool HasDrive(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool IsBareName(const std::string& path) { return path.find_first_of("\\/:") == std::string::npos; }

std::string FileName(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  return text.size() >= n && EqualsNoCase(std::string_view(text).substr(text.size() - n), suffix);
}

// The folder that the 32-bit view's "system32" means on a 64-bit system. The subfolders that
// WOW64 leaves alone stay where they are.
std::string Redirect(const std::string& path, RegistryView view, const SystemFacts& facts) {
  if (!facts.twoViews || view != RegistryView::k32) return path;
  const std::string system32 = facts.windowsFolder + "\\system32";
  if (path.size() < system32.size() || !EqualsNoCase(std::string_view(path).substr(0, system32.size()), system32))
    return path;
  if (path.size() > system32.size() && path[system32.size()] != '\\') return path;
  const std::string rest = ToLowerAscii(std::string_view(path).substr(system32.size()));
  for (const char* exempt : {"\\catroot\\", "\\catroot2\\", "\\driverstore\\", "\\drivers\\etc\\", "\\logfiles\\",
                             "\\spool\\"}) {
    if (rest.compare(0, std::strlen(exempt), exempt) == 0) return path;
  }
  return facts.windowsFolder + "\\SysWOW64" + path.substr(system32.size());
}

class Locator {
 public:
  Locator(RegistryView view, const SystemFacts& facts, FileProbe& files) : view_(view), facts_(facts), files_(files) {}

  // The file a program or library name stands for: a bare name through the search folders,
  // a full path as it is.
  ResolvedFile Locate(std::string name, bool program) {
    name = WindowsSeparators(TrimSpaces(name));
    if (name.empty()) return {};  // "" names nothing
    // CreateProcess adds ".exe" to a name without an extension, LoadLibrary ".dll"; a library
    // name that ends in a dot asks for none.
    if (FileName(name).find('.') == std::string::npos) {
      name += program ? ".exe" : ".dll";
    } else if (!program && name.back() == '.') {
      name.pop_back();
    }
    if (IsBareName(name)) return Search(name);
    std::string path = name;
    if (!HasDrive(path) && path.size() >= 2 && path[0] == '\\' && path[1] != '\\') {
      path = SystemDrive() + path;  // rooted on the current drive, the system's for a server
    } else if (HasDrive(path) && (path.size() == 2 || path[2] != '\\')) {
      path.insert(2, "\\");  // drive-relative: from the drive's root, as a fresh process has it
    } else if (!HasDrive(path) && path.compare(0, 2, "\\\\") != 0) {
      return {path, FileState::kUnknown};  // relative to a folder we cannot know
    }
    path = Redirect(path, view_, facts_);
    return {path, files_.Probe(path)};
  }

 private:
  std::string SystemDrive() const { return facts_.windowsFolder.substr(0, 2); }

  ResolvedFile Search(const std::string& name) {
    std::vector<std::string> folders;
    folders.push_back(facts_.windowsFolder +
                      (facts_.twoViews && view_ == RegistryView::k32 ? "\\SysWOW64" : "\\system32"));
    folders.push_back(facts_.windowsFolder);
    if (const std::string* path = Variable("Path", view_, facts_)) {
      for (std::string folder : Split(*path, ";")) {
        folder = TrimSpaces(folder);
        if (folder.empty() || !(HasDrive(folder) || folder.compare(0, 2, "\\\\") == 0)) continue;
        while (folder.size() > 3 && IsSeparator(folder.back())) folder.pop_back();
        folders.push_back(Redirect(WindowsSeparators(folder), view_, facts_));
      }
    }
    bool unknown = false;
    for (const std::string& folder : folders) {
      std::string candidate = folder;
      if (candidate.back() != '\\') candidate += '\\';
      candidate += name;
      const FileState state = files_.Probe(candidate);
      if (state == FileState::kPresent) return {candidate, state};
      unknown = unknown || state == FileState::kUnknown;
    }
    // Not found: the system folder is where the loader looked first.
    return {folders.front() + "\\" + name, unknown ? FileState::kUnknown : FileState::kMissing};
  }

  RegistryView view_;
  const SystemFacts& facts_;
  FileProbe& files_;
};

}  // namespace

std::string ExpandEnvironment(const std::string& text, RegistryView view, const SystemFacts& facts) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find('%', i);
    if (open == std::string::npos) break;
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string::npos) break;
    out.append(text, i, open - i);
    const std::string name = text.substr(open + 1, close - open - 1);
    const std::string* value = name.empty() ? nullptr : Variable(name, view, facts);
    if (value != nullptr) {
      out += *value;
      i = close + 1;
    } else {
      // As Windows: the unknown reference stays, and its closing '%' may open the next one.
      out += '%';
      out += name;
      i = close;
    }
  }
  out.append(text, i, std::string::npos);
  return out;
}

ResolvedFile ResolveServerFile(const std::string& server, const std::string& filePath, RegistryView view,
                               const SystemFacts& facts, FileProbe& files) {
  // A remote server's value is a machine name, not a file.
  if (server.empty() || EqualsNoCase(server, "RemoteServerName")) return {};
  std::string text = TrimSpaces(ExpandEnvironment(filePath, view, facts));
  while (!text.empty() && text.back() == '\t') text.pop_back();
  if (text.empty()) return {};
  const bool program = server.compare(0, 11, "LocalServer") == 0;
  Locator locator(view, facts, files);
  if (text.front() == '"') {
    const std::size_t close = text.find('"', 1);
    return locator.Locate(text.substr(1, close == std::string::npos ? std::string::npos : close - 1), program);
  }
  if (!program) return locator.Locate(text, false);

  // An unquoted command line: CreateProcess tries each run of words up to a blank, shortest
  // first, and starts the first that is a file.
  std::vector<std::string> candidates;
  for (std::size_t blank = text.find_first_of(" \t"); blank != std::string::npos;
       blank = text.find_first_of(" \t", blank + 1)) {
    if (blank > 0) candidates.push_back(text.substr(0, blank));
  }
  candidates.push_back(text);
  ResolvedFile fallback;
  bool haveFallback = false;
  for (const std::string& candidate : candidates) {
    ResolvedFile found = locator.Locate(candidate, true);
    if (found.file == FileState::kPresent) return found;
    // None there: the first run of words that names a program is the one meant.
    if (!haveFallback && EndsWithNoCase(candidate, ".exe")) {
      fallback = std::move(found);
      haveFallback = true;
    }
  }
  return haveFallback ? fallback : locator.Locate(candidates.front(), true);
}

}  // namespace orlix
