#include "platform/clipboard_win.h"

#include <cstring>

#include "platform/ansi_win.h"
#include "platform/unique_handle_win.h"

namespace orlix {
bool SetClipboardText(HWND owner, const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  UniqueHglobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) return false;
  void* target = ::GlobalLock(memory.get());
  if (!target) return false;
  std::memcpy(target, wide.c_str(), bytes);
  ::GlobalUnlock(memory.get());
  if (!::OpenClipboard(owner)) return false;
  const bool placed = ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, memory.get());
  ::CloseClipboard();
  if (placed) static_cast<void>(memory.release());  // the clipboard owns it now
  return placed;
}

}  // namespace orlix
