// Text handling of the file-backed registry: the registry stores names and strings as UTF-16;
// the narrow API sees them through the ANSI code page; names compare after a simple case fold.
#pragma once

#include <string>
#include <string_view>

#include "base/text_encoding.h"

namespace orlix::regfile {

// The ANSI code page that the narrow ("A") functions convert through. Windows-1252 is the
// default of English and Western European systems; UTF-8 is what a process opted into code
// page 65001 sees.
enum class AnsiCodePage { kWindows1252, kUtf8 };

// How subkey names fold for comparison, and so the order in which keys enumerate.
// kLower: Wine's registry (verified: '_' and '`' sort before letters).
// kUpper: the Windows registry ('_' and '`' sort after letters).
enum class KeyFold { kLower, kUpper };

char16_t FoldUnit(char16_t unit, KeyFold fold);
std::u16string FoldName(std::u16string_view name, KeyFold fold);

// UTF-8 <-> UTF-16 (invalid input becomes U+FFFD): the common text encoding module.
using orlix::Utf16ToUtf8;
using orlix::Utf8ToUtf16;
bool IsValidUtf8(std::string_view bytes);

// Windows-1252 <-> UTF-16, as MultiByteToWideChar / WideCharToMultiByte do it (best-fit
// look-alikes, '?' for the rest).
std::u16string Cp1252ToUtf16(std::string_view bytes);
std::string Utf16ToCp1252(std::u16string_view text);

// The narrow API's view of UTF-16 text: the ANSI bytes, and their number.
std::string Utf16ToAnsi(std::u16string_view text, AnsiCodePage page);
std::u16string AnsiToUtf16(std::string_view ansi, AnsiCodePage page);
// ANSI bytes as the program's UTF-8 text.
std::string AnsiToUtf8(std::string_view ansi, AnsiCodePage page);

// UTF-16 text as little-endian bytes (the registry's storage of string values) and back; an odd
// trailing byte is dropped, as the narrow API drops it.
std::string Utf16ToBytes(std::u16string_view text);
std::u16string BytesToUtf16(std::string_view bytes);

}  // namespace orlix::regfile
