// Start-up of the main program.
#pragma once

#include <string>

namespace orlix {

// The program's start-up procedure: fills the caption table, then opens the first window (the
// About window). Defined with the windows, in app/ui.
void Main();

// The folder that holds the running program's executable, without a trailing separator except
// at a root ("C:\"); empty when it cannot be found.
std::string ProgramDirectory();

// The folder part of an executable's full path, as ProgramDirectory gives it.
std::string DirectoryOfPath(const std::string& path);

}  // namespace orlix
