#include "app/captions.h"

#include "app/options.h"
#include "base/text.h"
#include "platform/path.h"

namespace orlix {
namespace {

CaptionTable& Table() {
  static CaptionTable table;
  return table;
}

}  // namespace

const std::array<CaptionDefault, kCaptionDefaultCount>& CaptionDefaults() {
  static const std::array<CaptionDefault, kCaptionDefaultCount> defaults{{
      {1, "Orlix Ravelin"},
      {2, "The following programmable components were detected on your system"},
      {3, "Generate List"},
      {4, "&Report"},
      {5, "Close"},
      {6, "Version and contact information"},
      {100, "Orlix Ravelin"},
      {101, "Orlix"},
      {102, "Ravelin"},
      {104, "Application Version:"},
      {105, "Copyright (C) 2003-2026 Orlix."},
      {106, "Orlix Software"},
      {107, "All rights reserved."},
      {108,
       "Ravelin is free of charge and one of the Orlix family of free utilities. "
       "To see what else is new and to download other free utilities, visit"},
      {109, "OK"},
  }};
  return defaults;
}

CaptionSource ProgramCaptionSource() { return CaptionSource{SystemProfileReader(), ProgramDirectory()}; }

std::string CaptionFilePath(const std::string& programDirectory) {
  return programDirectory + PathSeparator() + kCaptionFileName;
}

std::string ReadCaption(const CaptionSource& source, const std::string& section, const std::string& key,
                        const std::string& defaultText) {
  const std::string text = source.reader.GetString(section, key, defaultText, kCaptionBufferChars,
                                                   CaptionFilePath(source.programDirectory));
  return ReplaceExact(text, "{crlf}", "\r\n");
}

std::string ReadCaption(const std::string& section, const std::string& key, const std::string& defaultText) {
  return ReadCaption(ProgramCaptionSource(), section, key, defaultText);
}

CaptionTable ReadCaptions(const CaptionSource& source) {
  CaptionTable table;
  for (const CaptionDefault& caption : CaptionDefaults()) {
    table[static_cast<std::size_t>(caption.number)] =
        ReadCaption(source, kCaptionSection, std::to_string(caption.number), caption.text);
  }
  return table;
}

void LoadCaptions() { LoadCaptions(ProgramCaptionSource()); }

void LoadCaptions(const CaptionSource& source) { Table() = ReadCaptions(source); }

const CaptionTable& Captions() { return Table(); }

}  // namespace orlix
