// The running Windows system's facts and files, as the live details scan sees them.
#pragma once

#include <memory>

#include "app/scanned_system.h"

namespace orlix {

// Whether this is a 64-bit system (a 64-bit program, or a 32-bit one under WOW64).
bool LiveSystemHasTwoViews();
// The Windows folder and this process's environment.
SystemFacts LiveSystemFacts();
// The machine's files, each folder listed once.
std::unique_ptr<FileProbe> MakeLiveFiles(const SystemFacts& facts);

}  // namespace orlix
