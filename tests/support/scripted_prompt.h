// A UserPrompt for tests: answers questions from a script and records everything it was shown.
#pragma once

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/user_prompt.h"

namespace orlix {
namespace testing_support {

class ScriptedPrompt : public UserPrompt {
 public:
  struct Shown {
    bool question;  // true for AskYesNo, false for Warn
    std::string caption;
    std::string text;
  };

  // Queues the answer to the next question. A question without a queued answer is a test fault.
  void Answer(bool yes) { answers_.push_back(yes); }

  bool AskYesNo(const std::string& caption, const std::string& text) override {
    shown_.push_back({true, caption, text});
    if (answers_.empty()) throw std::logic_error("unexpected question: " + text);
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes;
  }
  void Warn(const std::string& caption, const std::string& text) override { shown_.push_back({false, caption, text}); }

  const std::vector<Shown>& History() const { return shown_; }
  std::size_t UnusedAnswers() const { return answers_.size(); }

 private:
  std::deque<bool> answers_;
  std::vector<Shown> shown_;
};

}  // namespace testing_support
}  // namespace orlix
