#include "platform/message_box_prompt_win.h"

#include "platform/ansi_win.h"

namespace orlix {
namespace {

UINT ModalityFor(HWND owner) { return owner ? 0u : static_cast<UINT>(MB_TASKMODAL); }

}  // namespace

bool MessageBoxPrompt::AskYesNo(const std::string& caption, const std::string& text) {
  const int answer = MessageBoxA(owner_, Utf8ToAnsi(text).c_str(), Utf8ToAnsi(caption).c_str(),
                                 MB_YESNO | MB_ICONQUESTION | ModalityFor(owner_));
  return answer == IDYES;
}

void MessageBoxPrompt::Warn(const std::string& caption, const std::string& text) {
  MessageBoxA(owner_, Utf8ToAnsi(text).c_str(), Utf8ToAnsi(caption).c_str(),
              MB_OK | MB_ICONWARNING | ModalityFor(owner_));
}

}  // namespace orlix
