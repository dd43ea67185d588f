// The caption table: the numbered user-interface texts of the main program's windows. Each has a
// built-in default that the caption file OrlixObject.dat beside the program can replace.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "platform/profile_reader.h"

namespace orlix {

constexpr int kCaptionCount = 201;  // caption numbers 0 to 200
using CaptionTable = std::array<std::string, kCaptionCount>;

constexpr const char* kCaptionFileName = "OrlixObject.dat";
constexpr const char* kCaptionSection = "General";
// The lookup buffer, terminator included: a caption keeps at most 1023 characters.
constexpr std::size_t kCaptionBufferChars = 1024;

struct CaptionDefault {
  int number;
  const char* text;
};
constexpr std::size_t kCaptionDefaultCount = 15;
// The numbers that hold a caption, in the order they are read, with their built-in texts.
const std::array<CaptionDefault, kCaptionDefaultCount>& CaptionDefaults();

// Where captions come from: the caption file in programDirectory, read through reader.
struct CaptionSource {
  const ProfileReader& reader;
  std::string programDirectory;
};
// This process's source: the platform's profile reader and the program's own directory.
CaptionSource ProgramCaptionSource();

// programDirectory + separator + file name; the separator is added even when the directory
// already ends in one (a drive root then gives two, which the file system accepts).
std::string CaptionFilePath(const std::string& programDirectory);

// One lookup in the caption file (no caching), at most 1023 characters, "{crlf}" turned into a
// line break. Never fails: the worst case is the default text.
std::string ReadCaption(const CaptionSource& source, const std::string& section, const std::string& key,
                        const std::string& defaultText);
std::string ReadCaption(const std::string& section, const std::string& key, const std::string& defaultText);

// A table holding every listed caption read from the source; every other slot is empty.
CaptionTable ReadCaptions(const CaptionSource& source);

// Fills the process-wide table (from this process's source when none is given).
void LoadCaptions();
void LoadCaptions(const CaptionSource& source);

// The process-wide table, read by the windows as Captions()[number]; all empty before LoadCaptions.
const CaptionTable& Captions();

}  // namespace orlix
