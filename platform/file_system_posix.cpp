#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/text.h"
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
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      const int code = errno;
      if (code == EEXIST) return WriteResult::AlreadyExists;
      if (error) *error = ErrnoText(code);
      return WriteResult::Failed;
    }
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    int code = 0;
    while (left > 0) {
      const ssize_t n = ::write(fd, data, left);
      if (n < 0) {
        if (errno == EINTR) continue;
        code = errno;
        break;
      }
      data += n;
      left -= static_cast<std::size_t>(n);
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

std::string TextToFileBytes(const std::string& utf8) {
  // Reports are mostly ASCII, which Windows-1252 shares: whole runs of it are copied as they
  // stand, and only the other characters are decoded one by one.
  std::size_t ascii = AsciiPrefixLength(utf8);
  if (ascii == utf8.size()) return utf8;
  std::string out;
  out.reserve(utf8.size());
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = p + utf8.size();
  while (p < end) {
    if (ascii > 0) {
      out.append(reinterpret_cast<const char*>(p), ascii);
      p += ascii;
      if (p == end) break;
    }
    const unsigned char lead = *p;
    int extra = 0;
    char32_t c = lead;
    if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      c = lead & 0x07;
    } else if (lead >= 0xE0) {
      extra = lead <= 0xEF ? 2 : -1;
      c = lead & 0x0F;
    } else if (lead >= 0xC2) {
      extra = 1;
      c = lead & 0x1F;
    } else if (lead >= 0x80) {
      extra = -1;  // a continuation byte or an overlong lead where a character should start
    }
    bool valid = extra >= 0 && end - p > extra;
    for (int i = 1; valid && i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      c = (c << 6) | (p[i] & 0x3F);
    }
    const bool overlong = (extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF));
    if (!valid || overlong || (c >= 0xD800 && c <= 0xDFFF)) {
      out += '?';
      ++p;
    } else {
      out += UnicodeToCp1252(c);
      p += extra + 1;
    }
    ascii = AsciiPrefixLength(std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p)));
  }
  return out;
}

FileSystem& LocalFileSystem() {
  static PosixFileSystem instance;
  return instance;
}

}  // namespace orlix
