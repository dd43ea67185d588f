// The pieces of a report job's file handling that callers and tests use on their own.
#pragma once

#include <string>

#include "report/report_param.h"

namespace orlix {

// The command line that opens `filePath` with a registered open command: the quoted path at the
// command's placeholder ("%1", else "%*", else "%L" in either case) or appended after a blank;
// the other placeholders removed, doubled quotes made single and "%SystemRoot%" replaced by
// `windowsFolder`. The path itself is inserted last and never altered.
std::string BuildViewerCommand(const std::string& registeredCommand, const std::string& filePath,
                               const std::string& windowsFolder);

// The title a stored report's file name starts with: the report title and the current item's
// title, each cut to 50 characters, or "Talvern Report" when both are missing or empty.
std::string NameTitle(const ReportParameters* parameters);

// The current local date and time as an OLE date, to the second.
double LocalNowAsOleDate();

}  // namespace orlix
