// Reader of registry export files (.reg): "REGEDIT4" in the ANSI code page or UTF-8, and
// "Windows Registry Editor Version 5.00" in UTF-16LE with a byte-order mark (UTF-8 accepted too).
// Keys of HKEY_CLASSES_ROOT and of HKEY_LOCAL_MACHINE\Software\Classes go to the machine's
// classes, keys of HKEY_CURRENT_USER\Software\Classes to the user's; keys elsewhere are ignored.
//
// What fails and what is skipped:
//  - throws RegistryFileError: no recognisable header on the first line, UTF-16 big-endian, NUL
//    bytes in an 8-bit file or NUL characters in a UTF-16 file (binary data, not an export);
//  - skipped with a warning naming the line: a key line without ']', an unknown root key, a key
//    name longer than 255 characters (everything up to the next key line is skipped with it), an
//    unterminated or badly escaped string, an unknown value type, bad hex or dword data, a
//    continued value cut off by the end of the file, any other unrecognised line.
#pragma once

#include <string>
#include <string_view>

#include "platform/regfile/reg_diagnostics.h"
#include "platform/regfile/reg_tree.h"

namespace orlix::regfile {

// True when the bytes start with an export header in one of the accepted encodings.
bool LooksLikeRegistryExport(std::string_view bytes);

// The builder keeps the text: names and values point into it.
void ReadRegistryExport(const std::string& file, std::string bytes, RegTreeBuilder* builder,
                        Diagnostics* diagnostics);

}  // namespace orlix::regfile
