// The report engine's questions and warnings on a console: answers come from the command's
// flags (--overwrite / --yes, --no) or, on a terminal, from the user; warnings go to stderr as
// one line each.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/user_prompt.h"

namespace orlix::cli {

enum class AnswerPolicy {
  Ask,  // ask on the terminal; without one, answer No
  Yes,
  No,
};

class ConsolePrompt : public UserPrompt {
 public:
  // `in` is read for answers under AnswerPolicy::Ask; null means there is nobody to ask.
  // Every line written to `err` starts with `prefix` and ": ".
  ConsolePrompt(AnswerPolicy policy, std::istream* in, std::ostream& err, std::string prefix);

  bool AskYesNo(const std::string& caption, const std::string& text) override;
  void Warn(const std::string& caption, const std::string& text) override;

  // What happened so far: a question answered No, a warning shown.
  bool Declined() const { return declined_; }
  bool Warned() const { return warned_; }

  // A message box text as one console line: each run of line breaks becomes one blank.
  static std::string OneLine(const std::string& text);

 private:
  AnswerPolicy policy_;
  std::istream* in_;
  std::ostream& err_;
  std::string prefix_;
  bool declined_ = false;
  bool warned_ = false;
};

// True when standard input is a terminal (someone can answer questions).
bool StandardInputIsTerminal();
// True when standard error is a terminal (progress can be drawn on it).
bool StandardErrorIsTerminal();

}  // namespace orlix::cli
