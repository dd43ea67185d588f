// The quoted texts of the registry files: Wine's escapes and the exports' escapes. Each comes as
// a decoder and as a scan that finds where the text ends and whether it holds escapes, with the
// decoder's outcome and message, so that a load can check a value without decoding it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orlix::regfile {

// Wine's escaped text from *pos up to `end` (not escaped): C escapes, \x with up to four hex
// digits (one UTF-16 code unit), octal with up to three digits, any other escaped character as
// itself. *pos ends after `end`.
bool ParseWineString(std::string_view s, std::size_t* pos, char end, std::u16string* out, std::string* error);
bool ScanWineString(std::string_view s, std::size_t* pos, char end, bool* escaped, std::string* error);

// An export's quoted string from just after its opening quote (escapes \\ \" \n \r \0); *pos
// ends after the closing quote.
bool ParseExportString(std::string_view s, std::size_t* pos, std::string* out, std::string* error);
bool ScanExportString(std::string_view s, std::size_t* pos, bool* escaped, std::string* error);

}  // namespace orlix::regfile
