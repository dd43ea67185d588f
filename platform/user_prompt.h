// How the report engine asks and warns the user: message boxes in the programs,
// scripted answers in tests, flags and stderr in the console tool.
#pragma once

#include <string>

namespace orlix {

class UserPrompt {
 public:
  virtual ~UserPrompt() = default;
  // A Yes/No question (question icon); true for Yes.
  virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
  // A warning with an OK button.
  virtual void Warn(const std::string& caption, const std::string& text) = 0;
};

}  // namespace orlix
