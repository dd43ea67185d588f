// Errors and warnings of the registry-file readers: each names the file and the line.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace orlix {

// A file that cannot be used at all (missing, unreadable, not a registry file, binary data),
// or, when loading strictly, the first malformed line. line is 0 when no line applies.
class RegistryFileError : public std::runtime_error {
 public:
  RegistryFileError(std::string file, std::size_t line, std::string message);
  const std::string& file() const { return file_; }
  std::size_t line() const { return line_; }
  const std::string& message() const { return message_; }

 private:
  std::string file_;
  std::size_t line_;
  std::string message_;
};

// A malformed line that was skipped.
struct RegistryFileWarning {
  std::string file;
  std::size_t line = 0;
  std::string message;
};

// "file:line: message", the form used by errors and warnings alike.
std::string DescribeRegistryFileProblem(const std::string& file, std::size_t line, const std::string& message);

namespace regfile {

// Collects the skipped lines of one load; in strict mode the first one throws instead.
class Diagnostics {
 public:
  explicit Diagnostics(bool strict) : strict_(strict) {}
  void Skip(const std::string& file, std::size_t line, const std::string& message);
  std::vector<RegistryFileWarning> Take() { return std::move(warnings_); }

 private:
  bool strict_;
  std::vector<RegistryFileWarning> warnings_;
};

}  // namespace regfile
}  // namespace orlix
