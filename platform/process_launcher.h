// Starting a viewer: an independent process that is never waited for.
#pragma once

#include <string>
#include <vector>

namespace orlix {

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;

  // Starts a Windows-style command line (program and arguments, double quotes grouping) with a
  // normal window that receives the focus. Returns at once; false with the platform's
  // description of the error in *error when the program could not be started.
  virtual bool StartCommandLine(const std::string& commandLine, std::string* error) = 0;

  // Opens a document with the desktop's own choice of program (the shell's "open" on Windows,
  // xdg-open elsewhere). *commandLine receives what was run, for messages.
  virtual bool OpenDocument(const std::string& path, std::string* commandLine, std::string* error) = 0;

  // Expands %NAME% references as the shell does for registered commands (REG_EXPAND_SZ);
  // unknown names stay as written. Off Windows the text is returned unchanged.
  virtual std::string ExpandEnvironment(const std::string& text) { return text; }
};

// Splits a command line the way Windows programs read their arguments: blanks separate,
// double quotes group, 2n backslashes before a quote give n backslashes and a grouping quote,
// 2n+1 give n backslashes and a literal quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The launcher of the machine the program runs on.
ProcessLauncher& LocalProcessLauncher();

}  // namespace orlix
