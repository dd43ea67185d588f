// Text put on the clipboard for other programs to paste.
#pragma once

#include <windows.h>

#include <string>

namespace orlix {

// Replaces the clipboard's content with `text` (UTF-8) as Unicode text; the system offers it in
// the other text formats too. False when the clipboard cannot be opened or written.
bool SetClipboardText(HWND owner, const std::string& text);

}  // namespace orlix
