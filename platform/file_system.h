// The file-system seam of the report files: the temporary and Windows folders, the existence
// test, writing, replacing and deleting files. Paths and texts are UTF-8; each implementation
// converts at its own boundary.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace orlix {

// Buffer size, in characters, of the folder queries (GetTempPathA, GetWindowsDirectoryA).
constexpr unsigned kFolderBufferChars = 255;

enum class PathState {
  Missing,         // nothing there, or the test itself failed
  NormalFile,      // a file that is neither hidden nor a system file
  HiddenOrSystem,  // a file carrying the hidden or the system attribute
  Directory,
};

enum class WriteResult { Written, AlreadyExists, Failed };

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // '\\' on Windows, '/' elsewhere: joins a folder and a file name.
  virtual char PathSeparator() const = 0;

  // The folder texts as the platform writes them into a buffer of kFolderBufferChars
  // characters: the path, its NUL terminator and nothing after it. Empty when the query fails.
  virtual std::string TempPathBuffer() = 0;
  virtual std::string WindowsDirectoryBuffer() = 0;

  virtual PathState StatePath(const std::string& path) = 0;

  // Resets the attributes to normal, then deletes. False on any failure (missing file too).
  virtual bool RemoveFile(const std::string& path) = 0;

  // Creates a file that must not exist yet and writes the bytes, unchanged, then closes it.
  // AlreadyExists leaves the existing file untouched; Failed removes any partial file and puts
  // the platform's description of the error in *error.
  virtual WriteResult WriteNewFile(const std::string& path, const std::string& bytes, std::string* error) = 0;

  // Receives the bytes of a file being written, piece by piece.
  using PieceSink = std::function<void(std::string_view bytes)>;
  // WriteNewFile for bytes that `produce` hands to its sink in pieces, so that they are never
  // all held at once. The machine's file systems run `produce` only once the file is created;
  // an exception from it removes the partial file and passes on. This default gathers the
  // pieces and writes them in one.
  virtual WriteResult WriteNewFileInPieces(const std::string& path, const std::function<void(const PieceSink&)>& produce,
                                           std::string* error) {
    std::string bytes;
    produce([&bytes](std::string_view piece) { bytes.append(piece); });
    return WriteNewFile(path, bytes, error);
  }

  // Moves `source` over `target` in one step (the target may exist; its read-only, hidden and
  // system attributes do not stop the move). On failure both files are as they were and *error
  // holds the platform's description.
  virtual bool ReplaceFile(const std::string& source, const std::string& target, std::string* error) = 0;
};

// The program's UTF-8 text as the bytes of a report file: the ANSI code page on Windows;
// elsewhere Windows-1252, the code page of the English systems the reports are made for.
// Characters that the code page lacks become '?'.
std::string TextToFileBytes(const std::string& utf8);
// The part of it that differs: a run of bytes from 0x80 up, appended to `out` as the file's bytes.
void AppendNonAsciiFileBytes(std::string& out, std::string_view run);

// The file system of the machine the program runs on.
FileSystem& LocalFileSystem();

}  // namespace orlix
