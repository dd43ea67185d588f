#include "platform/regfile/reg_diagnostics.h"

#include <utility>

namespace orlix {

std::string DescribeRegistryFileProblem(const std::string& file, std::size_t line, const std::string& message) {
  return line ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message;
}

RegistryFileError::RegistryFileError(std::string file, std::size_t line, std::string message)
    : std::runtime_error(DescribeRegistryFileProblem(file, line, message)),
      file_(std::move(file)),
      line_(line),
      message_(std::move(message)) {}

namespace regfile {

void Diagnostics::Skip(const std::string& file, std::size_t line, const std::string& message) {
  if (strict_) throw RegistryFileError(file, line, message);
  warnings_.push_back({file, line, message});
}

}  // namespace regfile
}  // namespace orlix
