#include "cli/console_prompt.h"

#include <istream>
#include <ostream>

#include "base/text.h"

namespace orlix::cli {

ConsolePrompt::ConsolePrompt(AnswerPolicy policy, std::istream* in, std::ostream& err, std::string prefix)
    : policy_(policy), in_(in), err_(err), prefix_(std::move(prefix)) {}

std::string ConsolePrompt::OneLine(const std::string& text) {
  std::string line;
  bool inBreak = false;
  for (const char c : text) {
    if (c == '\r' || c == '\n') {
      inBreak = true;
      continue;
    }
    if (inBreak && !line.empty() && line.back() != ' ') line += ' ';
    inBreak = false;
    line += c;
  }
  return line;
}

bool ConsolePrompt::AskYesNo(const std::string& caption, const std::string& text) {
  if (policy_ == AnswerPolicy::Yes) return true;
  if (policy_ == AnswerPolicy::Ask && in_ != nullptr) {
    err_ << prefix_ << ": " << OneLine(text) << " [y/N] " << std::flush;
    std::string answer;
    if (std::getline(*in_, answer)) {
      answer = ToLowerAscii(TrimSpaces(answer));
      if (!answer.empty() && answer.back() == '\r') answer.pop_back();
      if (answer == "y" || answer == "yes") return true;
    } else {
      err_ << "\n";
    }
  }
  declined_ = true;
  return false;
}

void ConsolePrompt::Warn(const std::string& caption, const std::string& text) {
  warned_ = true;
  err_ << prefix_ << ": " << OneLine(text) << "\n";
}

}  // namespace orlix::cli
