#include <windows.h>

#include <vector>

#include "platform/ansi_win.h"
#include "platform/file_system.h"
#include "platform/file_system_win.h"
#include "platform/unique_handle_win.h"

namespace orlix {

std::string SystemErrorDescription(unsigned long code) {
  char* buffer = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  const UniqueHlocal owned(buffer);
  std::string text;
  if (n != 0 && buffer) text.assign(buffer, n);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
  if (text.empty()) return "Error " + std::to_string(code);
  return AnsiToUtf8(text);
}

namespace {

// Runs a folder query with the customary 255-character buffer. A path that does not fit is
// fetched again with the size the call asks for instead of being lost.
template <typename Query>
std::string QueryFolder(Query query) {
  std::vector<char> buffer(kFolderBufferChars, '\0');
  DWORD n = query(static_cast<DWORD>(buffer.size()), buffer.data());
  if (n >= buffer.size()) {
    buffer.assign(n + 1, '\0');
    n = query(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n >= buffer.size()) return std::string();
  }
  if (n == 0) return std::string();
  return AnsiToUtf8(std::string(buffer.data(), n)) + '\0';
}

class Win32FileSystem : public FileSystem {
 public:
  char PathSeparator() const override { return '\\'; }

  std::string TempPathBuffer() override {
    return QueryFolder([](DWORD size, char* buffer) { return GetTempPathA(size, buffer); });
  }

  std::string WindowsDirectoryBuffer() override {
    return QueryFolder([](DWORD size, char* buffer) { return static_cast<DWORD>(GetWindowsDirectoryA(buffer, size)); });
  }

  PathState StatePath(const std::string& path) override {
    if (path.empty()) return PathState::Missing;
    const DWORD attributes = GetFileAttributesA(Utf8ToAnsi(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathState::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathState::Directory;
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return PathState::HiddenOrSystem;
    return PathState::NormalFile;
  }

  bool RemoveFile(const std::string& path) override {
    const std::string ansi = Utf8ToAnsi(path);
    if (path.empty() || !SetFileAttributesA(ansi.c_str(), FILE_ATTRIBUTE_NORMAL)) return false;
    return DeleteFileA(ansi.c_str()) != FALSE;
  }

  WriteResult WriteNewFile(const std::string& path, const std::string& bytes, std::string* error) override {
    return WriteNewFileInPieces(path, [&bytes](const PieceSink& sink) { sink(bytes); }, error);
  }

  WriteResult WriteNewFileInPieces(const std::string& path, const std::function<void(const PieceSink&)>& produce,
                                   std::string* error) override {
    const std::string ansi = Utf8ToAnsi(path);
    UniqueFile file(CreateFileA(ansi.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD code = GetLastError();
      if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) return WriteResult::AlreadyExists;
      if (error) *error = SystemErrorDescription(code);
      return WriteResult::Failed;
    }
    // After a failed write the later pieces are dropped: the file is removed below.
    DWORD code = ERROR_SUCCESS;
    const auto sink = [&file, &code](std::string_view bytes) {
      const char* data = bytes.data();
      std::size_t left = bytes.size();
      while (left > 0 && code == ERROR_SUCCESS) {
        const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(file.get(), data, chunk, &written, nullptr)) {
          code = GetLastError();
        } else if (written == 0) {
          code = ERROR_WRITE_FAULT;
        } else {
          data += written;
          left -= written;
        }
      }
    };
    try {
      produce(sink);
    } catch (...) {
      file.reset();
      DeleteFileA(ansi.c_str());
      throw;
    }
    // The file may replace an older one next: its bytes must be on disk before that.
    if (code == ERROR_SUCCESS && !FlushFileBuffers(file.get())) code = GetLastError();
    file.reset();
    if (code != ERROR_SUCCESS) {
      DeleteFileA(ansi.c_str());
      if (error) *error = SystemErrorDescription(code);
      return WriteResult::Failed;
    }
    return WriteResult::Written;
  }

  bool ReplaceFile(const std::string& source, const std::string& target, std::string* error) override {
    const std::string from = Utf8ToAnsi(source);
    const std::string to = Utf8ToAnsi(target);
    // A read-only, hidden or system target would refuse the move; such files were always
    // overwritten after their attributes were reset, so reset them, and restore them on failure.
    const DWORD old = GetFileAttributesA(to.c_str());
    const DWORD blocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const bool reset = old != INVALID_FILE_ATTRIBUTES && !(old & FILE_ATTRIBUTE_DIRECTORY) && (old & blocking);
    if (reset) SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD code = GetLastError();
    if (reset) SetFileAttributesA(to.c_str(), old);
    if (error) *error = SystemErrorDescription(code);
    return false;
  }
};

}  // namespace

void AppendNonAsciiFileBytes(std::string& out, std::string_view run) { out += Utf8ToAnsi(std::string(run)); }

FileSystem& LocalFileSystem() {
  static Win32FileSystem instance;
  return instance;
}

}  // namespace orlix
