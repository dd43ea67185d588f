// Conversion at the Win32 boundary: the program's UTF-8 text to and from the ANSI code page
// that the narrow ("A") functions use.
#pragma once

#include <string>

namespace orlix {

std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);
std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

}  // namespace orlix
