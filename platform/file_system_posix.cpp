#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/text_encoding.h"
#include "platform/file_system.h"

namespace orlix {
namespace {

std::string ErrnoText(int code) { return std::strerror(code); }

// Folders as the Windows queries return them: a trailing separator, then the terminator.
std::string FolderBuffer(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  std::string folder = value && *value ? value : fallback;
  if (folder.empty()) return std::string();
  if (folder.back() != '/') folder += '/';
  return folder + '\0';
}

class PosixFileSystem : public FileSystem {
 public:
  char PathSeparator() const override { return '/'; }

  std::string TempPathBuffer() override { return FolderBuffer("TMPDIR", "/tmp"); }

  // There is no Windows folder here; a Wine or Windows tree may be named by WINDIR.
  std::string WindowsDirectoryBuffer() override { return FolderBuffer("WINDIR", ""); }

  PathState StatePath(const std::string& path) override {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return PathState::Missing;
    if (S_ISDIR(st.st_mode)) return PathState::Directory;
    // Devices, pipes and sockets exist but are not files a report may quietly replace.
    return S_ISREG(st.st_mode) ? PathState::NormalFile : PathState::HiddenOrSystem;
  }

  bool RemoveFile(const std::string& path) override {
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
  }

  WriteResult WriteNewFile(const std::string& path, const std::string& bytes, std::string* error) override {
    return WriteNewFileInPieces(path, [&bytes](const PieceSink& sink) { sink(bytes); }, error);
  }

  WriteResult WriteNewFileInPieces(const std::string& path, const std::function<void(const PieceSink&)>& produce,
                                   std::string* error) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      const int code = errno;
      if (code == EEXIST) return WriteResult::AlreadyExists;
      if (error) *error = ErrnoText(code);
      return WriteResult::Failed;
    }
    // After a failed write the later pieces are dropped: the file is removed below.
    int code = 0;
    const auto sink = [fd, &code](std::string_view bytes) {
      const char* data = bytes.data();
      std::size_t left = bytes.size();
      while (left > 0 && code == 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
          if (errno != EINTR) code = errno;
          continue;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
      }
    };
    try {
      produce(sink);
    } catch (...) {
      ::close(fd);
      ::unlink(path.c_str());
      throw;
    }
    // The file may replace an older one next: its bytes must be on disk before that.
    if (code == 0 && ::fsync(fd) != 0 && errno != EINVAL) code = errno;
    if (::close(fd) != 0 && code == 0) code = errno;
    if (code != 0) {
      ::unlink(path.c_str());
      if (error) *error = ErrnoText(code);
      return WriteResult::Failed;
    }
    return WriteResult::Written;
  }

  bool ReplaceFile(const std::string& source, const std::string& target, std::string* error) override {
    if (::rename(source.c_str(), target.c_str()) == 0) return true;
    if (error) *error = ErrnoText(errno);
    return false;
  }
};

}  // namespace

void AppendNonAsciiFileBytes(std::string& out, std::string_view run) {
  for (std::size_t pos = 0; pos < run.size();) {
    char32_t c = 0;
    out += DecodeUtf8(run, &pos, &c) ? UnicodeToCp1252(c) : '?';
  }
}

FileSystem& LocalFileSystem() {
  static PosixFileSystem instance;
  return instance;
}

}  // namespace orlix
