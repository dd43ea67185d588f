// Text helpers shared by every subsystem. Text is UTF-8 inside the program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orlix {

// Replaces every occurrence of `what`, left to right, scanning on after each inserted text.
std::string ReplaceExact(std::string_view text, std::string_view what, std::string_view with);
// Same, but `what` matches without regard to ASCII letter case.
std::string ReplaceNoCase(std::string_view text, std::string_view what, std::string_view with);

// Position of `what` in `text` ignoring ASCII letter case, or npos.
std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from = 0);
bool EqualsNoCase(std::string_view a, std::string_view b);

std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);

// Removes the space character (only) from both ends.
std::string TrimSpaces(std::string_view text);

// Number of leading bytes of `text` below 0x80 (ASCII, the same in UTF-8 and every ANSI code
// page); read a machine word at a time.
std::size_t AsciiPrefixLength(std::string_view text);

// Cuts at every occurrence of `separator` (exact); empty text gives no pieces.
std::vector<std::string> Split(std::string_view text, std::string_view separator);

// One line of tab-separated text as spreadsheets exchange it on the clipboard: cells joined by
// tabs, a cell that holds a tab, line break or double quote put in double quotes (its quotes
// doubled), then `lineEnd`. Other text, backslashes included, stays as it is.
std::string SpreadsheetTsvLine(const std::vector<std::string>& cells, std::string_view lineEnd);

}  // namespace orlix
