// The one place that encodes and decodes text: UTF-8, UTF-16 and the Windows-1252 code page
// (the ANSI code page of English and Western European systems).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orlix {

// Appends the UTF-8 form of a code point (up to U+10FFFF).
void AppendUtf8(std::string& out, char32_t cp);
// Appends the UTF-16 form of a code point (a surrogate pair above U+FFFF).
void AppendUtf16(std::u16string& out, char32_t cp);

// Decodes the UTF-8 sequence at bytes[*pos] and moves *pos past it. An invalid sequence
// (a stray or truncated byte, an overlong form, a surrogate, beyond U+10FFFF) gives false and
// moves one byte on.
bool DecodeUtf8(std::string_view bytes, std::size_t* pos, char32_t* cp);
// Decodes the code point at utf16[*pos], a surrogate pair whole, and moves *pos past it. An
// unpaired surrogate comes back as it stands.
char32_t DecodeUtf16(std::u16string_view utf16, std::size_t* pos);

// UTF-8 <-> UTF-16. Invalid UTF-8 and unpaired surrogates become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// UTF-16 code units from bytes in either byte order; an odd last byte is dropped.
std::u16string Utf16FromBytes(std::string_view bytes, bool bigEndian);

// The Unicode character of a Windows-1252 byte. The five bytes the code page leaves unassigned
// map to the C1 control of the same value, as Windows converts them.
char16_t Cp1252ToUnicode(unsigned char byte);
// True when `byte` is one of the five unassigned bytes.
bool IsUnassignedCp1252(unsigned char byte);
// The Windows-1252 byte of a character, without best-fit look-alikes: '?' for a character the
// code page lacks, the unassigned bytes' controls included.
char UnicodeToCp1252(char32_t cp);
// Windows-1252 bytes as UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

}  // namespace orlix
