// The report style store: the built-in text of 32 styles (16 RTF, 16 HTML), cut into sections,
// one cReport job per section.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/keyed_collection.h"
#include "report/report.h"
#include "report/report_param.h"

namespace orlix {

class Grid;

// The dialog's style collection: report jobs in store order, keyed by their Key ("REPORT1"...).
using ReportStyles = KeyedCollection<cReport>;

// The line that separates two sections of a store, and the text the loader cuts at.
constexpr const char kReportSectionMarker[] = "[***REPORT***]";
constexpr const char kReportSectionSeparator[] = "\r\n[***REPORT***]\r\n";

// Prefix of the job keys; the key is the prefix followed by the job number.
constexpr const char kReportKeyPrefix[] = "REPORT";

// The store as the program carries it, one byte per character, unconverted. On Windows it is the
// resource of type "CUSTOM" named "REPORTFORMATS" (language 1033) of the module holding this
// code; elsewhere it is compiled in. Throws std::runtime_error when the resource cannot be read.
std::string LoadBuiltInFormatBytes();

// The built-in store as text (bytes through the ANSI code page). Throws like
// LoadBuiltInFormatBytes.
std::string LoadBuiltInFormats();

// Cuts a store into sections at every CR LF "[***REPORT***]" CR LF; empty text gives none.
std::vector<std::string> SplitReportSections(const std::string& store);

// Fills `styles` with one job per section of the store: the external store text when it is not
// empty, else the built-in one. Each job gets the first free number n of "REPORT"n as ID and Key,
// the list view (lent, may be null) and the parameters, then parses its section, and is added
// under its Key behind the jobs already in the collection. Returns true.
bool LoadReportStyles(ReportStyles& styles, Grid* objListView, std::shared_ptr<ReportParameters> objParameters,
                      const std::string& strExternalFormatFile = std::string());

}  // namespace orlix
