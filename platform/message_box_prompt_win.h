// The user prompt of the windowed programs: message boxes owned by a window.
#pragma once

#include <windows.h>

#include "platform/user_prompt.h"

namespace orlix {

class MessageBoxPrompt : public UserPrompt {
 public:
  // `owner` may be null; the boxes are then task-modal to the calling thread.
  explicit MessageBoxPrompt(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }

  bool AskYesNo(const std::string& caption, const std::string& text) override;
  void Warn(const std::string& caption, const std::string& text) override;

 private:
  HWND owner_;
};

}  // namespace orlix
